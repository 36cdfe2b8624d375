#pragma once

#include <QString>

#include <cstdint>

// The progress strip's texts, from 64-bit byte counts.

// "45%  1024KB / 2275KB": the share done, then both counts in whole KiB.
QString progressText(std::int64_t done, std::int64_t total);

// "N KB/s" for the bytes moved during the last one-second tick (none when the count went back).
QString speedText(std::int64_t bytesThisTick);
