#include "app/location_entry.h"

#include <gtest/gtest.h>

namespace {

TEST(LocationEntry, ALineIsRemoteOnlyWhenItEndsInASavedSitesName) {
    struct Case {
        const char* line;
        std::vector<std::string> sites;
        bool remote;
        const char* folder;
        const char* site;
    };
    const Case cases[] = {
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
    for (const Case& c : cases) {
        const LocationEntry entry = LocationEntry::parse(c.line, c.sites);
        EXPECT_EQ(entry.Remote, c.remote) << c.line;
        EXPECT_EQ(entry.Folder, c.folder) << c.line;
        EXPECT_EQ(entry.Site, c.site) << c.line;
        EXPECT_EQ(entry.line(), c.line) << "a parsed line writes back unchanged";
    }
}

} // namespace
