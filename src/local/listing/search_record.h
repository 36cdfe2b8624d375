#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarvo::listing {

// Attribute bits of a panel entry, in the numbering the panels, the attribute dialog and the
// archive code share.
enum Attribute : std::int32_t {
    ReadOnly = 0x01,
    Hidden = 0x02,
    System = 0x04, // never set on this platform
    Directory = 0x10,
    Archive = 0x20,
};

// One directory entry as a panel shows and sorts it. Kept small: a large folder holds
// a hundred thousand of these and sorting moves them.
struct SearchRecord {
    std::string Name;       // bytes as the file system gives them, no path
    std::uint64_t Size = 0; // bytes
    std::int64_t Time = 0;  // last write, seconds since the Unix epoch
    std::int32_t Attr = 0;  // Attribute bits
    bool IsSymlink = false; // the entry is a link; Attr and Size describe its target when reachable
    std::uint16_t Mode = 0; // Unix permission bits (07777) an FTP listing gave; 0 when none
};

// A folder's entries, split the way the panels show them: folders first, then files.
struct DirectoryListing {
    std::vector<SearchRecord> Dirs;
    std::vector<SearchRecord> Files;
};

} // namespace tarvo::listing
