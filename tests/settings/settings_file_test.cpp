#include "settings/settings_file.h"

#include "support/file_content.h"
#include "support/run_settings_print.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/mount.h>
#include <sys/stat.h>

namespace {

const std::string kDefaultFile = std::string(kDefaultSettingsText) + "\r\n";

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(SettingsDocument, TheDefaultTextIsNineteenPaddedPiecesOnOneLine) {
    struct Piece {
        int tabs;
        const char* markup;
        int blanks;
    };
    const Piece pieces[] = {
        {0, "<TarvoManager>", 3},
        {1, "<Settings>", 29},
        {2, R"(<version type="string">Tarvo Manager v0_7x</version>)", 3},
        {2, R"(<SortTypeLeft type="string">none</SortTypeLeft>)", 8},
        {2, R"(<SortTypeRight type="string">none</SortTypeRight>)", 6},
        {2, R"(<SortTypeFTP type="string">none</SortTypeFTP>)", 10},
        {2, R"(<LastFTP type="string"></LastFTP>)", 22},
        {2, R"(<MainWindowLeft type="int">-1</MainWindowLeft>)", 9},
        {2, R"(<MainWindowTop type="int">-1</MainWindowTop>)", 11},
        {2, R"(<MainWindowWidth type="int">-1</MainWindowWidth>)", 7},
        {2, R"(<MainWindowHeight type="int">-1</MainWindowHeight>)", 5},
        {2, R"(<LeftTabDir type="string"></LeftTabDir>)", 16},
        {2, R"(<RightTabDir type="string"></RightTabDir>)", 14},
        {2, R"(<Reserved1 type="string"></Reserved1>)", 18},
        {2, R"(<Reserved2 type="string"></Reserved2>)", 18},
        {2, R"(<Reserved3 type="string"></Reserved3>)", 18},
        {2, R"(<Reserved4 type="string"></Reserved4>)", 18},
        {1, "</Settings>", 48},
        {0, "</TarvoManager>", 0},
    };
    std::string expected;
    for (const Piece& piece : pieces)
        expected += std::string(piece.tabs, '\t') + piece.markup + std::string(piece.blanks, ' ');
    EXPECT_EQ(kDefaultSettingsText, expected);
    EXPECT_EQ(kDefaultSettingsText.size(), 987u);
}

TEST(SettingsFile, AFirstStartWritesTheDefaultDocumentAtOnce) {
    TempTree dir;
    const std::string path = dir.at("TarvoManager.xml");
    OpenedSettings opened = openSettingsFile(path);
    EXPECT_FALSE(opened.problem);
    EXPECT_EQ(readFile(path), kDefaultFile);
    EXPECT_EQ(readFile(path).size(), 989u);
    EXPECT_EQ(readRunSettings(opened.document),
              (RunSettings{"none", "none", false, "", "", false, false}));
}

TEST(SettingsFile, AnUnusableFileIsReportedUsedAsDefaultsAndLeftAlone) {
    struct Case {
        const char* content;
        const char* reason;
    };
    const Case cases[] = {
        {"<TarvoManager><Settings>", "line 1, column"},
        {"<Other><Settings/></Other>", "its root element is not <TarvoManager>"},
        {"<TarvoManager>caf\xe9</TarvoManager>", "line 1, column"}, // Latin-1 without a declaration
        {"", "line 1, column"},
    };
    for (const Case& c : cases) {
        TempTree dir;
        const std::string path = dir.write("TarvoManager.xml", c.content);
        OpenedSettings opened = openSettingsFile(path);
        ASSERT_TRUE(opened.problem) << c.content;
        EXPECT_EQ(opened.problem->find("The settings file " + path + " could not be read ("), 0u);
        EXPECT_NE(opened.problem->find(c.reason), std::string::npos) << *opened.problem;
        EXPECT_NE(opened.problem->find("). Default settings are used until the program closes."),
                  std::string::npos);
        EXPECT_EQ(readRunSettings(opened.document).SortTypeLeft, "none");
        EXPECT_EQ(readFile(path), c.content) << "untouched until the close saves";
    }
}

TEST(SettingsFile, ADeclaredEncodingIsRead) {
    TempTree dir;
    const std::string path =
        dir.write("TarvoManager.xml",
                  "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<TarvoManager><Settings>"
                  "<LeftTabDir>/caf\xe9</LeftTabDir></Settings></TarvoManager>");
    OpenedSettings opened = openSettingsFile(path);
    EXPECT_FALSE(opened.problem);
    EXPECT_EQ(readRunSettings(opened.document).LeftTabDir, "/caf\xc3\xa9");
}

TEST(SettingsFile, TheRunsValuesComeBackFromTheSavedFile) {
    const std::string rightFolders[] = {"/home/usér/Документы", "/tmp/a&b<c>]]>\"'",
                                        "/tmp/tab\tand\rreturn", ""};
    const std::pair<bool, bool> briefViews[] = {
        {false, false}, {true, false}, {false, true}, {true, true}};
    const char* storedBrief[] = {":", " LeftBrief ", ": RightBrief ", " LeftBrief  RightBrief "};
    for (int i = 0; i < 4; ++i) {
        TempTree dir;
        const std::string path = dir.at("TarvoManager.xml");
        TXMLTarvoManagerType document = openSettingsFile(path).document;
        const RunSettings run{"size 1-0",      "name 0-1",          i % 2 == 0,          "/srv/Ünï",
                              rightFolders[i], briefViews[i].first, briefViews[i].second};
        ASSERT_EQ(saveRunSettings(document, run, path), "");

        const std::string text = readFile(path);
        EXPECT_EQ(text.rfind("<TarvoManager>", 0), 0u) << "no declaration: UTF-8 by default";
        EXPECT_EQ(text.substr(text.size() - 17), "</TarvoManager>\r\n");
        EXPECT_NE(
            text.find(std::string("<Reserved1 type=\"string\">") + storedBrief[i] + "</Reserved1>"),
            std::string::npos);
        EXPECT_NE(text.find(i % 2 == 0 ? ">StandardIcon<" : ">AllIcon<"), std::string::npos);
        OpenedSettings reopened = openSettingsFile(path);
        EXPECT_FALSE(reopened.problem);
        EXPECT_EQ(readRunSettings(reopened.document), run) << rightFolders[i];
    }
}

TEST(SettingsFile, ASaveKeepsWhatTheCloseDoesNotWrite) {
    TempTree dir;
    const std::string path = dir.write(
        "TarvoManager.xml",
        "<?xml version=\"1.0\"?>\n<TarvoManager><Settings>"
        "<version type=\"string\">mine</version><SortTypeLeft type=\"int\">name 0-1</SortTypeLeft>"
        "<MainWindowLeft type=\"int\">12</MainWindowLeft><Extra keep=\"1\">text<Inner/></Extra>"
        "</Settings><Outside>o</Outside></TarvoManager>");
    TXMLTarvoManagerType document = openSettingsFile(path).document;
    ASSERT_EQ(saveRunSettings(document, {"date 1-0", "none", true, "/a", "/b", false, false}, path),
              "");
    const std::string text = readFile(path);
    for (const char* kept : {"<version type=\"string\">mine</version>",
                             "<SortTypeLeft type=\"int\">date 1-0</SortTypeLeft>",
                             "<MainWindowLeft type=\"int\">12</MainWindowLeft>",
                             "<Extra keep=\"1\">text<Inner/></Extra>", "<Outside>o</Outside>",
                             "<Reserved2>StandardIcon</Reserved2>"})
        EXPECT_NE(text.find(kept), std::string::npos) << kept << " in " << text;
}

// Mounts a small file system, so that a save can run out of space.
class TinyFileSystem {
public:
    explicit TinyFileSystem(const std::string& folder) : folder_(folder) {
        mounted_ = ::mount("tarvo-test", folder.c_str(), "tmpfs", 0, "size=64k") == 0;
    }
    ~TinyFileSystem() {
        if (mounted_)
            ::umount2(folder_.c_str(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }

private:
    std::string folder_;
    bool mounted_ = false;
};

TEST(SettingsFile, AFailedSaveLeavesThePreviousFileWholeAndNoTemporaryFile) {
    const RunSettings run{"size 1-0", "none", true, "/" + std::string(8000, 'x'), "/y", true, true};
    {
        TempTree dir;
        const std::string path = dir.write("TarvoManager.xml", kDefaultFile);
        ::chmod(path.c_str(), 0444);
        TXMLTarvoManagerType document = openSettingsFile(path).document;
        EXPECT_NE(saveRunSettings(document, run, path), "") << "a read-only file, also for root";
        EXPECT_EQ(readFile(path), kDefaultFile);
        EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"TarvoManager.xml"});
    }
    {
        TempTree dir;
        const std::string folder = dir.dir("program");
        TXMLTarvoManagerType document = openSettingsFile(folder + "/TarvoManager.xml").document;
        std::filesystem::remove_all(folder);
        EXPECT_NE(saveRunSettings(document, run, folder + "/TarvoManager.xml"), "");
        EXPECT_FALSE(std::filesystem::exists(folder));
    }
    TempTree dir;
    const std::string folder = dir.dir("tiny");
    TinyFileSystem tiny(folder);
    if (!tiny.mounted())
        GTEST_SKIP() << "cannot mount a small file system here";
    const std::string path = folder + "/TarvoManager.xml";
    writeFile(path, kDefaultFile);
    TXMLTarvoManagerType document = openSettingsFile(path).document;
    writeFile(folder + "/filler", std::string(64 * 1024, 'f')); // the rest of the space
    EXPECT_NE(saveRunSettings(document, run, path), "");
    EXPECT_EQ(readFile(path), kDefaultFile);
    EXPECT_EQ(namesIn(folder), (std::vector<std::string>{"TarvoManager.xml", "filler"}));
}

TEST(SettingsFile, AFolderIsStoredUpToItsFirstNameXmlCannotHold) {
    const std::pair<std::string, std::string> cases[] = {
        {"/home/a/b", "/home/a/b"},
        {"/home/\xff\xfe/x", "/home"},
        {"/a/b\x01"
         "c/d",
         "/a"},
        {"/a/\xef\xbf\xbe", "/a"},   // U+FFFE, valid UTF-8 but no XML character
        {"/a/\xed\xa0\x80/b", "/a"}, // an encoded surrogate
        {"/\xc3", "/"},
        {"/a//b/", "/a/b"},
        {" ", " "},
        {"", ""},
    };
    for (const auto& [path, stored] : cases)
        EXPECT_EQ(storableFolder(path), stored) << path;
}

} // namespace
