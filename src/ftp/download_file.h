#pragma once

#include "platform/posix/unique_fd.h"

#include <cstdint>
#include <optional>
#include <string>

// The local side of one download: the target folder, opened once, and the file being written
// in it. Data never goes straight into the final name: a fresh download writes NAME.part (or,
// when a part file is kept from before, a hidden temporary beside it) and only a complete file
// takes NAME. Every check and change is made relative to the folder itself, so a folder
// renamed or replaced meanwhile never redirects the data.
//
// A part file is this program's only while it carries kPartFileMarker, an extended attribute
// set when the download creates it and removed before the complete file takes its name: a file
// that merely has the name (the server's own "NAME.part", downloaded earlier, or the user's) is
// never resumed, and a complete download never passes for a part file. Where the file system
// keeps no extended attributes an unfinished download still stays as the part file, but is not
// resumed: the whole file is downloaded again beside it.
inline constexpr const char* kPartFileMarker = "user.tarvo.partial";

class DownloadFile {
public:
    // The folder and the name in it. Fails (no value) when the folder cannot be opened.
    static std::optional<DownloadFile> inFolder(const std::string& folder, std::string name);

    const std::string& name() const { return name_; }
    std::string partName() const { return name_ + ".part"; }

    // Whether a file (not a folder) of the name, or a part file this program wrote, exists now.
    bool finalExists() const;
    bool partExists() const;

    // Starts a fresh download: into the part file when no file has its name, else into a
    // temporary.
    bool createFresh();
    // Continues the part file at its end, when it is one this program wrote; the offset is its
    // size.
    bool openPart(std::uint64_t& offset);

    bool write(const char* data, std::size_t size);
    // Bytes of the file being written (for a resume: with what the part held).
    std::uint64_t size() const;

    // Gives the complete file the final name. With replace, an existing file of that name is
    // replaced and its mode kept (owner write added); without, a file of that name is never
    // replaced and the call fails. The descriptor is closed first; a failed close fails.
    bool finish(bool replace);
    // A server that ignored the resume offset sent the whole file after the old part: the bytes
    // from the offset on are the file. Writes them into a temporary and finishes that instead.
    bool finishFrom(std::uint64_t offset, bool replace);
    // Removes what was written (a transfer that never started).
    void discard();
    // Leaves an unfinished fresh download as the part file: kept when it holds more than
    // `keepAbove` bytes, emptied otherwise. A temporary is removed (the older part file stays).
    void keepUnfinished(std::uint64_t keepAbove);
    // The same for a resumed part file, which stays under its name.
    void keepUnfinishedPart(std::uint64_t keepAbove);

private:
    DownloadFile(tarvo::UniqueFd folder, std::string name);
    bool rename(const std::string& from, bool replace);

    tarvo::UniqueFd folder_;
    std::string name_;
    tarvo::UniqueFd file_;
    std::string writing_; // the name in the folder the data goes to
};
