#pragma once

// The zip layer: writes new archives from files and folders and reads existing ones, through
// opaque handles. Every entry call returns a ZipResult and is remembered as the last result
// of its side (writer or reader). A handle is used by one thread at a time.

#include "local/zip/zip_result.h"

#include <cstdint>
#include <memory>
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
    std::int64_t compressedSize = 0;
    std::int64_t uncompressedSize = 0;
    std::uint32_t crc32 = 0;
};

// One entry for ZipAddEntries: a folder, or a file read from sourcePath.
struct ZipAddRequest {
    std::string nameInArchive;
    std::string sourcePath;
    bool folder = false;
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
                                     unsigned threads);
// Writes the central directory and frees the handle (also on failure).
ZipResult ZipCloseWriter(ZipHandle handle);

// Reader. A relative extraction target is taken from the current folder at ZipOpen.
ZipHandle ZipOpen(const std::string& archivePath);
ZipResult ZipGetEntry(ZipHandle handle, int index, ZipEntryInfo& info);
ZipResult ZipExtractToFile(ZipHandle handle, int index, const std::string& targetPath);
ZipResult ZipCloseReader(ZipHandle handle);

bool ZipIsReaderHandle(ZipHandle handle);

// The last result of a writer call and of a reader call, shared by all handles.
ZipResult ZipLastWriterResult();
ZipResult ZipLastReaderResult();

} // namespace tarvo::zip
