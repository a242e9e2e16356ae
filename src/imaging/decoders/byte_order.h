#pragma once

#include <cstdint>

// Fields of picture files: little-endian ones (BMP, GIF, icons) and the big-endian ones of
// Photoshop files. The caller has checked that the bytes are there.
namespace tessel::imaging {

inline std::uint16_t ReadU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t ReadU32(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t{p[3]} << 24);
}
inline std::int32_t ReadS32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(ReadU32(p));
}

inline std::uint16_t ReadBigU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}
inline std::uint32_t ReadBigU32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

}  // namespace tessel::imaging
