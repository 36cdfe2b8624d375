#pragma once

#include "ftp/site_record.h"

#include <array>
#include <string>

// A site's settings as the settings dialog shows and takes them: texts as typed, the keep-alive
// interval in seconds.
struct SiteSettings {
    std::string Name;
    std::string Host;
    std::string Port;
    std::string User;
    std::string Password;
    std::string StartDir;
    bool Passive = false;
    bool KeepAlive = false;
    std::string Interval; // seconds
    // Control receive, control send, data receive, data send, in ms; carried, never shown.
    std::array<std::string, 4> Timeouts;
};

// The settings of a new site: port 21, a minute between keep-alives, no time-outs given.
SiteSettings newSiteSettings();

// What a profile's dialog shows besides the connection bar's five texts.
void showProfile(const SiteRecord& profile, SiteSettings& settings);

// Takes the dialog's keep-alive and folder settings and time-outs into the profile. An interval
// that is no whole number of seconds from 1 up to what the worker's cycle count holds becomes
// 90 s, and the settings then show "90". When any time-out is no 32-bit number, all four take
// 1000, 1000, 10000 and 10000 ms.
void applyToProfile(SiteSettings& settings, SiteRecord& profile);
