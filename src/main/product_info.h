#pragma once

// Who makes Tarvo Manager and where to find them: the About box's facts, kept in one place.
namespace product {

inline constexpr const char* kVersion = "0.77";
inline constexpr const char* kHomePage = "https://tarvo-manager.example.org";
inline constexpr const char* kSupportAddress = "support@tarvo-manager.example.org";
inline constexpr const char* kMaker = "The Tarvo Manager developers";
inline constexpr const char* kYear = "2026";

struct TeamMember {
    const char* name;
    const char* role; // shown as the name's hint; empty for none
};
inline constexpr TeamMember kTeam[] = {
    {"Kadri Saar", "Project manager"},
    {"Jaan Lepik", "Software programmer"},
    {"Mirjam Kivi", ""},
};

// Who wrote the code that packs and unpacks archives: the compression is zlib's, the archive
// format our own.
inline constexpr const char* kCredits[] = {
    "Compression: zlib (c) 1995-2022 Jean-loup Gailly and Mark Adler",
    "Zip archive code (c) 2026 The Tarvo Manager developers",
};

} // namespace product
