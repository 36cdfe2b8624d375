#pragma once

// Where an entry is extracted to. The caller's target path is split into the folder the
// caller chose and the trailing folders named by the archive entry. The caller's part is made
// as given; the archive's part is made one folder at a time below it without following
// symbolic links, so whatever the target folder holds, an entry cannot land outside it.

#include "local/zip/zip_result.h"
#include "platform/posix/unique_fd.h"

#include <string>
#include <vector>

namespace tarvo::zip {

struct ExtractionPlan {
    std::string baseFolder;           // absolute, chosen by the caller
    std::vector<std::string> folders; // below baseFolder, named by the entry
    std::string fileName;             // empty for a folder entry
};

// `entryComponents` are the safe components of the entry's name (see safeComponents); a
// relative `targetPath` lies below `rootFolder`, which ends in "/".
ZipResult planExtraction(const std::string& rootFolder, const std::string& targetPath,
                         const std::vector<std::string>& entryComponents, bool folderEntry,
                         ExtractionPlan& plan);

class ExtractionFolders {
public:
    // Makes the plan's folders and opens the innermost one. The descriptor stays valid until
    // the next call; entries of the same folder reuse it.
    ZipResult open(const ExtractionPlan& plan, int& folderFd);

private:
    bool cachedStillThere(const std::string& path) const;

    std::string cachedPath_;
    UniqueFd cachedFd_;
};

} // namespace tarvo::zip
