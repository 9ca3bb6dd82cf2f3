// What the reader's fuzz target does with one input, shared with the
// regression test that replays every input the fuzzer ever broke on: load the
// bytes as a bitmap file, convert the picture to 24 bits and read every
// pixel. Any read or write outside a buffer, any undefined behaviour or leak
// shows under the sanitizers; the answer only says whether the bytes loaded.
//
// Also the seed pictures: small files of every layout and header form the
// reader accepts, made from pictures drawn here, from which fuzzing starts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gleamkit::fuzz {

struct ReadResult {
    bool loaded = false;   // the bytes loaded as a non-empty picture
    uint32_t checksum = 0; // the sum of every 24-bit pixel byte
};

// Loads `size` bytes at `bytes` through a memory stream, converts a loaded
// picture to Bits24 (a picture whose memory cannot be had is dropped) and
// sums every pixel byte.
ReadResult LoadAndReadEveryPixel(const uint8_t* bytes, size_t size);

struct SeedFile {
    std::string name;
    std::vector<uint8_t> bytes;
};

// Bitmap files of a 13 x 7 picture in every layout (1, 4, 8, 16 with and
// without masks, 24, 32), top-down and bottom-up, with a core header, and
// without a file header.
std::vector<SeedFile> SeedFiles();

} // namespace gleamkit::fuzz
