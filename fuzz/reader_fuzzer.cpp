// libFuzzer entry for the bitmap reader: every input is loaded, converted to
// 24 bits and read to the last pixel (see reader_check.h).
#include <cstddef>
#include <cstdint>

#include "fuzz/reader_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    gleamkit::fuzz::LoadAndReadEveryPixel(data, size);
    return 0;
}
