// Rectangles in the platform's convention: right and bottom are exclusive.
#pragma once

#include <cstdint>

namespace gleamkit {

struct Rect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;

    friend bool operator==(const Rect&, const Rect&) = default;
};

// Builds the rectangle (left, top, right, bottom); no normalisation is made.
constexpr Rect MakeRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    return Rect{left, top, right, bottom};
}

} // namespace gleamkit
