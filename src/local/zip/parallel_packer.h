#pragma once

// Packing many entries with their files compressed on several threads at once. Entries are
// still written one after the other in the order given, each exactly as TZip writes it alone,
// so the archive is byte for byte the one a single thread would write.

#include "local/zip/zip_api.h"
#include "local/zip/zip_writer.h"

#include <functional>
#include <vector>

namespace tarvo::zip {

// The two steps of packing one entry, apart so that the first can run ahead on other threads.
struct PackingSteps {
    // Compresses entry `index` into `prepared` ahead of its turn, on any thread, asking `admit`
    // with the source's size first; false leaves the entry to write().
    std::function<bool(std::size_t index, const TZip::SizeGate& admit, EntryEncoder& encoder,
                       PreparedSource& prepared)>
        prepare;
    // Writes entry `index`, in order, from what prepare() made or, given nothing, by itself.
    std::function<ZipResult(std::size_t index, const PreparedSource* prepared)> write;
};

// Packs `count` entries with up to `threads` compressing threads; one result per entry. An
// entry whose step throws fails alone: a throwing prepare() leaves the entry to write(), and a
// throwing write() gives ZipNoMemory for a failed allocation, ZipWriteError otherwise. Every
// thread is joined on every way out.
std::vector<ZipResult> packInOrder(std::size_t count, unsigned threads, const PackingSteps& steps);

std::vector<ZipResult> addEntriesInParallel(TZip& zip, const std::vector<ZipAddRequest>& requests,
                                            unsigned threads, const ZipAddObserver& observer);

} // namespace tarvo::zip
