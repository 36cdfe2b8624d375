#include "ftp/site_store.h"

#include "platform/atomic_file.h"
#include "support/file_content.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <tuple>

namespace {

class SiteStoreTest : public testing::Test {
protected:
    void SetUp() override {
        setenv("TARVO_HOME", home.path().c_str(), 1);
        home.dir("config");
    }
    void TearDown() override { unsetenv("TARVO_HOME"); }

    SiteRecord site(const std::string& name) const {
        SiteRecord record;
        record.Name = name;
        record.Host = "ftp.example.org";
        record.User = "ann";
        record.Password = "pw";
        return record;
    }

    TempTree home;
};

TEST_F(SiteStoreTest, ListLinesEndAnyWayEmptyOnesCountAFinalLineEndAddsNothing) {
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"one\r\ntwo\rthree\nfour", {"one", "two", "three", "four"}},
        {"one\r\n\r\ntwo\r\n", {"one", "", "two"}},
    };
    for (const auto& [text, names] : cases) {
        home.write("config/lista.txt", text);
        EXPECT_EQ(IOFile().LoadSiteList(), names) << text;
    }
    std::filesystem::remove(home.at("config/lista.txt"));
    EXPECT_TRUE(IOFile().LoadSiteList().empty());
}

TEST_F(SiteStoreTest, ASaveWritesTheRecordLayoutExactlyAndZeroesEverythingElse) {
    SiteRecord record = site("work");
    record.Port = 2121;
    record.StartDir = "/pub";
    record.Passive = true;
    record.KeepAlive = true;
    record.NoopInterval = 600;
    record.CtrlRecvTimeout = 1;
    record.CtrlSendTimeout = 2;
    record.DataRecvTimeout = 3;
    record.DataSendTimeout = 0x01020304;
    const std::vector<std::string> list{"work"};
    IOFile store;
    ASSERT_FALSE(store.SaveSite(record, &list));

    std::string expected(1352, '\0');
    expected.replace(0, 4, "work");
    expected.replace(40, 15, "ftp.example.org");
    expected.replace(295, 3, {char(0xE7 ^ 'a'), char(0xE7 ^ 'n'), char(0xE7 ^ 'n')});
    expected.replace(550, 2, {char(0x9D ^ 'p'), char(0x9D ^ 'w')});
    expected.replace(808, 4, {char(0x49), char(0x08), 0, 0}); // 2121
    expected.replace(812, 4, "/pub");
    expected[1324] = 1;
    expected[1326] = 1;
    expected.replace(1332, 4, {char(0x58), char(0x02), 0, 0});
    expected.replace(1336, 16, {1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 3, 2, 1});
    EXPECT_EQ(readFile(home.at("config/work")), expected);
    EXPECT_EQ(readFile(home.at("config/lista.txt")), "work\r\n");

    struct stat status {};
    ASSERT_EQ(::stat(home.at("config/work").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
}

TEST_F(SiteStoreTest, AHandBuiltRecordWithBytesAfterItsTerminatorsLoads) {
    std::string bytes(1352, '\x55'); // stale bytes everywhere
    bytes.replace(0, 5, std::string("old\0x", 5));
    bytes.replace(40, 3, std::string("h\0y", 3));
    bytes.replace(295, 2, {char(0xE7 ^ 'u'), 0});
    bytes.replace(550, 3, {char(0x9D ^ 'p'), char(0x9D ^ 'q'), 0});
    bytes.replace(808, 4, {21, 0, 0, 0});
    bytes[812] = 0;
    bytes[1324] = 0;
    bytes[1326] = 2;
    home.write("config/old", bytes);

    IOFile store;
    const auto loaded = store.LoadSite("old");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(std::tie(loaded->Name, loaded->Host, loaded->User, loaded->Password, loaded->Port,
                       loaded->StartDir, loaded->Passive, loaded->KeepAlive, loaded->NoopInterval),
              std::tuple("old", "h", "u", "pq", 21, "", false, true, 0x55555555));
    EXPECT_EQ(store.currentSite().Host, "h");

    // Intervals that would send a NOOP on every cycle load as a save would store them.
    for (const auto& [stored, loads] :
         {std::pair{0u, 300}, {0xFFFFFFFBu, 300}, {0x80000000u, 300}, {99u, 300}, {100u, 100}}) {
        for (int i = 0; i < 4; ++i)
            bytes[1332 + i] = static_cast<char>(stored >> (8 * i));
        home.write("config/old", bytes);
        const auto record = IOFile().ReadSite("old");
        ASSERT_TRUE(record);
        EXPECT_EQ(record->NoopInterval, loads) << stored;
    }
}

TEST_F(SiteStoreTest, NamesWithoutACompleteRecordLeaveTheProfileAlone) {
    home.write("config/short", std::string(1351, 'x'));
    home.write("config/long", std::string(1353, 'x'));
    home.dir("config/folder");
    home.write("secret", std::string(1352, 'x')); // outside config
    IOFile store;
    const SiteRecord before = store.currentSite();
    for (const char* name : {"missing", "short", "long", "folder", "../secret", "", ".."}) {
        EXPECT_FALSE(store.LoadSite(name)) << name;
        EXPECT_EQ(std::pair(store.currentSite().Host, store.currentSite().User),
                  std::pair(before.Host, before.User))
            << name;
    }
}

TEST_F(SiteStoreTest, SiteNamesThatAreNoRecordFileAreRefused) {
    for (const char* name :
         {"", ".", "..", "a/b", "/etc", "lista.txt", "a-name-of-forty-bytes-0123456789abcdefgh"})
        EXPECT_FALSE(isSiteFileName(name)) << name;
    for (const char* name : {"work", ".hidden", "a name", "a-name-of-39-bytes-0123456789abcdefghi"})
        EXPECT_TRUE(isSiteFileName(name)) << name;

    IOFile store;
    EXPECT_TRUE(store.SaveSite(site("a/b"), nullptr));
    EXPECT_FALSE(std::filesystem::exists(home.at("config/a")));
}

TEST(PortBox, OnlyAPortNumberIsTakenElseTwentyOne) {
    const std::pair<const char*, int> cases[] = {
        {"2121", 2121}, {"1", 1},    {"65535", 65535}, {"0", 21}, {"65536", 21}, {"70000", 21},
        {"-21", 21},    {"abc", 21}, {"21x", 21},      {"", 21},  {" 22", 21}};
    for (const auto& [text, port] : cases)
        EXPECT_EQ(portNumber(text), port) << text;
}

TEST_F(SiteStoreTest, TextsTheRecordCannotHoldAreNamed) {
    const std::tuple<std::string SiteRecord::*, std::string, bool> cases[] = {
        {&SiteRecord::Host, std::string(254, 'h'), true},
        {&SiteRecord::Host, std::string(255, 'h'), false},
        {&SiteRecord::User, "caf\xE7", false}, // scrambles to the terminator
        {&SiteRecord::User, "pass\x9D", true}, // only the password's key cuts the password
        {&SiteRecord::Password, "x\x9Dy", false},
        {&SiteRecord::Password, std::string("a\0b", 3), false},
        {&SiteRecord::StartDir, std::string(511, 'd'), true},
        {&SiteRecord::StartDir, std::string(512, 'd'), false},
    };
    for (const auto& [field, text, storable] : cases) {
        SiteRecord record = site("s");
        record.*field = text;
        EXPECT_EQ(unstorableText(record), storable ? std::nullopt : std::optional(text))
            << text.size();
    }
}

TEST_F(SiteStoreTest, ARecordRoundTripsAndShortKeepAliveIntervalsAreRaised) {
    for (const auto& [interval, stored] : {std::pair{99, 300}, {100, 100}}) {
        SiteRecord record = site("s");
        record.User = "caf\xC3\xA9"; // UTF-8 bytes are stored as they are
        record.NoopInterval = interval;
        IOFile store;
        ASSERT_FALSE(store.SaveSite(record, nullptr));
        EXPECT_EQ(store.currentSite().NoopInterval, stored);
        const auto loaded = IOFile().ReadSite("s");
        ASSERT_TRUE(loaded);
        EXPECT_EQ(std::tie(loaded->User, loaded->NoopInterval), std::tie(record.User, stored));
    }
}

TEST_F(SiteStoreTest, AFailingWriteKeepsTheRecordAndTheListAsTheyWere) {
    home.write("config/lista.txt", "work\r\n");
    home.write("config/work", std::string(1352, '\0'));
    for (const std::string failing : {"work", "lista.txt"}) {
        IOFile store(
            [&](const std::string& path, std::string_view bytes, unsigned mode) -> std::string {
                if (path == home.at("config/" + failing))
                    return "no space left";
                return replaceFileContent(path, bytes, mode);
            });
        const std::vector<std::string> list{"work", "new"};
        const auto failure = store.SaveSite(site("work"), &list);
        ASSERT_TRUE(failure) << failing;
        EXPECT_EQ(std::tie(failure->path, failure->reason),
                  std::tuple(home.at("config/" + failing), "no space left"));
        EXPECT_EQ(readFile(home.at("config/lista.txt")), "work\r\n") << failing;
        if (failing == "work") {
            EXPECT_EQ(readFile(home.at("config/work")), std::string(1352, '\0'));
        }
        EXPECT_NE(store.currentSite().Host, "ftp.example.org") << failing;
    }
}

} // namespace
