// Small blocks use the C heap; large ones are mapped with room to align them
// to a huge-page boundary, the unaligned ends unmapped again. Mapped memory is
// already zero, so clearing it costs nothing.
#include "bitmap/pixel_memory.h"

#include <cstdlib>
#include <sys/mman.h>

namespace gleamkit::bitmap {
namespace {

size_t RoundUpToHugePage(size_t bytes) {
    return (bytes + kHugePageSize - 1) & ~(kHugePageSize - 1);
}

uint8_t* MapHugeAligned(size_t bytes) {
    const size_t length = RoundUpToHugePage(bytes);
    if (length < bytes || length + kHugePageSize < length) return nullptr;
    void* mapped = mmap(nullptr, length + kHugePageSize, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) return nullptr;
    const auto start = reinterpret_cast<uintptr_t>(mapped);
    const uintptr_t aligned = (start + kHugePageSize - 1) & ~(uintptr_t{kHugePageSize} - 1);
    const size_t head = aligned - start;
    const size_t tail = kHugePageSize - head;
    if (head) munmap(mapped, head);
    if (tail) munmap(reinterpret_cast<void*>(aligned + length), tail);
    madvise(reinterpret_cast<void*>(aligned), length, MADV_HUGEPAGE);
    return reinterpret_cast<uint8_t*>(aligned);
}

} // namespace

uint8_t* AllocatePixelMemory(size_t bytes, Zeroed zeroed) {
    if (bytes == 0) return nullptr;
    if (bytes >= kHugePageSize) return MapHugeAligned(bytes);
    void* memory = zeroed == Zeroed::Yes ? std::calloc(bytes, 1) : std::malloc(bytes);
    return static_cast<uint8_t*>(memory);
}

void ReleasePixelMemory(uint8_t* memory, size_t bytes) {
    if (!memory) return;
    if (bytes >= kHugePageSize)
        munmap(memory, RoundUpToHugePage(bytes));
    else
        std::free(memory);
}

} // namespace gleamkit::bitmap
