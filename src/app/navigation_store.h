#pragma once

#include "frontend/frontend.h"

#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// The per-panel history files and the favourites file in the program folder. Any thread may
// use them: one lock covers all three, and every change reads the file, applies itself and
// writes the file back whole through a temporary file, so concurrent changes never lose one
// another and a failed write leaves the file as it was. Lines end with CR LF; LF alone is read
// too, and empty lines are skipped. A file that cannot be read is never created: the program
// ships the three files, empty, and a missing one means "keep no history" or "no favourites".
// Only regular files of at most kProgramFileLimit bytes are read, opened without blocking: a
// pipe, a device or a huge file under one of the names counts as a file that cannot be read.
class NavigationStore {
public:
    using Lines = std::vector<std::string>;

    // A recording leaves at most this many lines in a file that held no more.
    static constexpr std::size_t kHistoryLines = 27;

    explicit NavigationStore(std::string folder);

    // Why each of the files that exist cannot be read, naming the file; empty when all can.
    std::vector<std::string> problems() const;

    // None when the file cannot be read.
    std::optional<Lines> history(PanelSide side) const;
    std::optional<Lines> favorites() const;

    // Moves the entry to the end of the panel's history (appending it when new); when the
    // history is full its oldest line goes. An entry holding a line break is not recorded.
    void recordVisit(PanelSide side, const std::string& entry);

    // Appends the entry unless it is a favourite already or holds a line break. True when the
    // file was changed.
    bool addFavorite(const std::string& entry);

    // Applies change to the favourites as the file holds them now; when change returns true
    // the result is written. True when the file was changed.
    bool changeFavorites(const std::function<bool(Lines&)>& change);

private:
    std::optional<Lines> read(const std::string& name, std::string& problem) const;
    std::optional<Lines> read(const std::string& name) const;
    bool write(const std::string& name, const Lines& lines) const;

    const std::string folder_;
    mutable std::mutex mutex_;
};

// Where a line the user chose (by its position and text in a list taken earlier) stands in the
// lines as they are now: at the same position if it still holds that text, else the nearest
// line with that text. None when no line has it any more.
std::optional<std::size_t> locateLine(const NavigationStore::Lines& lines, std::size_t position,
                                      const std::string& text);
