// Field access on the 1064-byte header block (a BITMAPINFO with a full colour
// table). The block is raw little-endian bytes, as read from a file, so fields
// are read and written by offset rather than through a struct.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace gleamkit::bitmap::dib {

static_assert(std::endian::native == std::endian::little,
              "header blocks are little-endian and read in place");

inline constexpr uint32_t kInfoHeaderSize = 40;
inline constexpr uint32_t kColorTableOffset = 40;
inline constexpr uint32_t kColorTableSize = 1024;
inline constexpr uint32_t kBitFields = 3; // biCompression BI_BITFIELDS

inline constexpr uint32_t kSizeOffset = 0;
inline constexpr uint32_t kWidthOffset = 4;
inline constexpr uint32_t kHeightOffset = 8;
inline constexpr uint32_t kPlanesOffset = 12;
inline constexpr uint32_t kBitCountOffset = 14;
inline constexpr uint32_t kCompressionOffset = 16;

template <typename T> T Get(const uint8_t* block, uint32_t offset) {
    T value;
    std::memcpy(&value, block + offset, sizeof(T));
    return value;
}

template <typename T> void Put(uint8_t* block, uint32_t offset, T value) {
    std::memcpy(block + offset, &value, sizeof(T));
}

inline int32_t Width(const uint8_t* block) {
    return Get<int32_t>(block, kWidthOffset);
}
inline int32_t Height(const uint8_t* block) {
    return Get<int32_t>(block, kHeightOffset);
}
inline uint16_t Planes(const uint8_t* block) {
    return Get<uint16_t>(block, kPlanesOffset);
}
inline uint16_t BitCount(const uint8_t* block) {
    return Get<uint16_t>(block, kBitCountOffset);
}
inline uint32_t Compression(const uint8_t* block) {
    return Get<uint32_t>(block, kCompressionOffset);
}

// Bytes per row: whole 32-bit words, computed in 64 bits so that callers can
// tell a row size that does not fit 32 bits.
inline uint64_t RowBytes(uint32_t width, uint32_t bitCount) {
    return ((uint64_t{width} * bitCount + 31) >> 3) & ~uint64_t{3};
}

} // namespace gleamkit::bitmap::dib
