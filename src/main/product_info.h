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

// The libraries whose code packs and unpacks archives, and their authors.
inline constexpr const char* kCredits[] = {
    "zlib compression library (c) 1995-2022 Jean-loup Gailly and Mark Adler",
    "minizip (c) 1998-2010 Gilles Vollant, zip64 (c) 2009-2010 Mathias Svensson",
};

} // namespace product
