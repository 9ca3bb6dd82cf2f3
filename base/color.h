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

// System colours indexed 0 .. kSystemColorCount - 1 (the platform's COLOR_
// values, COLOR_SCROLLBAR to COLOR_MENUBAR).
inline constexpr int kSystemColorCount = 31;

// The classic scheme's value (0x00BBGGRR) of system colour `index` (button
// face 212,208,200; application workspace 128,128,128; window white; ...);
// 0 for an index outside the table. The platform's GetSysColor answers this.
uint32_t ClassicSystemColor(int index);

// A negative Color is a system colour: its low byte is the index and its
// classic value is returned. Any other value is already 0x00BBGGRR.
Color ResolveColor(Color color);

} // namespace gleamkit
