// Colour values: the classic system-colour table and resolving a kit Color.
#include "base/color.h"

#include <array>
#include <cstddef>

namespace gleamkit {

namespace {

constexpr uint32_t Rgb(uint8_t red, uint8_t green, uint8_t blue) {
    return static_cast<uint32_t>(red | (green << 8) | (blue << 16));
}

// The classic scheme, indexed by system colour.
constexpr std::array<uint32_t, kSystemColorCount> kClassicColors = {
    Rgb(212, 208, 200), // scroll bar
    Rgb(58, 110, 165),  // desktop background
    Rgb(10, 36, 106),   // active caption
    Rgb(128, 128, 128), // inactive caption
    Rgb(212, 208, 200), // menu
    Rgb(255, 255, 255), // window
    Rgb(0, 0, 0),       // window frame
    Rgb(0, 0, 0),       // menu text
    Rgb(0, 0, 0),       // window text
    Rgb(255, 255, 255), // caption text
    Rgb(212, 208, 200), // active border
    Rgb(212, 208, 200), // inactive border
    Rgb(128, 128, 128), // application workspace
    Rgb(10, 36, 106),   // highlight
    Rgb(255, 255, 255), // highlight text
    Rgb(212, 208, 200), // button face
    Rgb(128, 128, 128), // button shadow
    Rgb(128, 128, 128), // grey text
    Rgb(0, 0, 0),       // button text
    Rgb(212, 208, 200), // inactive caption text
    Rgb(255, 255, 255), // button highlight
    Rgb(64, 64, 64),    // 3D dark shadow
    Rgb(212, 208, 200), // 3D light
    Rgb(0, 0, 0),       // info text
    Rgb(255, 255, 225), // info background
    Rgb(192, 192, 192), // (unused slot)
    Rgb(0, 0, 128),     // hot light
    Rgb(166, 202, 240), // gradient active caption
    Rgb(192, 192, 192), // gradient inactive caption
    Rgb(49, 106, 197),  // menu highlight
    Rgb(212, 208, 200), // menu bar
};

} // namespace

uint32_t ClassicSystemColor(int index) {
    if (index < 0 || index >= kSystemColorCount) return 0;
    return kClassicColors[static_cast<std::size_t>(index)];
}

Color ResolveColor(Color color) {
    if (color < 0) return static_cast<Color>(ClassicSystemColor(color & 0xFF));
    return color;
}

} // namespace gleamkit
