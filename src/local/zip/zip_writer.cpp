#include "local/zip/zip_writer.h"

#include "local/zip/entry_names.h"
#include "local/zip/file_attributes.h"

#include <ctime>

namespace tarvo::zip {

namespace {

std::uint16_t methodForFile(const ArchiveName& name) {
    return hasStoredExtension(name.bytes) ? MethodStored : MethodDeflated;
}

// The entry as its first local header announces it: sizes as far as known, CRC still 0, and
// the data-descriptor flag until the header is completed.
EntryRecord announcedEntry(ArchiveName name, std::uint16_t method, std::uint32_t externalAttributes,
                           const SourceInfo& info) {
    EntryRecord entry;
    entry.name = std::move(name.bytes);
    entry.flags = name.flags | FlagDataDescriptor;
    entry.method = method;
    entry.dosTime = dosTimestampFromUnix(info.modificationTime);
    entry.times.modification = extendedTimeFromUnix(info.modificationTime);
    entry.times.access = extendedTimeFromUnix(info.accessTime);
    entry.times.creation = extendedTimeFromUnix(info.creationTime);
    entry.uncompressedSize = info.size;
    entry.compressedSize = method == MethodStored ? info.size : 0;
    entry.externalAttributes = externalAttributes;
    entry.zip64Sizes = sizesNeedZip64(info.size, method);
    return entry;
}

class MemorySink : public DataSink {
public:
    explicit MemorySink(Bytes& bytes) : bytes_(bytes) {}
    bool put(const std::uint8_t* data, std::size_t size) override {
        bytes_.insert(bytes_.end(), data, data + size);
        return true;
    }

private:
    Bytes& bytes_;
};

} // namespace

ZipResult TZip::create(const std::string& archivePath, std::unique_ptr<TZip>& zip) {
    std::unique_ptr<ZipTarget> target;
    if (const ZipResult opened = ZipTarget::open(archivePath, target); opened != ZipOk) {
        return opened;
    }
    zip.reset(new TZip(std::move(target)));
    return ZipOk;
}

ZipResult TZip::addFile(const std::string& name, const std::string& sourcePath,
                        const PreparedSource* prepared) {
    if (target_->stickyError() != ZipOk) {
        return ZipEarlierError;
    }
    ArchiveName archiveName;
    if (const ZipResult named = makeArchiveName(name, false, archiveName); named != ZipOk) {
        return named;
    }
    const std::uint16_t method = methodForFile(archiveName);
    if (prepared != nullptr) {
        EntryRecord entry = announcedEntry(
            std::move(archiveName), method,
            externalAttributesForFile(prepared->info.mode, sourcePath), prepared->info);
        return writeEntry(entry, [&](DataSink& sink, DataSummary& summary) {
            summary = prepared->summary;
            return sink.put(prepared->data.data(), prepared->data.size()) ? ZipOk : ZipWriteError;
        });
    }
    SourceFile source;
    if (const ZipResult opened = SourceFile::open(sourcePath, source); opened != ZipOk) {
        return opened;
    }
    EntryRecord entry =
        announcedEntry(std::move(archiveName), method,
                       externalAttributesForFile(source.info().mode, sourcePath), source.info());
    return writeEntry(entry, [&](DataSink& sink, DataSummary& summary) {
        const ZipResult encoded = encoder_.encode(source.fd(), method, sink, summary);
        return encoded == ZipOk && !source.unchangedAfterReading(summary.bytesRead)
                   ? ZipChangeNotAllowed
                   : encoded;
    });
}

ZipResult TZip::addDirectory(const std::string& name) {
    if (target_->stickyError() != ZipOk) {
        return ZipEarlierError;
    }
    ArchiveName archiveName;
    if (const ZipResult named = makeArchiveName(name, true, archiveName); named != ZipOk) {
        return named;
    }
    SourceInfo now;
    now.modificationTime = now.accessTime = now.creationTime = std::time(nullptr);
    EntryRecord entry =
        announcedEntry(std::move(archiveName), MethodStored, FolderExternalAttributes, now);
    return writeEntry(entry, [](DataSink&, DataSummary& summary) {
        summary = DataSummary{};
        return ZipOk;
    });
}

bool TZip::prepare(const std::string& name, const std::string& sourcePath, const SizeGate& admit,
                   EntryEncoder& encoder, PreparedSource& prepared) {
    ArchiveName archiveName;
    SourceFile source;
    if (makeArchiveName(name, false, archiveName) != ZipOk ||
        SourceFile::open(sourcePath, source) != ZipOk || !admit(source.info().size)) {
        return false;
    }
    prepared.info = source.info();
    MemorySink sink(prepared.data);
    // A file that changed meanwhile is left to the writer, which reads it again and reports it.
    return encoder.encode(source.fd(), methodForFile(archiveName), sink, prepared.summary) ==
               ZipOk &&
           source.unchangedAfterReading(prepared.summary.bytesRead);
}

ZipResult TZip::writeEntry(EntryRecord& entry, const DataProducer& produceData) {
    const std::uint64_t announcedCompressedSize = entry.compressedSize;
    entry.localHeaderOffset = target_->position();
    Bytes header;
    appendLocalHeader(header, entry);
    if (!target_->put(header)) {
        return ZipWriteError;
    }

    DataSummary summary;
    if (const ZipResult produced = produceData(*target_, summary); produced != ZipOk) {
        // A stopped or failed entry leaves nothing behind where the target can seek: the
        // archive ends with the entries before it.
        if (!target_->cutBack(entry.localHeaderOffset) && target_->stickyError() != ZipOk) {
            return target_->stickyError();
        }
        return produced;
    }
    entry.crc = summary.crc;
    entry.uncompressedSize = summary.bytesRead;
    entry.compressedSize = summary.bytesWritten;
    if (!sizesFitPlannedHeader(entry)) {
        return ZipChangeNotAllowed;
    }

    if (target_->canSeek()) {
        entry.flags &= static_cast<std::uint16_t>(~FlagDataDescriptor);
        if (entry.method == MethodDeflated) {
            entry.flags |= FlagMaximumCompression;
        }
        header.clear();
        appendLocalHeader(header, entry);
        if (!target_->overwrite(entry.localHeaderOffset, header)) {
            return ZipWriteError;
        }
    } else {
        // A stored entry's first header already gave its size; it must still be true.
        if (entry.method == MethodStored && entry.compressedSize != announcedCompressedSize) {
            return ZipChangeNotAllowed;
        }
        Bytes descriptor;
        appendDataDescriptor(descriptor, entry);
        if (!target_->put(descriptor)) {
            return ZipWriteError;
        }
    }
    if (target_->stickyError() != ZipOk) {
        return target_->stickyError();
    }
    entries_.push_back(std::move(entry));
    return ZipOk;
}

ZipResult TZip::close() {
    const std::uint64_t directoryOffset = target_->position();
    Bytes records;
    for (const EntryRecord& entry : entries_) {
        records.clear();
        appendCentralHeader(records, entry);
        target_->put(records);
    }
    const std::uint64_t directorySize = target_->position() - directoryOffset;
    records.clear();
    appendEndOfCentralDirectory(records, entries_.size(), directorySize, directoryOffset);
    target_->put(records);
    entries_.clear();
    return target_->finish();
}

} // namespace tarvo::zip
