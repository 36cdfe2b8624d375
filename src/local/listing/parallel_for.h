#pragma once

#include <cstddef>
#include <functional>

namespace tarvo::listing {

// Runs body(begin, end) over contiguous chunks of [0, count) on a few threads, or inline when
// count is below minPerThread. Chunks never overlap, so body may write to its own slots of a
// presized vector. The first exception thrown by a chunk is rethrown after all chunks ended.
void parallelFor(std::size_t count, std::size_t minPerThread,
                 const std::function<void(std::size_t begin, std::size_t end)>& body);

} // namespace tarvo::listing
