// Reads picture files for the program and explains a refusal. The reader
// itself only answers yes or no; the explanation re-reads the file's headers
// here, bounded to the bytes the file has, to name the first rule it breaks.
#include "app/picture_file.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <new>
#include <sys/stat.h>

namespace gleamkit::app {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kCoreHeaderSize = 12;
// Info header sizes of the later bitmap versions (OS/2 2.x, with masks, V4,
// V5): real bitmap files the reader does not take.
constexpr uint32_t kOtherHeaderSizes[] = {16, 52, 56, 64, 108, 124};
// The reader keeps every picture's 32-bit form within a signed 32-bit size.
constexpr int64_t kLargestPixelBytes = INT32_MAX;

uint32_t Read32(const uint8_t* at) {
    return at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<uint32_t>(at[3]) << 24);
}

uint16_t Read16(const uint8_t* at) {
    return static_cast<uint16_t>(at[0] | (at[1] << 8));
}

std::string OpenFailure(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? "not found" : std::strerror(errno);
    if (S_ISDIR(info.st_mode)) return "a folder, not a file";
    std::ifstream probe(path, std::ios::binary);
    if (!probe) return "cannot be opened (" + std::string(std::strerror(errno)) + ")";
    return {};
}

std::string SizeText(int64_t width, int64_t height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

// The first rule the info header at `header` (with `available` bytes) breaks.
std::string HeaderFailure(const uint8_t* header, size_t available, bool hasFileHeader) {
    if (available < 4) return "cut short";
    const uint32_t size = Read32(header);
    if (size != kInfoHeaderSize && size != kCoreHeaderSize) {
        if (!hasFileHeader) return "not a bitmap file";
        for (const uint32_t other : kOtherHeaderSizes)
            if (size == other)
                return "unsupported bitmap header (" + std::to_string(size) + " bytes)";
        return "damaged, or not a bitmap file";
    }
    if (available < size) return "cut short";
    int64_t width = 0;
    int64_t height = 0;
    uint16_t bits = 0;
    if (size == kCoreHeaderSize) {
        width = Read16(header + 4);
        height = Read16(header + 6);
        bits = Read16(header + 10);
    } else {
        width = static_cast<int32_t>(Read32(header + 4));
        height = static_cast<int32_t>(Read32(header + 8));
        bits = Read16(header + 14);
    }
    if (width < 0) return "unsupported negative width";
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return "unsupported depth of " + std::to_string(bits) + " bits per pixel";
    const int64_t rows = height < 0 ? -height : height;
    if (width * 4 * rows > kLargestPixelBytes) return "too large (" + SizeText(width, rows) + ")";
    return "damaged or cut short";
}

} // namespace

std::string RefusalReason(const std::string& path) {
    if (std::string failure = OpenFailure(path); !failure.empty()) return failure;
    std::ifstream file(path, std::ios::binary);
    uint8_t bytes[kFileHeaderSize + kInfoHeaderSize] = {};
    file.read(reinterpret_cast<char*>(bytes), sizeof bytes);
    const auto count = static_cast<size_t>(file.gcount());
    if (count == 0) return "empty file";
    const bool hasFileHeader = count >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
    if (hasFileHeader)
        return count < kFileHeaderSize
                   ? "cut short"
                   : HeaderFailure(bytes + kFileHeaderSize, count - kFileHeaderSize, true);
    return HeaderFailure(bytes, count, false);
}

bitmap::PixelBitmap* ReadPictureFile(const std::string& path, std::string& reason) {
    bitmap::PixelBitmap* picture = bitmap::NewPixelBitmap(0, 0);
    bool loaded = false;
    try {
        loaded = picture->LoadFromFile(path.c_str());
    } catch (const std::bad_alloc&) {
        Free(picture);
        reason = "too large for the memory available";
        return nullptr;
    }
    if (loaded && !picture->Empty()) return picture;
    const bool emptyPicture = loaded;
    Free(picture);
    reason = emptyPicture ? "the picture has no pixels" : RefusalReason(path);
    return nullptr;
}

} // namespace gleamkit::app
