#include "settings/settings_file.h"

#include "support/file_content.h"
#include "support/run_settings_print.h"
#include "support/skip_or_fail.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/mount.h>
#include <sys/stat.h>

namespace {

const std::string kDefaultFile = std::string(kDefaultSettingsText) + "\r\n";

TEST(SettingsFile, AFirstStartWritesTheDefaultDocumentOfFifteenPaddedLeavesAtOnce) {
    TempTree dir;
    const std::string path = dir.at("TarvoManager.xml");
    OpenedSettings opened = openSettingsFile(path);
    EXPECT_FALSE(opened.problem);
    EXPECT_EQ(readFile(path), kDefaultFile);
    ASSERT_EQ(kDefaultFile.size(), 989u);
    EXPECT_EQ(kDefaultSettingsText.substr(0, 28), "<TarvoManager>   \t<Settings>");
    EXPECT_EQ(kDefaultSettingsText.substr(987 - 75),
              "\t</Settings>" + std::string(48, ' ') + "</TarvoManager>");
    // Each leaf: two tabs, its markup, blanks up to 57 characters.
    const std::string leaves[][3] = {{"version", "string", "Tarvo Manager v0_7x"},
                                     {"SortTypeLeft", "string", "none"},
                                     {"SortTypeRight", "string", "none"},
                                     {"SortTypeFTP", "string", "none"},
                                     {"LastFTP", "string", ""},
                                     {"MainWindowLeft", "int", "-1"},
                                     {"MainWindowTop", "int", "-1"},
                                     {"MainWindowWidth", "int", "-1"},
                                     {"MainWindowHeight", "int", "-1"},
                                     {"LeftTabDir", "string", ""},
                                     {"RightTabDir", "string", ""},
                                     {"Reserved1", "string", ""},
                                     {"Reserved2", "string", ""},
                                     {"Reserved3", "string", ""},
                                     {"Reserved4", "string", ""}};
    for (int i = 0; i < 15; ++i) {
        const auto& [name, type, text] = leaves[i];
        const std::string markup =
            "\t\t<" + name + " type=\"" + type + "\">" + text + "</" + name + ">";
        EXPECT_EQ(kDefaultSettingsText.substr(57 + 57 * i, 57),
                  markup + std::string(57 - markup.size(), ' '));
    }
    EXPECT_EQ(readRunSettings(opened.document),
              (RunSettings{"none", "none", false, "", "", false, false}));
}

TEST(SettingsFile, AnUnusableFileIsReportedUsedAsDefaultsAndLeftAlone) {
    const std::pair<const char*, const char*> cases[] = {
        {"<TarvoManager><Settings>", "line 1, column"},
        {"<Other><Settings/></Other>", "its root element is not <TarvoManager>"},
        {"<TarvoManager>caf\xe9</TarvoManager>", "line 1, column"}, // Latin-1, undeclared
        {"", "line 1, column"},
        {"<!DOCTYPE TarvoManager [<!ENTITY a \"x\">]><TarvoManager>&a;</TarvoManager>",
         "a document type declaration"},
    };
    for (const auto& [content, reason] : cases) {
        TempTree dir;
        const std::string path = dir.write("TarvoManager.xml", content);
        OpenedSettings opened = openSettingsFile(path);
        ASSERT_TRUE(opened.problem) << content;
        EXPECT_EQ(opened.problem->find("The settings file " + path + " could not be read ("), 0u);
        EXPECT_NE(opened.problem->find(reason), std::string::npos) << *opened.problem;
        EXPECT_NE(opened.problem->find("). Default settings are used until the program closes."),
                  std::string::npos);
        EXPECT_EQ(readRunSettings(opened.document).SortTypeLeft, "none");
        EXPECT_EQ(readFile(path), content) << "untouched until the close saves";
    }
    TempTree dir;
    const std::string latin1 =
        dir.write("TarvoManager.xml",
                  "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<TarvoManager>"
                  "<Settings><LeftTabDir>/caf\xe9</LeftTabDir></Settings></TarvoManager>");
    OpenedSettings declared = openSettingsFile(latin1);
    EXPECT_FALSE(declared.problem);
    EXPECT_EQ(readRunSettings(declared.document).LeftTabDir, "/caf\xc3\xa9");
}

TEST(SettingsFile, TheRunsValuesComeBackFromTheSavedFileAndTheRestIsKept) {
    const std::string rightFolders[] = {"/home/usér/Документы", "/tmp/a&b<c>]]>\"'",
                                        "/tmp/tab\tand\rreturn", ""};
    const char* storedBrief[] = {":", " LeftBrief ", ": RightBrief ", " LeftBrief  RightBrief "};
    for (int i = 0; i < 4; ++i) {
        TempTree dir;
        const std::string path = dir.write(
            "TarvoManager.xml",
            "<TarvoManager><Settings><version type=\"string\">mine</version>"
            "<SortTypeLeft type=\"int\">x</SortTypeLeft><Extra keep=\"1\">text<Inner/></Extra>"
            "</Settings><Outside>o</Outside></TarvoManager>"); // no Reserved2
        TXMLTarvoManagerType document = openSettingsFile(path).document;
        const RunSettings run{"size 1-0",      "name 0-1", i % 2 == 0, "/srv/Ünï",
                              rightFolders[i], i % 2 == 1, i >= 2};
        ASSERT_EQ(saveRunSettings(document, run, path), "");

        const std::string text = readFile(path);
        EXPECT_EQ(text.rfind("<TarvoManager>", 0), 0u) << "no declaration: UTF-8 by default";
        EXPECT_EQ(text.substr(text.size() - 17), "</TarvoManager>\r\n");
        for (const std::string& kept : std::initializer_list<std::string>{
                 "<version type=\"string\">mine</version>", "<SortTypeLeft type=\"int\">size 1-0<",
                 "<Extra keep=\"1\">text<Inner/></Extra>", "<Outside>o</Outside>",
                 std::string("<Reserved1>") + storedBrief[i] + "</Reserved1>",
                 std::string("<Reserved2>") + (i % 2 == 0 ? "StandardIcon" : "AllIcon") + "<"})
            EXPECT_NE(text.find(kept), std::string::npos) << kept << " in " << text;
        OpenedSettings reopened = openSettingsFile(path);
        EXPECT_FALSE(reopened.problem);
        EXPECT_EQ(readRunSettings(reopened.document), run) << rightFolders[i];
    }
}

TEST(SettingsFile, AFailedSaveLeavesThePreviousFileWholeAndNoTemporaryFile) {
    const RunSettings run{"size 1-0", "none", true, "/" + std::string(8000, 'x'), "/y", true, true};
    const auto failedSave = [&](const std::string& folder) {
        const std::string path = folder + "/TarvoManager.xml";
        TXMLTarvoManagerType document = openSettingsFile(path).document;
        return [document, path, &run]() mutable { return saveRunSettings(document, run, path); };
    };
    TempTree dir;
    const std::string readOnly = dir.write("ro/TarvoManager.xml", kDefaultFile);
    ::chmod(readOnly.c_str(), 0444);
    EXPECT_NE(failedSave(dir.at("ro"))(), "") << "a read-only file, also for root";
    EXPECT_EQ(readFile(readOnly), kDefaultFile);

    auto vanished = failedSave(dir.dir("gone"));
    std::filesystem::remove_all(dir.at("gone"));
    EXPECT_NE(vanished(), "");

    // A full file system.
    const std::string tiny = dir.dir("tiny");
    if (::mount("tarvo-test", tiny.c_str(), "tmpfs", 0, "size=64k") != 0)
        SKIP_OR_FAIL(std::string("cannot mount a small file system here: ") + std::strerror(errno));
    writeFile(tiny + "/TarvoManager.xml", kDefaultFile);
    auto full = failedSave(tiny);
    writeFile(tiny + "/filler", std::string(64 * 1024, 'f')); // the rest of the space
    EXPECT_NE(full(), "");
    EXPECT_EQ(readFile(tiny + "/TarvoManager.xml"), kDefaultFile);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tiny), {}), 2);
    ::umount2(tiny.c_str(), MNT_DETACH);
}

TEST(SettingsFile, AFolderIsStoredUpToItsFirstNameXmlCannotHold) {
    const std::pair<std::string, std::string> cases[] = {
        {"/home/a/b", "/home/a/b"},
        {"/home/\xff\xfe/x", "/home"},
        {"/a/b\001c/d", "/a"},
        {"/a/\xef\xbf\xbe", "/a"},
        {"/a/\xed\xa0\x80/b", "/a"},
        {"/\xc3", "/"},
        {"/a//b/", "/a/b"},
        {" ", " "},
        {"", ""},
    };
    for (const auto& [path, stored] : cases)
        EXPECT_EQ(storableFolder(path), stored) << path;
}

} // namespace
