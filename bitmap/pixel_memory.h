// Pixel memory for picture rows. Large blocks (2 MiB and more) come straight
// from the kernel, 2 MiB-aligned and marked for huge pages: first touch of a
// large picture with small pages costs far more than the work on it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace gleamkit::bitmap {

// Blocks from this size on are huge-page backed.
inline constexpr size_t kHugePageSize = size_t{2} << 20;

enum class Zeroed : uint8_t { No, Yes };

// A block of `bytes` bytes (cleared when `zeroed` is Yes), or nullptr when it
// cannot be had. 0 bytes answers nullptr. Release it with ReleasePixelMemory
// and the same size.
uint8_t* AllocatePixelMemory(size_t bytes, Zeroed zeroed);

// Releases a block of AllocatePixelMemory; nullptr does nothing.
void ReleasePixelMemory(uint8_t* memory, size_t bytes);

} // namespace gleamkit::bitmap
