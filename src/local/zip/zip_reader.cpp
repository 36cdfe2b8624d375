#include "local/zip/zip_reader.h"

#include "local/zip/dos_time.h"
#include "local/zip/entry_data.h"
#include "local/zip/entry_names.h"
#include "local/zip/extracted_file.h"
#include "local/zip/file_attributes.h"
#include "local/zip/zip_records.h"

#include <unistd.h>

#include <climits>

namespace tarvo::zip {

namespace {

constexpr std::size_t ExtractionBufferSize = 16384;

std::string currentFolder() {
    char path[PATH_MAX];
    if (::getcwd(path, sizeof path) == nullptr) {
        return {};
    }
    std::string folder = path;
    return folder.back() == '/' ? folder : folder + "/";
}

void applyTimes(ZipEntryInfo& info, std::uint32_t dosDateTime, const Bytes& localExtra) {
    DosTimestamp stamp;
    stamp.date = static_cast<std::uint16_t>(dosDateTime >> 16);
    stamp.time = static_cast<std::uint16_t>(dosDateTime);
    const std::int64_t dosTime = unixFromDosTimestamp(stamp);
    const ExtendedTimestampReading extended =
        readExtendedTimestamp(localExtra.data(), localExtra.size());
    info.modificationTime = extended.modification.value_or(dosTime);
    info.accessTime = extended.access.value_or(dosTime);
    info.creationTime = extended.creation.value_or(dosTime);
}

bool methodSupported(std::uint16_t method) {
    return method == MethodStored || method == MethodDeflated;
}

} // namespace

ZipResult TUnzip::open(const std::string& archivePath, std::unique_ptr<TUnzip>& unzip) {
    std::unique_ptr<TUnzip> opened(new TUnzip());
    if (const ZipResult input = opened->input_.open(archivePath); input != ZipOk) {
        return input;
    }
    if (const ZipResult read = opened->directory_.read(opened->input_); read != ZipOk) {
        return read;
    }
    opened->rootFolder_ = currentFolder();
    unzip = std::move(opened);
    return ZipOk;
}

ZipResult TUnzip::select(int index) {
    if (index == cachedIndex_) {
        return ZipOk;
    }
    cachedIndex_ = -1;
    CentralRecord record;
    Bytes localExtra;
    std::uint64_t dataStart = 0;
    if (const ZipResult read = directory_.record(input_, static_cast<std::size_t>(index), record);
        read != ZipOk) {
        return read;
    }
    if (const ZipResult local =
            readLocalHeader(input_, record, directory_.dataLimit(static_cast<std::size_t>(index)),
                            localExtra, dataStart);
        local != ZipOk) {
        return local;
    }
    ZipEntryInfo info;
    info.index = index;
    info.name = cleanEntryName(record.rawName, (record.flags & FlagUtf8Name) != 0);
    const bool slash = !info.name.empty() && info.name.back() == '/';
    info.attributes = attributesFromCentral(record.versionMadeBy, record.externalAttributes, slash);
    info.compressedSize = record.compressedSize;
    info.uncompressedSize = record.uncompressedSize;
    info.crc32 = record.crc;
    applyTimes(info, record.dosDateTime, localExtra);

    cached_ = std::move(info);
    cachedRecord_ = std::move(record);
    cachedDataStart_ = dataStart;
    cachedIndex_ = index;
    return ZipOk;
}

ZipResult TUnzip::get(int index, ZipEntryInfo& info) {
    info = ZipEntryInfo{};
    if (index < -1 || index >= entryCount()) {
        return ZipBadArguments;
    }
    if (index == -1) {
        info.index = entryCount();
        return ZipOk;
    }
    const ZipResult selected = select(index);
    if (selected == ZipOk) {
        info = cached_;
    }
    return selected;
}

ZipResult TUnzip::extract(int index, const std::string& targetPath) {
    if (index < 0 || index >= entryCount()) {
        return ZipBadArguments;
    }
    if (const ZipResult selected = select(index); selected != ZipOk) {
        return selected;
    }
    const auto components = safeComponents(cached_.name);
    if (!components) {
        return ZipCorrupt;
    }
    const bool folderEntry = (cached_.attributes & ZipAttrDirectory) != 0;
    if (components->empty()) {
        // A name like "./" stands for the target folder itself, which is there already.
        return folderEntry ? ZipOk : ZipCorrupt;
    }
    if (!folderEntry && (cachedRecord_.flags & FlagEncrypted) != 0) {
        return ZipPasswordRequired;
    }
    if (!folderEntry && !methodSupported(cachedRecord_.method)) {
        return ZipCorrupt;
    }
    ExtractionPlan plan;
    if (const ZipResult planned =
            planExtraction(rootFolder_, targetPath, *components, folderEntry, plan);
        planned != ZipOk) {
        return planned;
    }
    if (folderEntry) {
        int folderFd = -1;
        return folders_.open(plan, folderFd);
    }
    return extractFile(plan);
}

ZipResult TUnzip::extractFile(const ExtractionPlan& plan) {
    int folderFd = -1;
    if (const ZipResult opened = folders_.open(plan, folderFd); opened != ZipOk) {
        return opened;
    }
    EntryData data(input_, cachedDataStart_, cachedRecord_);
    extractionBuffer_.resize(ExtractionBufferSize);
    ExtractedFileFacts facts;
    facts.crc = cached_.crc32;
    facts.size = cached_.uncompressedSize;
    facts.accessTime = cached_.accessTime;
    facts.modificationTime = cached_.modificationTime;
    facts.readOnly = (cached_.attributes & ZipAttrReadOnly) != 0;
    facts.unixPermissions =
        unixPermissions(cachedRecord_.versionMadeBy, cachedRecord_.externalAttributes);
    return writeExtractedFile(
        folderFd, plan.fileName, facts,
        [&data](std::uint8_t* buffer, std::size_t size) { return data.read(buffer, size); },
        extractionBuffer_);
}

} // namespace tarvo::zip
