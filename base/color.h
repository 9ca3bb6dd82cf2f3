// Colour values as the kit stores them: 0x00BBGGRR for a plain colour,
// 0x80000000 | index for one of the platform's system colours, -1 for none.
#pragma once

#include <cstdint>

namespace gleamkit {

using Color = int32_t;

inline constexpr Color kColorNone = -1;

// The Color naming system colour `index` (a COLOR_ value of the platform).
constexpr Color SystemColor(int index) {
    return static_cast<Color>(0x80000000u | static_cast<uint32_t>(index & 0xFF));
}

// 0x00BBGGRR from channel bytes.
constexpr Color MakeColor(uint8_t red, uint8_t green, uint8_t blue) {
    return static_cast<Color>(red | (green << 8) | (blue << 16));
}

// A negative Color is a system colour: its low byte goes to GetSysColor and the
// platform's RGB answer is returned. Any other value is already 0x00BBGGRR.
Color ResolveColor(Color color);

} // namespace gleamkit
