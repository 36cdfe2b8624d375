#pragma once

// TUnzip: the state behind a reader handle. The central directory is checked when the archive
// is opened; each entry is then read straight from the archive.

#include "local/zip/central_directory.h"
#include "local/zip/extraction_folder.h"
#include "local/zip/zip_api.h"
#include "local/zip/zip_input.h"

#include <memory>
#include <string>
#include <vector>

namespace tarvo::zip {

class TUnzip {
public:
    static ZipResult open(const std::string& archivePath, std::unique_ptr<TUnzip>& unzip);
    TUnzip(const TUnzip&) = delete;
    TUnzip& operator=(const TUnzip&) = delete;

    ZipResult get(int index, ZipEntryInfo& info);
    ZipResult extract(int index, const std::string& targetPath);
    const struct stat& fileStatus() const { return input_.status(); }

private:
    TUnzip() = default;
    int entryCount() const { return static_cast<int>(directory_.size()); }
    ZipResult select(int index);
    ZipResult extractFile(const ExtractionPlan& plan);

    ZipInput input_;
    CentralDirectory directory_;
    int cachedIndex_ = -1;
    ZipEntryInfo cached_;
    CentralRecord cachedRecord_;
    std::uint64_t cachedDataStart_ = 0;
    std::string rootFolder_;
    std::vector<std::uint8_t> extractionBuffer_;
    ExtractionFolders folders_;
};

} // namespace tarvo::zip
