#include "settings/language_table.h"

#include "platform/message_service.h"
#include "platform/posix/path.h"
#include "platform/program_folder.h"

#include <cstdio>
#include <stdexcept>

std::shared_ptr<const LanguageTable::Table> LanguageTable::current() const {
    const std::lock_guard lock(swap_);
    return table_;
}

std::string LanguageTable::translate(const std::string& key) const {
    const auto table = current();
    const auto found = table->texts.find(key);
    return found == table->texts.end() ? key : found->second;
}

std::optional<LanguageHeader> LanguageTable::header() const {
    const auto table = current();
    return table ? table->header : std::nullopt;
}

std::size_t LanguageTable::size() const {
    return current()->texts.size();
}

std::optional<std::string> LanguageTable::load(const std::string& path) {
    auto fresh = std::make_shared<Table>();
    try {
        // Filled while the file is read: no document of it is built.
        fresh->header =
            readLanguageFile(path, [&texts = fresh->texts](std::string&& name, std::string&& text) {
                texts.emplace(std::move(name), std::move(text));
            });
        if (!fresh->header)
            return path + ": is not a language document (its root element is not <Language>)";
    } catch (const std::exception& error) {
        return path + ": " + error.what();
    }
    std::shared_ptr<const Table> swapped = std::move(fresh);
    {
        const std::lock_guard lock(swap_);
        table_.swap(swapped);
    }
    // The old table is freed here, outside the lock: lookups never wait for that.
    return std::nullopt;
}

void loadActiveLanguage(LanguageTable& table, MessageService& messages) {
    const auto failure = table.load(joinPath(programFolder(), "Language.xml"));
    if (!failure)
        return;
    // The box keeps its fixed text; the reason is for whoever looks into the file.
    std::fprintf(stderr, "Tarvo Manager: could not load the language file: %s\n", failure->c_str());
    messages.show({"Tarvo Manager",
                   "Could not load language file.\nPlace language.xml in the TarvoManager main "
                   "folder or reinsatall program.",
                   MessageButton::Ok, MessageIcon::None});
}
