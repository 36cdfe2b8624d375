#include "app/navigation_store.h"

#include "platform/atomic_file.h"
#include "platform/posix/path.h"
#include "platform/whole_file.h"

#include <algorithm>

namespace {

const char* historyFile(PanelSide side) {
    return side == PanelSide::Left ? "HistoryLeft.dat" : "HistoryRight.dat";
}

constexpr const char* kFavoritesFile = "Favorites.dat";

NavigationStore::Lines splitLines(const std::string& text) {
    NavigationStore::Lines lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::size_t stop = end;
        if (stop > start && text[stop - 1] == '\r')
            --stop;
        if (stop > start)
            lines.push_back(text.substr(start, stop - start));
        start = end + 1;
    }
    return lines;
}

// The files hold one entry a line: a name holding a line break would come back as two.
bool fitsOneLine(const std::string& entry) {
    return !entry.empty() && entry.find_first_of("\r\n") == std::string::npos;
}

} // namespace

NavigationStore::NavigationStore(std::string folder) : folder_(std::move(folder)) {}

std::optional<NavigationStore::Lines> NavigationStore::read(const std::string& name,
                                                            std::string& problem) const {
    const auto content = readProgramFile(joinPath(folder_, name), problem);
    return content ? std::optional(splitLines(*content)) : std::nullopt;
}

std::optional<NavigationStore::Lines> NavigationStore::read(const std::string& name) const {
    std::string problem;
    return read(name, problem);
}

std::vector<std::string> NavigationStore::problems() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> found;
    for (const char* name :
         {kFavoritesFile, historyFile(PanelSide::Left), historyFile(PanelSide::Right)}) {
        if (std::string problem; !read(name, problem) && !problem.empty())
            found.push_back(std::move(problem));
    }
    return found;
}

bool NavigationStore::write(const std::string& name, const Lines& lines) const {
    std::string content;
    for (const std::string& line : lines)
        content += line + "\r\n";
    return replaceFileContent(joinPath(folder_, name), content).empty();
}

std::optional<NavigationStore::Lines> NavigationStore::history(PanelSide side) const {
    std::lock_guard lock(mutex_);
    return read(historyFile(side));
}

std::optional<NavigationStore::Lines> NavigationStore::favorites() const {
    std::lock_guard lock(mutex_);
    return read(kFavoritesFile);
}

void NavigationStore::recordVisit(PanelSide side, const std::string& entry) {
    if (!fitsOneLine(entry))
        return;
    std::lock_guard lock(mutex_);
    std::optional<Lines> lines = read(historyFile(side));
    if (!lines)
        return;
    // One line only, so that a longer file written by hand shrinks no faster than it grows.
    if (lines->size() >= kHistoryLines)
        lines->erase(lines->begin());
    if (const auto same = std::find(lines->begin(), lines->end(), entry); same != lines->end())
        lines->erase(same);
    lines->push_back(entry);
    write(historyFile(side), *lines);
}

bool NavigationStore::addFavorite(const std::string& entry) {
    if (!fitsOneLine(entry))
        return false;
    return changeFavorites([&entry](Lines& lines) {
        if (std::find(lines.begin(), lines.end(), entry) != lines.end())
            return false;
        lines.push_back(entry);
        return true;
    });
}

bool NavigationStore::changeFavorites(const std::function<bool(Lines&)>& change) {
    std::lock_guard lock(mutex_);
    std::optional<Lines> lines = read(kFavoritesFile);
    if (!lines || !change(*lines))
        return false;
    return write(kFavoritesFile, *lines);
}

std::optional<std::size_t> locateLine(const NavigationStore::Lines& lines, std::size_t position,
                                      const std::string& text) {
    if (position < lines.size() && lines[position] == text)
        return position;
    std::optional<std::size_t> nearest;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto distance = [position](std::size_t at) {
            return at > position ? at - position : position - at;
        };
        if (lines[i] == text && (!nearest || distance(i) < distance(*nearest)))
            nearest = i;
    }
    return nearest;
}
