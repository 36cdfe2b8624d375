#pragma once

#include <cstddef>
#include <cstdint>

namespace tarvo::zip {

// Where the bytes of an entry's data go: the archive itself, or memory when an entry is
// compressed ahead of its turn.
class DataSink {
public:
    virtual ~DataSink() = default;
    // False when the bytes cannot be taken.
    virtual bool put(const std::uint8_t* data, std::size_t size) = 0;
};

} // namespace tarvo::zip
