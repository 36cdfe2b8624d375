#pragma once

// TZip: the state behind a writer handle. Each entry is written as its local header, its data
// and (on a target that cannot seek) its data descriptor; the central directory follows when
// the writer is closed.

#include "local/zip/entry_encoder.h"
#include "local/zip/source_file.h"
#include "local/zip/zip_records.h"
#include "local/zip/zip_target.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tarvo::zip {

// A file compressed into memory ahead of its turn, exactly as addFile would have written it.
struct PreparedSource {
    SourceInfo info;
    DataSummary summary;
    Bytes data;
};

class TZip {
public:
    static ZipResult create(const std::string& archivePath, std::unique_ptr<TZip>& zip);

    // Adds a file. With `prepared`, its data comes from there instead of from the source.
    ZipResult addFile(const std::string& name, const std::string& sourcePath,
                      const PreparedSource* prepared = nullptr);
    ZipResult addDirectory(const std::string& name);
    // Writes the central directory and completes the archive.
    ZipResult close();
    // Files added from now on stop between blocks once `stop` is requested; the entry cut off
    // is taken back out of the archive (ZipCancelled).
    void setStop(std::stop_token stop) { encoder_.setStop(std::move(stop)); }
    const ZipTarget& target() const { return *target_; }

    // Asked with a source's size before it is compressed ahead of its turn; false leaves the
    // file to addFile.
    using SizeGate = std::function<bool(std::uint64_t size)>;
    // Compresses the file that addFile(name, sourcePath) would add into `prepared`, on any
    // thread. False when it cannot; addFile then does the work itself.
    static bool prepare(const std::string& name, const std::string& sourcePath,
                        const SizeGate& admit, EntryEncoder& encoder, PreparedSource& prepared);

private:
    using DataProducer = std::function<ZipResult(DataSink&, DataSummary&)>;

    explicit TZip(std::unique_ptr<ZipTarget> target) : target_(std::move(target)) {}
    ZipResult writeEntry(EntryRecord& entry, const DataProducer& produceData);

    std::unique_ptr<ZipTarget> target_;
    std::vector<EntryRecord> entries_;
    EntryEncoder encoder_;
};

} // namespace tarvo::zip
