// The read-only file stream: its operation template maps each stream
// operation onto the kernel's file calls on the stream's handle.
#include "bitmap/stream.h"

#include "platform/win32.h"

namespace gleamkit::bitmap {

struct FileStreamKind {
    static uint32_t Seek(Stream& stream, int32_t offset, SeekOrigin origin) {
        return SetFilePointer(stream.m_handle, offset, nullptr, static_cast<DWORD>(origin));
    }
    static uint32_t Size(Stream& stream) {
        const DWORD size = GetFileSize(stream.m_handle, nullptr);
        return size == INVALID_FILE_SIZE ? 0 : size;
    }
    // A read-only file keeps its size.
    static void SetSize(Stream&, uint32_t) {}
    static uint32_t Read(Stream& stream, void* buffer, uint32_t count) {
        DWORD got = 0;
        if (!ReadFile(stream.m_handle, buffer, count, &got, nullptr)) return 0;
        return got;
    }
    static uint32_t Write(Stream&, const void*, uint32_t) { return 0; }
    static void Close(Stream& stream) {
        CloseHandle(stream.m_handle);
        stream.m_handle = INVALID_HANDLE_VALUE;
    }
    // Nothing is ever pending on a read-only file.
    static bool Flush(Stream&) { return true; }
    static bool AtEnd(Stream& stream) {
        const uint32_t position = Seek(stream, 0, SeekOrigin::Current);
        return position == kSeekFailed || position >= Size(stream);
    }

    static constexpr StreamOperations kTemplate = {Seek,  Size,  SetSize, Read,
                                                   Write, Close, Flush,   AtEnd};
};

void Stream::Destroy() {
    Close();
    KitObject::Destroy();
}

Stream* NewReadFileStream(const char* path) {
    auto* stream = new Stream();
    stream->m_ops = FileStreamKind::kTemplate;
    stream->m_handle = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    return stream;
}

} // namespace gleamkit::bitmap
