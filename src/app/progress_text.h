#pragma once

#include <QString>

#include <cstdint>

// The progress strip's texts, from 64-bit byte counts.

// "45%  1024KB / 2275KB": the share done, then both counts in whole KiB.
QString progressText(std::int64_t done, std::int64_t total);

// "N KB/s" for the bytes moved during the last one-second tick (none when the count went back).
QString speedText(std::int64_t bytesThisTick);

// A transfer's time left: "59sec", "1min 0sec", "1h 2min" (below 60 s, below an hour, above).
QString timeLeftText(std::int64_t seconds);

// A transfer's speed from the bytes of the last one-second tick: "1024 B/s", "1 KB/s".
QString transferSpeedText(std::int64_t bytesThisTick);

// "45%  1024KB / 2275KB 12sec": done of total (total 0: not known, so done stands for it), and
// the time left when the bytes keep coming as they did over the ticks that moved any.
QString transferText(std::int64_t done, std::int64_t total, int transferTicks);
