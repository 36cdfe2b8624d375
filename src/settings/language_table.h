#pragma once

#include "settings/language_document.h"

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

class MessageService;

// The texts of the active language by key. Lookups come from every thread and never wait for a
// load: a table once built never changes, and a reload builds the new table aside and swaps the
// pointer in, so a lookup sees either the old or the new table and keeps what it took alive.
class LanguageTable {
public:
    // The text of the key; the key itself when it has no entry. Exact, case-sensitive match; the
    // first of duplicate keys wins.
    std::string translate(const std::string& key) const;

    // Replaces the table with the entries of the language document at path. On failure the
    // previous table stays in use and the reason is returned.
    std::optional<std::string> load(const std::string& path);

    // The header of the document the table was last filled from (for the language dialog).
    std::optional<LanguageHeader> header() const;

    std::size_t size() const;

private:
    struct Table {
        std::unordered_map<std::string, std::string> texts;
        std::optional<LanguageHeader> header;
    };
    std::shared_ptr<const Table> current() const;

    // Held only to copy or replace the pointer. Not std::atomic<std::shared_ptr>: GCC 12's
    // hides its hand-over from the thread checker.
    mutable std::mutex swap_;
    std::shared_ptr<const Table> table_ = std::make_shared<const Table>();
};

// Fills the table from Language.xml in the program folder. When that fails the user is told
// once, the reason goes to stderr, and the program goes on with the table it had (at start:
// empty, so every text is its key).
void loadActiveLanguage(LanguageTable& table, MessageService& messages);
