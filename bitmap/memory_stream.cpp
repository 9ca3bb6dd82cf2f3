// The read-only memory stream: the file stream's behaviour (signed 32-bit
// seeks from three origins, failure for a position before the start, reads
// past the end answering 0) over bytes the caller holds.
#include <algorithm>
#include <cstring>

#include "bitmap/stream.h"

namespace gleamkit::bitmap {

struct MemoryStreamKind {
    static uint32_t Seek(Stream& stream, int32_t offset, SeekOrigin origin) {
        int64_t base = 0;
        if (origin == SeekOrigin::Current) base = stream.m_position;
        if (origin == SeekOrigin::End) base = stream.m_memorySize;
        const int64_t target = base + offset;
        // The all-ones position is the failure value, as for files.
        if (target < 0 || target >= int64_t{kSeekFailed}) return kSeekFailed;
        stream.m_position = static_cast<uint32_t>(target);
        return stream.m_position;
    }
    static uint32_t Size(Stream& stream) { return stream.m_memorySize; }
    static void SetSize(Stream&, uint32_t) {}
    static uint32_t Read(Stream& stream, void* buffer, uint32_t count) {
        if (stream.m_position >= stream.m_memorySize) return 0;
        const uint32_t got = std::min(count, stream.m_memorySize - stream.m_position);
        // A read of nothing may come with no buffer (an empty picture's rows).
        if (got == 0) return 0;
        std::memcpy(buffer, stream.m_memory + stream.m_position, got);
        stream.m_position += got;
        return got;
    }
    static uint32_t Write(Stream&, const void*, uint32_t) { return 0; }
    static void Close(Stream& stream) {
        stream.m_memory = nullptr;
        stream.m_memorySize = 0;
        stream.m_position = 0;
    }
    static bool Flush(Stream&) { return true; }
    static bool AtEnd(Stream& stream) { return stream.m_position >= stream.m_memorySize; }

    static constexpr StreamOperations kTemplate = {Seek,  Size,  SetSize, Read,
                                                   Write, Close, Flush,   AtEnd};
};

Stream* NewReadMemoryStream(const void* bytes, uint32_t size) {
    auto* stream = new Stream();
    stream->m_ops = MemoryStreamKind::kTemplate;
    stream->m_memory = static_cast<const uint8_t*>(bytes);
    stream->m_memorySize = bytes != nullptr ? size : 0;
    return stream;
}

} // namespace gleamkit::bitmap
