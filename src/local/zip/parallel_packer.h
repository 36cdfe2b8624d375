#pragma once

// Packing many entries with their files compressed on several threads at once. Entries are
// still written one after the other in the order given, each exactly as TZip writes it alone,
// so the archive is byte for byte the one a single thread would write.

#include "local/zip/zip_api.h"
#include "local/zip/zip_writer.h"

#include <vector>

namespace tarvo::zip {

std::vector<ZipResult> addEntriesInParallel(TZip& zip, const std::vector<ZipAddRequest>& requests,
                                            unsigned threads, const ZipAddObserver& observer);

} // namespace tarvo::zip
