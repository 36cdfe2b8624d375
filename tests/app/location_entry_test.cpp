#include "app/location_entry.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

TEST(LocationEntry, ALineIsRemoteOnlyWhenItEndsInASavedSitesName) {
    // The line, the saved sites, and whether it is remote, its folder and its site.
    const std::tuple<std::string, std::vector<std::string>, bool, std::string, std::string>
        cases[] = {
            {"/srv/a@b", {}, false, "/srv/a@b", ""}, // a folder holding "@"
            {"/srv/a@b", {"mirror"}, false, "/srv/a@b", ""},
            {"/srv/a@b", {"b"}, true, "/srv/a", "b"},
            {"/pub/linux@mirror", {"mirror"}, true, "/pub/linux", "mirror"},
            {"/@mirror", {"mirror"}, true, "/", "mirror"},                 // a site's root
            {"/in@box/x@mirror", {"mirror"}, true, "/in@box/x", "mirror"}, // split at the last "@"
            {"/home/ann", {"mirror"}, false, "/home/ann", ""},
            {"/x@Mirror", {"mirror"}, false, "/x@Mirror", ""}, // names compare exactly
            {"/x@", {""}, true, "/x", ""},
        };
    for (const auto& [line, sites, remote, folder, site] : cases) {
        const LocationEntry entry = LocationEntry::parse(line, sites);
        EXPECT_EQ(std::tie(entry.Remote, entry.Folder, entry.Site), std::tie(remote, folder, site))
            << line;
        EXPECT_EQ(entry.line(), line) << "a parsed line writes back unchanged";
    }
}

} // namespace
