#include "ftp/site_settings.h"

#include <charconv>
#include <limits>
#include <optional>

namespace {

constexpr int kCyclesPerSecond = 10; // the remote worker's cycle is 100 ms
constexpr int kFallbackSeconds = 90;
constexpr std::array<int, 4> kDefaultTimeouts = {1000, 1000, 10000, 10000};

std::optional<int> wholeNumber(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

} // namespace

SiteSettings newSiteSettings() {
    SiteSettings settings;
    settings.Port = "21";
    settings.Interval = "60";
    return settings;
}

void showProfile(const SiteRecord& profile, SiteSettings& settings) {
    settings.Interval = std::to_string(profile.NoopInterval / kCyclesPerSecond);
    settings.StartDir = profile.StartDir;
    settings.KeepAlive = profile.KeepAlive;
    settings.Passive = profile.Passive;
    settings.Timeouts = {
        std::to_string(profile.CtrlRecvTimeout), std::to_string(profile.CtrlSendTimeout),
        std::to_string(profile.DataRecvTimeout), std::to_string(profile.DataSendTimeout)};
}

void applyToProfile(SiteSettings& settings, SiteRecord& profile) {
    // Zero or fewer seconds, or more than the cycle count holds, would have the worker send a
    // NOOP on every cycle.
    const std::optional<int> seconds = wholeNumber(settings.Interval);
    if (!seconds || *seconds <= 0 ||
        *seconds > std::numeric_limits<int>::max() / kCyclesPerSecond) {
        settings.Interval = std::to_string(kFallbackSeconds);
        profile.NoopInterval = kFallbackSeconds * kCyclesPerSecond;
    } else {
        profile.NoopInterval = *seconds * kCyclesPerSecond;
    }
    profile.KeepAlive = settings.KeepAlive;
    profile.Passive = settings.Passive;
    profile.StartDir = settings.StartDir;

    std::array<int, 4> timeouts = kDefaultTimeouts;
    for (std::size_t i = 0; i < timeouts.size(); ++i) {
        const std::optional<int> value = wholeNumber(settings.Timeouts[i]);
        if (!value) {
            timeouts = kDefaultTimeouts;
            break;
        }
        timeouts[i] = *value;
    }
    profile.CtrlRecvTimeout = timeouts[0];
    profile.CtrlSendTimeout = timeouts[1];
    profile.DataRecvTimeout = timeouts[2];
    profile.DataSendTimeout = timeouts[3];
}
