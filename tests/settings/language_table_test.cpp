#include "settings/language_table.h"

#include "support/scripted_messages.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>
#include <cstdlib>
#include <thread>
#include <tuple>
#include <vector>

namespace {

std::string languageDocument(const std::string& strings, const std::string& root = "Language") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<" + root +
           " Name=\"Test\" Native=\"Testish\" Code=\"tt\" Author=\"A\" Version=\"1\">" +
           "<Strings>" + strings + "</Strings></" + root + ">";
}

class LanguageTableTest : public testing::Test {
protected:
    TempTree dir;
    LanguageTable table;

    std::optional<std::string> load(const std::string& content) {
        return table.load(dir.write("Language.xml", content));
    }
};

TEST_F(LanguageTableTest, LooksUpExactKeysAndTheFirstOfDuplicatesWins) {
    ASSERT_FALSE(load(languageDocument("<String Name=\"Connect\">Verbinden</String>"
                                       "<String Name=\"Connect\">Second</String>"
                                       "<String Name=\"Empty\"></String>"
                                       "<String Name=\"Amp\">Save &amp; exit</String>"
                                       "<String Name=\"Lines\">  two&#10;lines</String>"
                                       "<String>no name</String>")));
    // Keys are case-sensitive; an empty translation is not a missing one.
    const std::pair<const char*, const char*> lookups[] = {
        {"Connect", "Verbinden"}, {"connect", "connect"},    {"Missing", "Missing"}, {"Empty", ""},
        {"Amp", "Save & exit"},   {"Lines", "  two\nlines"}, {"", "no name"}};
    for (const auto& [key, text] : lookups)
        EXPECT_EQ(table.translate(key), text) << key;
    ASSERT_FALSE(load("<Language Name=\"x\"/>"));
    EXPECT_EQ(table.size(), 0u) << "a document without strings loads empty";
    EXPECT_EQ(table.translate("Connect"), "Connect");
}

// Files that cannot serve as the language: each is refused with the reason (which names the
// file), promptly and without building a document of it, and the previous table stays.
enum class Kind { Text, Missing, Fifo, Folder, Huge };

struct UnusableFile {
    const char* name;
    Kind kind;
    std::string text; // of a Text file
    const char* reason;
};

std::string make(const TempTree& dir, const UnusableFile& file) {
    const std::string path = dir.at("unusable.xml");
    switch (file.kind) {
    case Kind::Text:
        return dir.write("unusable.xml", file.text);
    case Kind::Fifo:
        EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
        return path;
    case Kind::Folder:
        return dir.dir("unusable.xml");
    case Kind::Huge:
        return dir.file("unusable.xml", kMaxXmlFileSize + 1);
    case Kind::Missing:
        break;
    }
    return path;
}

class UnusableLanguageFiles : public LanguageTableTest,
                              public testing::WithParamInterface<UnusableFile> {};

TEST_P(UnusableLanguageFiles, AreRefusedAndThePreviousTableStays) {
    ASSERT_FALSE(load(languageDocument("<String Name=\"Copy\">Kopieren</String>")));
    const std::string path = make(dir, GetParam());
    const auto failure = table.load(path);
    ASSERT_TRUE(failure);
    EXPECT_NE(failure->find(path), std::string::npos) << *failure;
    EXPECT_NE(failure->find(GetParam().reason), std::string::npos) << *failure;
    EXPECT_EQ(table.translate("Copy"), "Kopieren");
}

std::string nested(int depth) {
    std::string text = "<Language><Strings>";
    for (int i = 0; i < depth; ++i)
        text += "<a>";
    for (int i = 0; i < depth; ++i)
        text += "</a>";
    return text + "</Strings></Language>";
}

const UnusableFile kUnusable[] = {
    {"Missing", Kind::Missing, "", "cannot be read"},
    {"LowerCaseRoot", Kind::Text, languageDocument("", "language"), "is not a language document"},
    {"NotWellFormed", Kind::Text, "<Language>\n<Strings><String>broken", "line 2, column"},
    {"Fifo", Kind::Fifo, "", "is not a regular file"},
    {"Folder", Kind::Folder, "", "is not a regular file"},
    {"Huge", Kind::Huge, "", "is larger than"},
    {"DeeplyNested", Kind::Text, nested(100'000), "nested deeper than 64 levels"},
    {"EntityDeclared", Kind::Text,
     "<!DOCTYPE Language [<!ENTITY a \"aaaaaaaa\">]>" +
         languageDocument("<String Name=\"Copy\">&a;&a;&a;&a;</String>"),
     "a document type declaration"}};

INSTANTIATE_TEST_SUITE_P(Files, UnusableLanguageFiles, testing::ValuesIn(kUnusable),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LanguageTableTest, ALargeFileIsReadWhole) {
    std::string strings;
    for (int i = 0; i < 50'000; ++i)
        strings +=
            "<String Name=\"K" + std::to_string(i) + "\">T" + std::to_string(i) + "</String>";
    ASSERT_FALSE(load(languageDocument(strings)));
    EXPECT_EQ(std::tuple(table.size(), table.translate("K0"), table.translate("K49999")),
              std::tuple(50'000u, "T0", "T49999"));
}

TEST_F(LanguageTableTest, LookupsDuringReloadsSeeTheOldOrTheNewTextOnly) {
    const std::string first =
        dir.write("first.xml", languageDocument("<String Name=\"K\">old</String>"));
    const std::string second =
        dir.write("second.xml", languageDocument("<String Name=\"K\">new</String>"));
    ASSERT_FALSE(table.load(first));
    std::atomic<bool> done{false};
    std::atomic<int> wrong{0};
    std::vector<std::thread> readers;
    for (int i = 0; i < 6; ++i)
        readers.emplace_back([&] {
            while (!done) {
                const std::string text = table.translate("K");
                if (text != "old" && text != "new")
                    ++wrong;
            }
        });
    for (int i = 0; i < 200; ++i)
        ASSERT_FALSE(table.load(i % 2 ? first : second));
    done = true;
    for (auto& reader : readers)
        reader.join();
    EXPECT_EQ(wrong, 0);
}

TEST_F(LanguageTableTest, TheActiveLanguageComesFromTheProgramFolderAndAMissingOneIsReported) {
    setenv("TARVO_HOME", dir.path().c_str(), 1);
    ScriptedMessages messages;
    testing::internal::CaptureStderr();
    loadActiveLanguage(table, messages);
    const std::string reason = testing::internal::GetCapturedStderr();
    EXPECT_NE(reason.find(dir.at("Language.xml") + ": cannot be read"), std::string::npos)
        << reason;
    const auto shown = messages.shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(
        std::tuple(shown[0].title, shown[0].text, shown[0].buttons, table.translate("Connect")),
        std::tuple("Tarvo Manager",
                   "Could not load language file.\nPlace language.xml in the TarvoManager "
                   "main folder or reinsatall program.",
                   MessageButton::Ok, "Connect"));

    dir.write("Language.xml", languageDocument("<String Name=\"Connect\">Verbinden</String>"));
    loadActiveLanguage(table, messages);
    unsetenv("TARVO_HOME");
    EXPECT_EQ(std::tuple(messages.shown().size(), table.translate("Connect")),
              std::tuple(1u, "Verbinden"));
}

} // namespace
