// Every language key the program looks up has an English text in the shipped files.
#include "main/main_window_texts.h"
#include "main/menu_tree.h"
#include "support/file_content.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <string>

namespace {

std::filesystem::path sourceDir() {
    return std::getenv("TARVO_SOURCE_DIR");
}

// Adds the first group of each match of the pattern in the text.
void addMatches(const std::string& text, const std::regex& pattern, std::set<std::string>& keys) {
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern);
         it != std::sregex_iterator(); ++it)
        keys.insert((*it)[1]);
}

std::set<std::string> shippedKeys(const std::string& file) {
    std::set<std::string> keys;
    addMatches(readFile(sourceDir() / "resources" / file), std::regex("<String Name=\"([^\"]*)\""),
               keys);
    return keys;
}

void collectMenuKeys(const std::vector<MenuNode>& nodes, std::set<std::string>& keys) {
    for (const MenuNode& node : nodes) {
        if (node.key != nullptr)
            keys.insert(node.key);
        collectMenuKeys(node.children, keys);
    }
}

std::set<std::string> keysUsedByTheCode() {
    std::set<std::string> keys;
    collectMenuKeys(mainMenuTree(), keys);
    for (const WidgetText& text : mainWindowTexts())
        keys.insert(text.key);
    const std::regex call(R"re([Tt]ranslate\("([^"]+)"\))re");
    for (const auto& entry : std::filesystem::recursive_directory_iterator(sourceDir() / "src")) {
        const auto extension = entry.path().extension();
        if (extension != ".cpp" && extension != ".h")
            continue;
        addMatches(readFile(entry.path()), call, keys);
    }
    return keys;
}

TEST(LanguageKeys, EveryKeyTheCodeUsesIsShipped) {
    const std::set<std::string> shipped = shippedKeys("Language.xml");
    ASSERT_GT(shipped.size(), 100u);
    for (const std::string& key : keysUsedByTheCode())
        EXPECT_TRUE(shipped.count(key)) << "no English text for \"" << key << "\"";
}

TEST(LanguageKeys, TheActiveLanguageIsTheShippedEnglish) {
    EXPECT_EQ(readFile(sourceDir() / "resources" / "Language.xml"),
              readFile(sourceDir() / "resources" / "lang" / "English.xml"));
}

} // namespace
