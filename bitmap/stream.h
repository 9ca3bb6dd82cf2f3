// Stream: the kit's byte stream. Each stream carries its own table of
// operations, copied from its kind's template when it is made, so the callers
// (the bitmap-file reader) work the same on any kind. Two kinds are offered:
// the read-only file stream of NewReadFileStream and the read-only memory
// stream of NewReadMemoryStream (bytes already in memory, as a fuzzer or a
// caller that downloaded a file holds them).
//
// Usage: Stream* s = NewReadFileStream(path); s->Read(buffer, n); s->Seek(...);
// Free(s) closes the file. A stream whose file could not be opened answers 0
// to every read and the failure value to every seek.
#pragma once

#include <cstdint>

#include "base/kit_object.h"
#include "platform/win32_types.h"

namespace gleamkit::bitmap {

enum class SeekOrigin : uint32_t { Beginning = 0, Current = 1, End = 2 };

// Seek's answer when the move failed: all bits set.
inline constexpr uint32_t kSeekFailed = 0xFFFFFFFF;

class Stream;

// The eight operations of a stream kind, in table order.
struct StreamOperations {
    // Moves the position; answers the new one, or kSeekFailed.
    uint32_t (*Seek)(Stream& stream, int32_t offset, SeekOrigin origin);
    // The stream's size in bytes (0 when it cannot be told).
    uint32_t (*Size)(Stream& stream);
    // Changes the size, where the kind can.
    void (*SetSize)(Stream& stream, uint32_t size);
    // Reads up to `count` bytes at the position; answers the number read.
    uint32_t (*Read)(Stream& stream, void* buffer, uint32_t count);
    // Writes `count` bytes at the position; answers the number written.
    uint32_t (*Write)(Stream& stream, const void* buffer, uint32_t count);
    // Releases what the stream holds (its file handle); later calls fail.
    void (*Close)(Stream& stream);
    // Pushes pending writes to the medium; answers whether all went out.
    bool (*Flush)(Stream& stream);
    // Whether the position is at or past the end.
    bool (*AtEnd)(Stream& stream);
};

class Stream : public KitObject {
public:
    uint32_t Seek(int32_t offset, SeekOrigin origin) { return m_ops.Seek(*this, offset, origin); }
    uint32_t Size() { return m_ops.Size(*this); }
    void SetSize(uint32_t size) { m_ops.SetSize(*this, size); }
    uint32_t Read(void* buffer, uint32_t count) { return m_ops.Read(*this, buffer, count); }
    uint32_t Write(const void* buffer, uint32_t count) { return m_ops.Write(*this, buffer, count); }
    void Close() { m_ops.Close(*this); }
    bool Flush() { return m_ops.Flush(*this); }
    bool AtEnd() { return m_ops.AtEnd(*this); }
    // The current position: a seek by 0 from the current position.
    uint32_t Position() { return Seek(0, SeekOrigin::Current); }

    // The platform file handle (INVALID_HANDLE_VALUE when none is held).
    HANDLE FileHandle() const { return m_handle; }

protected:
    // Closes the stream before the base destruction.
    void Destroy() override;

private:
    friend Stream* NewReadFileStream(const char* path);
    friend Stream* NewReadMemoryStream(const void* bytes, uint32_t size);
    friend struct FileStreamKind;
    friend struct MemoryStreamKind;

    StreamOperations m_ops{};
    HANDLE m_handle = nullptr;
    // The memory stream's bytes (not owned), their count and the position.
    const uint8_t* m_memory = nullptr;
    uint32_t m_memorySize = 0;
    uint32_t m_position = 0;
};

// Opens `path` for reading (shared with other readers) and answers a new
// stream at position 0. When the file cannot be opened the stream still comes
// back, holding the invalid handle, so every read answers 0. The caller owns
// the stream and releases it with Free, which closes the file.
Stream* NewReadFileStream(const char* path);

// A stream over `size` bytes at `bytes`, at position 0, behaving as a file
// stream over a file holding them: seeks may pass the end (reads there answer
// 0) but not the start. The bytes are not copied: the caller keeps them alive
// and unchanged while the stream is used. The caller owns the stream and
// releases it with Free.
Stream* NewReadMemoryStream(const void* bytes, uint32_t size);

} // namespace gleamkit::bitmap
