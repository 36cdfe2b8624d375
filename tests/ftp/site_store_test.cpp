#include "ftp/site_store.h"

#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class SiteListTest : public testing::Test {
protected:
    void SetUp() override { setenv("TARVO_HOME", home.path().c_str(), 1); }
    void TearDown() override { unsetenv("TARVO_HOME"); }
    TempTree home;
};

TEST_F(SiteListTest, EveryLineIsANameWhateverItsLineEnd) {
    home.write("config/lista.txt", "one\r\ntwo\rthree\nfour");
    EXPECT_EQ(IOFile().LoadSiteList(), (std::vector<std::string>{"one", "two", "three", "four"}));
}

TEST_F(SiteListTest, EmptyLinesCountButAFinalLineEndAddsNothing) {
    home.write("config/lista.txt", "one\r\n\r\ntwo\r\n");
    EXPECT_EQ(IOFile().LoadSiteList(), (std::vector<std::string>{"one", "", "two"}));
}

TEST_F(SiteListTest, AMissingListGivesNoSites) {
    EXPECT_TRUE(IOFile().LoadSiteList().empty());
}

} // namespace
