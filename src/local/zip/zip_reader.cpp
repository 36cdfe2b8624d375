#include "local/zip/zip_reader.h"

#include "local/zip/dos_time.h"
#include "local/zip/entry_names.h"
#include "local/zip/extracted_file.h"
#include "local/zip/file_attributes.h"
#include "local/zip/zip_records.h"

#include <unistd.h>

#include <climits>
#include <limits>

namespace tarvo::zip {

namespace {

constexpr std::size_t ExtractionBufferSize = 16384;
constexpr std::size_t LongestName = std::numeric_limits<std::uint16_t>::max();
constexpr std::size_t CentralHeaderSize = 46;

std::string currentFolder() {
    char path[PATH_MAX];
    if (::getcwd(path, sizeof path) == nullptr) {
        return {};
    }
    std::string folder = path;
    return folder.back() == '/' ? folder : folder + "/";
}

// minizip 1.1 takes an end record found at offset 0 for one not found, so it cannot open an
// archive without entries; such an archive is recognised here instead.
bool isEmptyArchive(ZipInput& input) {
    constexpr std::size_t EndRecordSize = 22;
    std::uint8_t end[EndRecordSize];
    return input.readAt(0, end, EndRecordSize) && getU32(end) == EndRecordSignature &&
           getU16(end + 10) == 0 && input.size() == EndRecordSize + getU16(end + 20);
}

void applyTimes(ZipEntryInfo& info, std::uint32_t dosDateTime,
                const std::vector<std::uint8_t>& localExtra) {
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

} // namespace

ZipResult TUnzip::open(const std::string& archivePath, std::unique_ptr<TUnzip>& unzip) {
    std::unique_ptr<TUnzip> opened(new TUnzip());
    if (const ZipResult input = opened->input_.open(archivePath); input != ZipOk) {
        return input;
    }
    zlib_filefunc64_def functions = opened->input_.fileFunctions();
    opened->archive_ = unzOpen2_64(archivePath.c_str(), &functions);
    unz_global_info64 global{};
    if (opened->archive_ != nullptr && unzGetGlobalInfo64(opened->archive_, &global) == UNZ_OK) {
        opened->entryCount_ = static_cast<int>(
            std::min<ZPOS64_T>(global.number_entry, std::numeric_limits<int>::max()));
    } else if (!isEmptyArchive(opened->input_)) {
        return ZipCannotOpen;
    }
    opened->rootFolder_ = currentFolder();
    opened->nameBuffer_.resize(LongestName + 1);
    opened->centralExtra_.resize(LongestName);
    unzip = std::move(opened);
    return ZipOk;
}

TUnzip::~TUnzip() {
    if (archive_ != nullptr) {
        closeEntry();
        unzClose(archive_);
    }
}

void TUnzip::closeEntry() {
    if (entryOpen_) {
        unzCloseCurrentFile(archive_);
        entryOpen_ = false;
    }
}

ZipResult TUnzip::moveTo(int index) {
    if (index < position_ && unzGoToFirstFile(archive_) == UNZ_OK) {
        position_ = 0;
    }
    while (position_ < index) {
        if (unzGoToNextFile(archive_) != UNZ_OK) {
            // Start from the first entry again next time.
            position_ = std::numeric_limits<int>::max();
            return ZipCorrupt;
        }
        ++position_;
    }
    return position_ == index ? ZipOk : ZipCorrupt;
}

ZipResult TUnzip::openSelected() {
    if (unzOpenCurrentFile(archive_) != UNZ_OK) {
        return ZipCorrupt;
    }
    entryOpen_ = true;
    return ZipOk;
}

// Sizes and offset kept in a Zip64 extra field, read from the raw central record since
// minizip does not read them (see DirectEntry). Sets cachedDirect_ when the entry needs them.
ZipResult TUnzip::locateZip64Entry(const unz_file_info64& central, std::size_t extraLength,
                                   ZipEntryInfo& info) {
    std::uint8_t record[CentralHeaderSize];
    if (!input_.readAt(unzGetOffset64(archive_), record, sizeof record) ||
        getU32(record) != CentralHeaderSignature) {
        return ZipCorrupt;
    }
    const std::uint32_t compressed = getU32(record + 20);
    const std::uint32_t uncompressed = getU32(record + 24);
    const std::uint32_t offset = getU32(record + 42);
    const bool compressedEscaped = compressed == Escape32;
    const bool uncompressedEscaped = uncompressed == Escape32;
    const bool offsetEscaped = offset == Escape32;
    if (!compressedEscaped && !uncompressedEscaped && !offsetEscaped) {
        return ZipOk;
    }
    const Zip64Values values = readZip64Extra(
        centralExtra_.data(), extraLength, uncompressedEscaped, compressedEscaped, offsetEscaped);
    if ((uncompressedEscaped && !values.uncompressedSize) ||
        (compressedEscaped && !values.compressedSize) ||
        (offsetEscaped && !values.localHeaderOffset)) {
        return ZipCorrupt;
    }
    DirectLocation location;
    location.localHeaderOffset = values.localHeaderOffset.value_or(offset);
    location.compressedSize = values.compressedSize.value_or(compressed);
    location.method = static_cast<std::uint16_t>(central.compression_method);
    info.compressedSize = static_cast<std::int64_t>(location.compressedSize);
    info.uncompressedSize =
        static_cast<std::int64_t>(values.uncompressedSize.value_or(uncompressed));
    cachedDirect_ = location;
    return ZipOk;
}

// Reading the local extra field also checks the local header against the central record.
ZipResult TUnzip::readLocalExtra(std::vector<std::uint8_t>& localExtra) {
    if (cachedDirect_) {
        DirectEntry entry;
        return entry.open(input_, *cachedDirect_, localExtra);
    }
    if (const ZipResult opened = openSelected(); opened != ZipOk) {
        return opened;
    }
    const int size = unzGetLocalExtrafield(archive_, nullptr, 0);
    localExtra.resize(static_cast<std::size_t>(std::max(size, 0)));
    const bool read =
        size == 0 || (size > 0 && unzGetLocalExtrafield(archive_, localExtra.data(),
                                                        static_cast<unsigned>(size)) == size);
    closeEntry();
    return read ? ZipOk : ZipReadError;
}

ZipResult TUnzip::readSelected(int index) {
    cachedIndex_ = -1;
    cachedDirect_.reset();
    if (const ZipResult moved = moveTo(index); moved != ZipOk) {
        return moved;
    }
    unz_file_info64 central{};
    if (unzGetCurrentFileInfo64(archive_, &central, nameBuffer_.data(),
                                static_cast<uLong>(nameBuffer_.size()), centralExtra_.data(),
                                static_cast<uLong>(centralExtra_.size()), nullptr, 0) != UNZ_OK) {
        return ZipCorrupt;
    }
    ZipEntryInfo info;
    info.index = index;
    info.compressedSize = static_cast<std::int64_t>(central.compressed_size);
    info.uncompressedSize = static_cast<std::int64_t>(central.uncompressed_size);
    const std::size_t extraLength = std::min<std::size_t>(central.size_file_extra, LongestName);
    if (hasZip64Extra(centralExtra_.data(), extraLength)) {
        if (const ZipResult located = locateZip64Entry(central, extraLength, info);
            located != ZipOk) {
            return located;
        }
    }
    std::vector<std::uint8_t> localExtra;
    if (const ZipResult read = readLocalExtra(localExtra); read != ZipOk) {
        return read;
    }

    const std::string rawName(nameBuffer_.data(),
                              std::min<std::size_t>(central.size_filename, LongestName));
    info.name = cleanEntryName(rawName, (central.flag & FlagUtf8Name) != 0);
    const bool slash = !info.name.empty() && info.name.back() == '/';
    info.attributes = attributesFromCentral(static_cast<std::uint16_t>(central.version),
                                            static_cast<std::uint32_t>(central.external_fa), slash);
    info.crc32 = static_cast<std::uint32_t>(central.crc);
    applyTimes(info, static_cast<std::uint32_t>(central.dosDate), localExtra);

    cached_ = std::move(info);
    cachedFlags_ = static_cast<std::uint16_t>(central.flag);
    cachedIndex_ = index;
    return ZipOk;
}

ZipResult TUnzip::select(int index) {
    closeEntry();
    return index == cachedIndex_ ? ZipOk : readSelected(index);
}

ZipResult TUnzip::get(int index, ZipEntryInfo& info) {
    info = ZipEntryInfo{};
    if (index < -1 || index >= entryCount_) {
        return ZipBadArguments;
    }
    if (index == -1) {
        closeEntry();
        info.index = entryCount_;
        return ZipOk;
    }
    const ZipResult selected = select(index);
    if (selected == ZipOk) {
        info = cached_;
    }
    return selected;
}

ZipResult TUnzip::extract(int index, const std::string& targetPath) {
    if (index < 0 || index >= entryCount_) {
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
    if (!folderEntry && (cachedFlags_ & FlagEncrypted) != 0) {
        return ZipPasswordRequired;
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
    const ZipResult result = extractFile(plan);
    closeEntry();
    return result;
}

ZipResult TUnzip::extractFile(const ExtractionPlan& plan) {
    int folderFd = -1;
    if (const ZipResult opened = folders_.open(plan, folderFd); opened != ZipOk) {
        return opened;
    }
    EntryDataReader read;
    DirectEntry direct;
    std::vector<std::uint8_t> ignoredExtra;
    if (cachedDirect_) {
        if (const ZipResult opened = direct.open(input_, *cachedDirect_, ignoredExtra);
            opened != ZipOk) {
            return opened;
        }
        read = [&direct](std::uint8_t* buffer, std::size_t size) {
            return direct.read(buffer, size);
        };
    } else {
        if (const ZipResult moved = moveTo(cachedIndex_); moved != ZipOk) {
            return moved;
        }
        if (const ZipResult opened = openSelected(); opened != ZipOk) {
            return opened;
        }
        read = [this](std::uint8_t* buffer, std::size_t size) -> long {
            return unzReadCurrentFile(archive_, buffer, static_cast<unsigned>(size));
        };
    }
    extractionBuffer_.resize(ExtractionBufferSize);
    ExtractedFileFacts facts;
    facts.crc = cached_.crc32;
    facts.size = static_cast<std::uint64_t>(cached_.uncompressedSize);
    facts.accessTime = cached_.accessTime;
    facts.modificationTime = cached_.modificationTime;
    facts.readOnly = (cached_.attributes & ZipAttrReadOnly) != 0;
    return writeExtractedFile(folderFd, plan.fileName, facts, read, extractionBuffer_);
}

} // namespace tarvo::zip
