#pragma once

// The zip layer: writes new archives from files and folders and reads existing ones, through
// opaque handles. Every entry call returns a ZipResult and is remembered as the last result
// of its side (writer or reader). A handle is used by one thread at a time.

#include "local/zip/zip_result.h"

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>
#include <vector>

namespace tarvo::zip {

class TZip;
class TUnzip;

// Attribute bits of ZipEntryInfo::attributes.
inline constexpr std::uint32_t ZipAttrReadOnly = 0x01;
inline constexpr std::uint32_t ZipAttrHidden = 0x02;
inline constexpr std::uint32_t ZipAttrSystem = 0x04;
inline constexpr std::uint32_t ZipAttrDirectory = 0x10;
inline constexpr std::uint32_t ZipAttrArchive = 0x20;

inline constexpr std::int32_t ZipReaderKind = 1;
inline constexpr std::int32_t ZipWriterKind = 2;

struct ZipHandleRecord {
    std::int32_t kind = 0;
    std::unique_ptr<TUnzip> reader; // set for ZipReaderKind
    std::unique_ptr<TZip> writer;   // set for ZipWriterKind
    ZipHandleRecord();
    ~ZipHandleRecord();
};
using ZipHandle = ZipHandleRecord*;
// Owns a handle on every way out of its scope, a throw's too. A handle freed without its close
// lets a reader's archive go and throws a writer's unfinished archive away (the file it would
// replace stays as it was); the close functions take it back with release().
using UniqueZipHandle = std::unique_ptr<ZipHandleRecord>;

struct ZipEntryInfo {
    // The entry's index; for the call with index -1 the number of entries.
    std::int32_t index = 0;
    // The cleaned name, UTF-8, "/" separators; a folder's name ends in "/".
    std::string name;
    std::uint32_t attributes = 0;
    // Unix seconds, UTC.
    std::int64_t accessTime = 0;
    std::int64_t creationTime = 0;
    std::int64_t modificationTime = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t uncompressedSize = 0;
    std::uint32_t crc32 = 0;
};

// One entry for ZipAddEntries: a folder, or a file read from sourcePath.
struct ZipAddRequest {
    std::string nameInArchive;
    std::string sourcePath;
    bool folder = false;
};

// What ZipAddEntries reports while it works, and how it is stopped. Both calls come from the
// calling thread, one entry after the other in archive order: `starting` before an entry is
// written, `finished` with its result once it is (entries never started finish as ZipCancelled).
// A stop is seen between blocks of the entry being written: that entry is cut back off the
// archive, which keeps every entry completed before it.
struct ZipAddObserver {
    std::function<void(std::size_t index)> starting;
    std::function<void(std::size_t index, ZipResult result)> finished;
    std::stop_token stop;
};

// A file by its device and inode: the same file under any name.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

// One version of a file: the file itself, its size and the time its data last changed. A file
// replaced, rewritten or grown since has another stamp.
struct FileStamp {
    FileIdentity file;
    std::uint64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;
    bool operator==(const FileStamp&) const = default;
};

// Writer. ZipCreate returns no handle when the archive cannot be created; the archive appears
// under its name only when ZipCloseWriter completes it.
ZipHandle ZipCreate(const std::string& archivePath);
ZipResult ZipAddFile(ZipHandle handle, const std::string& nameInArchive,
                     const std::string& sourcePath);
ZipResult ZipAddDirectory(ZipHandle handle, const std::string& nameInArchive);
// Adds the entries in order, as the single calls would, with the same bytes in the archive;
// files are compressed on up to `threads` threads at once. One result per request.
std::vector<ZipResult> ZipAddEntries(ZipHandle handle, const std::vector<ZipAddRequest>& requests,
                                     unsigned threads, const ZipAddObserver& observer = {});
// The file the writer writes into (until ZipCloseWriter gives it the archive's name), so that a
// pack can leave it out of what it packs. False for a handle that is not a writer's.
bool ZipWriterFile(ZipHandle handle, FileIdentity& identity);
// Writes the central directory and frees the handle (also on failure).
ZipResult ZipCloseWriter(ZipHandle handle);

// Reader. A relative extraction target is taken from the current folder at ZipOpen.
ZipHandle ZipOpen(const std::string& archivePath);
ZipResult ZipGetEntry(ZipHandle handle, int index, ZipEntryInfo& info);
ZipResult ZipExtractToFile(ZipHandle handle, int index, const std::string& targetPath);
ZipResult ZipCloseReader(ZipHandle handle);
// The archive file the reader reads, as it was when ZipOpen opened it. False for a handle that
// is not a reader's.
bool ZipReaderFile(ZipHandle handle, FileStamp& stamp);

bool ZipIsReaderHandle(ZipHandle handle);

// The last result of a writer call and of a reader call, shared by all handles.
ZipResult ZipLastWriterResult();
ZipResult ZipLastReaderResult();

} // namespace tarvo::zip
