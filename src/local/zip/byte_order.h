#pragma once

// Little-endian fields, as every number in a zip archive is stored.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tarvo::zip {

using Bytes = std::vector<std::uint8_t>;

inline void putU16(Bytes& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

inline void putU32(Bytes& out, std::uint32_t value) {
    putU16(out, static_cast<std::uint16_t>(value));
    putU16(out, static_cast<std::uint16_t>(value >> 16));
}

inline void putU64(Bytes& out, std::uint64_t value) {
    putU32(out, static_cast<std::uint32_t>(value));
    putU32(out, static_cast<std::uint32_t>(value >> 32));
}

inline std::uint16_t getU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t getU32(const std::uint8_t* p) {
    return getU16(p) | (static_cast<std::uint32_t>(getU16(p + 2)) << 16);
}

inline std::uint64_t getU64(const std::uint8_t* p) {
    return getU32(p) | (static_cast<std::uint64_t>(getU32(p + 4)) << 32);
}

} // namespace tarvo::zip
