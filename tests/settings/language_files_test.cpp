#include "settings/language_files.h"

#include "support/as_nobody.h"
#include "support/file_content.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

const std::string kGood = "<?xml version=\"1.0\"?>\n<Language Native=\"Testish\" Code=\"tt\">"
                          "<Strings><String Name=\"Connect\">Verbinden</String></Strings>"
                          "</Language>\n";

TEST(LanguageFiles, ListsTheRegularXmlFilesSortedByName) {
    TempTree lang;
    for (const char* name : {"b.xml", "A.XML", "c.xml.bak", "notes.txt", ".xml", "a.xml"})
        lang.write(name, kGood);
    lang.dir("folder.xml");
    lang.symlink("linked.xml", lang.at("b.xml"));
    lang.symlink("dangling.xml", lang.at("gone.xml"));
    EXPECT_EQ(listLanguageFiles(lang.path()),
              (std::vector<std::string>{".xml", "A.XML", "a.xml", "b.xml", "linked.xml"}));
    EXPECT_TRUE(listLanguageFiles(lang.at("missing")).empty());
}

TEST(LanguageFiles, OnlyALanguageDocumentIsCopiedAndTheTargetIsNeverLeftHalfWritten) {
    TempTree dir;
    const std::string target = dir.write("Language.xml", kGood);
    struct Case {
        const char* what;
        std::string content;
        const char* reason; // part of the refusal; empty: installed
    };
    const Case cases[] = {
        {"not well-formed", "<Language><Strings>", "line"},
        {"lower-case root", "<language Native=\"x\"><Strings/></language>", "<Language>"},
        {"empty file", "", "source.xml"},
        {"another document", "<TarvoManager/>", "<Language>"},
        {"a language document", kGood + "<!-- another -->", ""},
    };
    for (const Case& c : cases) {
        const std::string before = readFile(target);
        const std::string failure = installLanguageFile(dir.write("source.xml", c.content), target);
        if (*c.reason == '\0') {
            EXPECT_EQ(failure, "") << c.what;
            EXPECT_EQ(readFile(target), c.content) << c.what;
        } else {
            EXPECT_NE(failure.find(c.reason), std::string::npos) << c.what << ": " << failure;
            EXPECT_EQ(readFile(target), before) << c.what;
        }
    }

    // A copy that cannot be written is refused: here the target's folder is missing.
    EXPECT_NE(installLanguageFile(target, dir.at("missing/Language.xml")), "");

    const std::string content = readFile(target);
    EXPECT_NE(installLanguageFile(dir.at("gone.xml"), target), "");
    ::chmod(target.c_str(), 0444); // a file without a write bit is not replaced
    EXPECT_NE(installLanguageFile(dir.write("source.xml", kGood), target), "");
    EXPECT_EQ(readFile(target), content);
}

TEST(LanguageFiles, AnUnreadableSourceIsRefused) {
    TempTree dir;
    const std::string source = dir.write("secret.xml", kGood);
    ::chmod(source.c_str(), 0);
    const std::string target = dir.write("Language.xml", "old");
    ::chmod(dir.path().c_str(), 0777);
    ::chmod(target.c_str(), 0666);
    const std::string failure = runAsNobody([&] { return installLanguageFile(source, target); });
    EXPECT_NE(failure.find("ermission"), std::string::npos) << failure;
    EXPECT_EQ(readFile(target), "old");
}

} // namespace
