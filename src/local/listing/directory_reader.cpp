#include "local/listing/directory_reader.h"

#include "local/listing/entry_stat.h"
#include "local/listing/parallel_for.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <optional>

namespace tarvo::listing {

namespace {

// Examining entries is one system call each; on large folders a few threads hide its latency.
// Below this many entries per thread, starting threads costs more than it saves.
constexpr std::size_t kEntriesPerThread = 2048;

struct NamedEntry {
    std::string Name;
    unsigned char Type;
};

bool isSelfOrParent(const char* name) {
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

// Collects the names and reported kinds of dir. Returns 0 or the errno of the failure; the
// names read before a failure stay collected.
int readNames(DIR* dir, const DirectoryCalls& calls, const NameFilter& filter,
              std::vector<NamedEntry>& names) {
    for (;;) {
        errno = 0;
        const dirent* entry = calls.next(dir);
        if (entry == nullptr)
            return errno;
        if (!isSelfOrParent(entry->d_name) && (!filter || filter(entry->d_name)))
            names.push_back({entry->d_name, entry->d_type});
    }
}

} // namespace

ReadResult readDirectory(const std::string& path, const DirectoryCalls& calls,
                         const NameFilter& filter) {
    ReadResult result;
    errno = 0;
    const DirHandle dir(calls.open(path.c_str()));
    if (!dir) {
        result.Error = errno != 0 ? errno : EIO;
        return result;
    }
    std::vector<NamedEntry> names;
    result.Error = readNames(dir.get(), calls, filter, names);
    result.Partial = !result.ok();

    const int dirFd = ::dirfd(dir.get());
    std::vector<std::optional<SearchRecord>> records(names.size());
    parallelFor(names.size(), kEntriesPerThread, [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i)
            records[i] = statEntry(dirFd, std::move(names[i].Name), names[i].Type);
    });

    for (std::optional<SearchRecord>& record : records) {
        if (!record)
            continue;
        auto& list = (record->Attr & Directory) ? result.Listing.Dirs : result.Listing.Files;
        list.push_back(std::move(*record));
    }
    return result;
}

} // namespace tarvo::listing
