#pragma once

#include <cstdint>
#include <limits>

// Adds a size to a byte total. Sizes come from listings and archives as any 64-bit value, so
// a sum can pass the largest one: it stays there rather than wrapping round to a small total.
inline std::uint64_t addBytes(std::uint64_t total, std::uint64_t bytes) {
    std::uint64_t sum = 0;
    return __builtin_add_overflow(total, bytes, &sum) ? std::numeric_limits<std::uint64_t>::max()
                                                      : sum;
}
