#pragma once

// TUnzip: the state behind a reader handle. minizip walks the central directory and opens
// entries; names, attributes and times are read by this layer.

#include "local/zip/direct_entry.h"
#include "local/zip/extraction_folder.h"
#include "local/zip/zip_api.h"
#include "local/zip/zip_input.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarvo::zip {

class TUnzip {
public:
    static ZipResult open(const std::string& archivePath, std::unique_ptr<TUnzip>& unzip);
    ~TUnzip();
    TUnzip(const TUnzip&) = delete;
    TUnzip& operator=(const TUnzip&) = delete;

    ZipResult get(int index, ZipEntryInfo& info);
    ZipResult extract(int index, const std::string& targetPath);

private:
    TUnzip() = default;
    ZipResult select(int index);
    ZipResult moveTo(int index);
    ZipResult readSelected(int index);
    ZipResult locateZip64Entry(const unz_file_info64& central, std::size_t extraLength,
                               ZipEntryInfo& info);
    ZipResult readLocalExtra(std::vector<std::uint8_t>& localExtra);
    ZipResult openSelected();
    void closeEntry();
    ZipResult extractFile(const ExtractionPlan& plan);

    ZipInput input_;
    unzFile archive_ = nullptr;
    int entryCount_ = 0;
    int position_ = 0; // minizip's current entry
    bool entryOpen_ = false;
    int cachedIndex_ = -1;
    ZipEntryInfo cached_;
    std::uint16_t cachedFlags_ = 0;
    // Set for an entry that is read past minizip (see DirectEntry).
    std::optional<DirectLocation> cachedDirect_;
    std::string rootFolder_;
    std::vector<char> nameBuffer_;
    std::vector<std::uint8_t> centralExtra_;
    std::vector<std::uint8_t> extractionBuffer_;
    ExtractionFolders folders_;
};

} // namespace tarvo::zip
