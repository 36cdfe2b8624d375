#include "settings/language_table.h"

#include "support/held_lock.h"
#include "support/scripted_messages.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

std::string languageDocument(const std::string& strings, const std::string& root = "Language") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<" + root +
           " Name=\"Test\" Native=\"Testish\" Code=\"tt\" Author=\"A\" Version=\"1\">" +
           "<Strings>" + strings + "</Strings></" + root + ">";
}

class LanguageTableTest : public testing::Test {
protected:
    TempTree dir;
    NamedMutex lock{"XMLMutex2"};
    LanguageTable table{lock};

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
    EXPECT_EQ(table.translate("Connect"), "Verbinden");
    EXPECT_EQ(table.translate("connect"), "connect") << "keys are case-sensitive";
    EXPECT_EQ(table.translate("Missing"), "Missing");
    EXPECT_EQ(table.translate("Empty"), "") << "an empty translation is not a missing one";
    EXPECT_EQ(table.translate("Amp"), "Save & exit");
    EXPECT_EQ(table.translate("Lines"), "  two\nlines");
    EXPECT_EQ(table.translate(""), "no name");
}

TEST_F(LanguageTableTest, ADocumentWithoutStringsLoadsEmpty) {
    ASSERT_FALSE(load("<Language Name=\"x\"/>"));
    EXPECT_EQ(table.size(), 0u);
    EXPECT_EQ(table.translate("Connect"), "Connect");
}

TEST_F(LanguageTableTest, AFailedReloadKeepsThePreviousTable) {
    ASSERT_FALSE(load(languageDocument("<String Name=\"Copy\">Kopieren</String>")));
    EXPECT_TRUE(load(languageDocument("<String Name=\"Copy\">x</String>", "language")))
        << "a lower-case root is not a language document";
    EXPECT_TRUE(load("<Language><Strings><String Name=\"Copy\">broken"));
    EXPECT_TRUE(table.load(dir.at("absent.xml")));
    EXPECT_EQ(table.translate("Copy"), "Kopieren");
}

TEST_F(LanguageTableTest, ALookupThatCannotGetTheLockReturnsTheKey) {
    LanguageTable impatient(lock, 30ms);
    ASSERT_FALSE(impatient.load(
        dir.write("Language.xml", languageDocument("<String Name=\"Copy\">K</String>"))));
    HeldLock holder(lock);
    EXPECT_EQ(impatient.translate("Copy"), "Copy");
    holder.release();
    EXPECT_EQ(impatient.translate("Copy"), "K") << "the lock must not stay taken by the lookup";
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

TEST_F(LanguageTableTest, AMissingActiveLanguageIsReportedOnceAndTextsAreTheirKeys) {
    setenv("TARVO_HOME", dir.path().c_str(), 1);
    ScriptedMessages messages;
    loadActiveLanguage(table, messages);
    unsetenv("TARVO_HOME");
    const auto shown = messages.shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Tarvo Manager");
    EXPECT_EQ(shown[0].text, "Could not load language file.\nPlace language.xml in the "
                             "TarvoManager main folder or reinsatall program.");
    EXPECT_EQ(shown[0].buttons, MessageButton::Ok);
    EXPECT_EQ(table.translate("Connect"), "Connect");
}

TEST_F(LanguageTableTest, TheActiveLanguageComesFromTheProgramFolder) {
    dir.write("Language.xml", languageDocument("<String Name=\"Connect\">Verbinden</String>"));
    setenv("TARVO_HOME", dir.path().c_str(), 1);
    ScriptedMessages messages;
    loadActiveLanguage(table, messages);
    unsetenv("TARVO_HOME");
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(table.translate("Connect"), "Verbinden");
}

} // namespace
