// Reading Windows bitmap files into a PixelBitmap: an optional 14-byte file
// header, a 40-byte info header or a 12-byte core header, the colour table or
// masks, then the rows, kept in the file's own layout (nothing is decoded or
// converted). Every read goes through a bounded window onto the header block
// or the row memory, and every size is checked before anything is allocated.
#include "bitmap/pixel_bitmap.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "bitmap/dib_header.h"
#include "bitmap/pixel_memory.h"
#include "bitmap/stream.h"

namespace gleamkit::bitmap {
namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint16_t kFileType = 0x4D42; // "BM"
constexpr uint32_t kCoreHeaderSize = 12;
// A short file must hold at least one byte of rows for every eight it declares.
constexpr int64_t kMaxRowsPerHeldByte = 8;

// Reads exactly `count` bytes into buffer[offset ...]; refuses any request
// that would reach past the buffer, whatever the file says.
class BoundedReader {
public:
    explicit BoundedReader(Stream& stream) : m_stream(stream) {}

    bool ReadInto(uint8_t* buffer, size_t bufferSize, size_t offset, size_t count) {
        if (offset > bufferSize || count > bufferSize - offset) return false;
        if (count > std::numeric_limits<uint32_t>::max()) return false;
        return m_stream.Read(buffer + offset, static_cast<uint32_t>(count)) == count;
    }

    // Moves forward by `count` bytes, stopping at the end of the stream: the
    // rows cannot start past it, and seeks take signed 32-bit steps.
    bool SkipForward(uint64_t count) {
        const uint32_t position = m_stream.Position();
        if (position == kSeekFailed) return false;
        const uint64_t target = std::min<uint64_t>(uint64_t{position} + count, m_stream.Size());
        uint64_t remaining = target > position ? target - position : 0;
        while (remaining > 0) {
            const auto step = static_cast<int32_t>(
                std::min<uint64_t>(remaining, std::numeric_limits<int32_t>::max()));
            if (m_stream.Seek(step, SeekOrigin::Current) == kSeekFailed) return false;
            remaining -= static_cast<uint64_t>(step);
        }
        return true;
    }

private:
    Stream& m_stream;
};

uint32_t Read32(const uint8_t* bytes) {
    return dib::Get<uint32_t>(bytes, 0);
}
uint16_t Read16(const uint8_t* bytes) {
    return dib::Get<uint16_t>(bytes, 0);
}

// Widens a core header (width, height, planes, bit count: 16 bits each) held
// in block[4..12) into the 40-byte form.
void WidenCoreHeader(uint8_t* block) {
    const uint16_t width = Read16(block + 4);
    const uint16_t height = Read16(block + 6);
    const uint16_t planes = Read16(block + 8);
    const uint16_t bitCount = Read16(block + 10);
    std::memset(block, 0, dib::kInfoHeaderSize);
    dib::Put<uint32_t>(block, dib::kSizeOffset, dib::kInfoHeaderSize);
    dib::Put<int32_t>(block, dib::kWidthOffset, width);
    dib::Put<int32_t>(block, dib::kHeightOffset, height);
    dib::Put<uint16_t>(block, dib::kPlanesOffset, planes);
    dib::Put<uint16_t>(block, dib::kBitCountOffset, bitCount);
}

bool IsSixteenBit(BitmapLayout layout) {
    return layout == BitmapLayout::Bits15 || layout == BitmapLayout::Bits16;
}

// The largest picture accepted: its 32-bit form (the widest any conversion
// makes, and the form of a device bitmap) must still fit the signed 32-bit
// RowMemorySize. Anything larger could be read but never converted or drawn.
bool FitsEveryLayout(int32_t width, int32_t height) {
    return uint64_t{static_cast<uint32_t>(width)} * 4 * static_cast<uint32_t>(height) <=
           uint64_t{std::numeric_limits<int32_t>::max()};
}

} // namespace

bool PixelBitmap::LoadFromFile(const char* path) {
    Stream* stream = NewReadFileStream(path);
    const bool loaded = LoadFromStream(*stream);
    Free(stream);
    return loaded;
}

bool PixelBitmap::LoadFromStream(Stream& stream) {
    Clear();
    const uint32_t start = stream.Position();
    if (ReadDib(stream, start)) return true;
    stream.Seek(static_cast<int32_t>(start), SeekOrigin::Beginning);
    Clear();
    return false;
}

bool PixelBitmap::ReadDib(Stream& stream, uint32_t startPosition) {
    BoundedReader reader(stream);
    m_storageKind = StorageKind::Dib;

    uint8_t fileHeader[kFileHeaderSize];
    if (!reader.ReadInto(fileHeader, sizeof(fileHeader), 0, kFileHeaderSize)) return false;
    uint32_t gap = 0;
    uint32_t sizeFlag = 0;
    if (Read16(fileHeader) == kFileType) {
        // bfOffBits counts from the start of the file header.
        gap = Read32(fileHeader + 10) - kFileHeaderSize;
        sizeFlag = Read32(fileHeader + 2);
    } else if (stream.Seek(static_cast<int32_t>(startPosition), SeekOrigin::Beginning) !=
               startPosition) {
        return false; // not a file header: the bytes are the info header
    }

    uint32_t entrySize = 4;
    uint32_t headerSize = dib::kInfoHeaderSize;
    m_headerBlock = new uint8_t[kHeaderBlockSize]();
    uint8_t* header = m_headerBlock;
    if (!reader.ReadInto(header, kHeaderBlockSize, 0, 4)) return false;
    const uint32_t infoSize = Read32(header);
    if (infoSize == dib::kInfoHeaderSize) {
        if (!reader.ReadInto(header, kHeaderBlockSize, 4, dib::kInfoHeaderSize - 4)) return false;
    } else if (infoSize == kCoreHeaderSize) {
        entrySize = 3;
        headerSize = kCoreHeaderSize;
        if (!reader.ReadInto(header, kHeaderBlockSize, 4, kCoreHeaderSize - 4)) return false;
        WidenCoreHeader(header);
    } else {
        return false;
    }

    const uint32_t bitCount = dib::BitCount(header);
    m_requestedLayout = LayoutFromBitCount(bitCount * dib::Planes(header));

    // A negative width, or a height whose size has no positive form, has no
    // rows to read; the row size would come from a wrapped-around value.
    const int32_t width = dib::Width(header);
    const int32_t height = dib::Height(header);
    if (width < 0 || height == std::numeric_limits<int32_t>::min()) return false;
    m_width = width;
    m_height = height < 0 ? -height : height;
    int32_t rowMemorySize = 0;
    const uint64_t rowBytes = dib::RowBytes(static_cast<uint32_t>(width), bitCount);
    const uint64_t totalBytes = rowBytes * static_cast<uint32_t>(m_height);
    if (rowBytes > std::numeric_limits<uint32_t>::max() ||
        totalBytes > uint64_t{std::numeric_limits<int32_t>::max()} ||
        !FitsEveryLayout(m_width, m_height))
        return false;
    rowMemorySize = static_cast<int32_t>(totalBytes);
    // A picture whose rows take no bytes (bit count 0: rows in some embedded
    // format) cannot be held as rows.
    if (rowMemorySize == 0 && !Empty()) return false;
    m_rowMemorySize = rowMemorySize;

    uint64_t paletteBytes = 0;
    if (bitCount <= 8)
        paletteBytes = (uint64_t{1} << bitCount) * entrySize;
    else if (IsSixteenBit(m_requestedLayout))
        paletteBytes = 12;

    if (gap != 0) {
        // A row offset inside the headers points nowhere sensible: it is
        // ignored, and the table the bit count calls for is read instead.
        if (gap < headerSize || gap > std::numeric_limits<uint32_t>::max() - kFileHeaderSize) {
            gap = 0;
        } else {
            gap -= headerSize;
            if (paletteBytes != gap) {
                if (!IsSixteenBit(m_requestedLayout))
                    paletteBytes = gap;
                else
                    paletteBytes = gap == 0 ? 0 : 12;
            }
        }
    }

    // Bytes beyond what the colour table holds (256 entries) are skipped.
    uint64_t skip = gap;
    if (paletteBytes != 0) {
        if (paletteBytes <= skip) skip -= paletteBytes;
        uint64_t tableBytes =
            std::min<uint64_t>(paletteBytes, uint64_t{dib::kColorTableSize / 4} * entrySize);
        if (entrySize == 4) {
            if (!reader.ReadInto(header, kHeaderBlockSize, dib::kColorTableOffset, tableBytes))
                return false;
        } else {
            // Three-byte entries widen into four-byte ones; a partial entry
            // at the end is skipped with the surplus.
            const uint64_t entries = tableBytes / 3;
            tableBytes = entries * 3;
            for (uint64_t i = 0; i < entries; ++i)
                if (!reader.ReadInto(header, kHeaderBlockSize, dib::kColorTableOffset + 4 * i, 3))
                    return false;
        }
        skip += paletteBytes - tableBytes;
    }
    if (skip != 0 && !reader.SkipForward(skip)) return false;

    const uint32_t position = stream.Position();
    if (position == kSeekFailed) return false;
    const int64_t wanted = m_rowMemorySize;
    int64_t count = wanted;
    if (sizeFlag != 0)
        count = std::min<int64_t>(wanted, int64_t{stream.Size()} - int64_t{position});
    // A file whose rows end short but that holds enough bytes before them is
    // read from its last RowMemorySize bytes.
    if (count < wanted && position >= wanted - count) {
        if (stream.Seek(static_cast<int32_t>(-(wanted - count)), SeekOrigin::Current) ==
            kSeekFailed)
            return false;
        count = wanted;
    }
    // Fail a short file before its memory is asked for.
    if (count > int64_t{stream.Size()} - int64_t{stream.Position()}) return false;
    // A file that ends before its rows do shows what it holds, but it must
    // hold a fair share of them: otherwise a few bytes could declare
    // gigabytes of zero rows.
    if (count < wanted && count * kMaxRowsPerHeldByte < wanted) return false;

    if (m_rowMemorySize != 0) {
        m_rowMemory = AllocatePixelMemory(static_cast<size_t>(m_rowMemorySize), Zeroed::Yes);
        if (!m_rowMemory) return false;
    }
    return reader.ReadInto(m_rowMemory, static_cast<size_t>(m_rowMemorySize), 0,
                           static_cast<size_t>(count));
}

} // namespace gleamkit::bitmap
