#include "local/zip/zip_api.h"

#include "local/zip/parallel_packer.h"
#include "local/zip/zip_reader.h"
#include "local/zip/zip_writer.h"

#include <atomic>

namespace tarvo::zip {

namespace {

std::atomic<ZipResult> lastWriterResult{ZipOk};
std::atomic<ZipResult> lastReaderResult{ZipOk};

ZipResult writerResult(ZipResult result) {
    lastWriterResult = result;
    return result;
}

ZipResult readerResult(ZipResult result) {
    lastReaderResult = result;
    return result;
}

ZipResult checkHandle(ZipHandle handle, std::int32_t kind) {
    if (handle == nullptr) {
        return ZipBadArguments;
    }
    return handle->kind == kind ? ZipOk : ZipWrongHandle;
}

} // namespace

ZipHandleRecord::ZipHandleRecord() = default;
ZipHandleRecord::~ZipHandleRecord() = default;

ZipHandle ZipCreate(const std::string& archivePath) {
    auto handle = std::make_unique<ZipHandleRecord>();
    if (writerResult(TZip::create(archivePath, handle->writer)) != ZipOk) {
        return nullptr;
    }
    handle->kind = ZipWriterKind;
    return handle.release();
}

ZipResult ZipAddFile(ZipHandle handle, const std::string& nameInArchive,
                     const std::string& sourcePath) {
    if (const ZipResult checked = checkHandle(handle, ZipWriterKind); checked != ZipOk) {
        return writerResult(checked);
    }
    return writerResult(handle->writer->addFile(nameInArchive, sourcePath));
}

ZipResult ZipAddDirectory(ZipHandle handle, const std::string& nameInArchive) {
    if (const ZipResult checked = checkHandle(handle, ZipWriterKind); checked != ZipOk) {
        return writerResult(checked);
    }
    return writerResult(handle->writer->addDirectory(nameInArchive));
}

std::vector<ZipResult> ZipAddEntries(ZipHandle handle, const std::vector<ZipAddRequest>& requests,
                                     unsigned threads, const ZipAddObserver& observer) {
    if (const ZipResult checked = checkHandle(handle, ZipWriterKind); checked != ZipOk) {
        return std::vector<ZipResult>(requests.size(), writerResult(checked));
    }
    std::vector<ZipResult> results =
        addEntriesInParallel(*handle->writer, requests, threads, observer);
    if (!results.empty()) {
        writerResult(results.back());
    }
    return results;
}

bool ZipWriterFile(ZipHandle handle, FileIdentity& identity) {
    return checkHandle(handle, ZipWriterKind) == ZipOk &&
           handle->writer->target().identify(identity.device, identity.inode);
}

ZipResult ZipCloseWriter(ZipHandle handle) {
    if (const ZipResult checked = checkHandle(handle, ZipWriterKind); checked != ZipOk) {
        return writerResult(checked);
    }
    const ZipResult closed = handle->writer->close();
    delete handle;
    return writerResult(closed);
}

ZipHandle ZipOpen(const std::string& archivePath) {
    auto handle = std::make_unique<ZipHandleRecord>();
    if (readerResult(TUnzip::open(archivePath, handle->reader)) != ZipOk) {
        return nullptr;
    }
    handle->kind = ZipReaderKind;
    return handle.release();
}

ZipResult ZipGetEntry(ZipHandle handle, int index, ZipEntryInfo& info) {
    if (const ZipResult checked = checkHandle(handle, ZipReaderKind); checked != ZipOk) {
        info = ZipEntryInfo{};
        return readerResult(checked);
    }
    return readerResult(handle->reader->get(index, info));
}

ZipResult ZipExtractToFile(ZipHandle handle, int index, const std::string& targetPath) {
    if (const ZipResult checked = checkHandle(handle, ZipReaderKind); checked != ZipOk) {
        return readerResult(checked);
    }
    return readerResult(handle->reader->extract(index, targetPath));
}

bool ZipReaderFile(ZipHandle handle, FileStamp& stamp) {
    if (checkHandle(handle, ZipReaderKind) != ZipOk)
        return false;
    const struct stat& status = handle->reader->fileStatus();
    stamp = {{status.st_dev, status.st_ino},
             static_cast<std::uint64_t>(status.st_size),
             status.st_mtim.tv_sec,
             status.st_mtim.tv_nsec};
    return true;
}

ZipResult ZipCloseReader(ZipHandle handle) {
    if (const ZipResult checked = checkHandle(handle, ZipReaderKind); checked != ZipOk) {
        return readerResult(checked);
    }
    delete handle;
    return readerResult(ZipOk);
}

bool ZipIsReaderHandle(ZipHandle handle) {
    return handle != nullptr && handle->kind == ZipReaderKind;
}

ZipResult ZipLastWriterResult() {
    return lastWriterResult;
}
ZipResult ZipLastReaderResult() {
    return lastReaderResult;
}

} // namespace tarvo::zip
