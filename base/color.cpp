// Colour values: the classic system-colour table and resolving a kit Color.
#include "base/color.h"

#include <array>
#include <cstddef>

namespace gleamkit {

namespace {

// The classic scheme, indexed by system colour.
constexpr std::array<Color, kSystemColorCount> kClassicColors = {
    MakeColor(212, 208, 200), // scroll bar
    MakeColor(58, 110, 165),  // desktop background
    MakeColor(10, 36, 106),   // active caption
    MakeColor(128, 128, 128), // inactive caption
    MakeColor(212, 208, 200), // menu
    MakeColor(255, 255, 255), // window
    MakeColor(0, 0, 0),       // window frame
    MakeColor(0, 0, 0),       // menu text
    MakeColor(0, 0, 0),       // window text
    MakeColor(255, 255, 255), // caption text
    MakeColor(212, 208, 200), // active border
    MakeColor(212, 208, 200), // inactive border
    MakeColor(128, 128, 128), // application workspace
    MakeColor(10, 36, 106),   // highlight
    MakeColor(255, 255, 255), // highlight text
    MakeColor(212, 208, 200), // button face
    MakeColor(128, 128, 128), // button shadow
    MakeColor(128, 128, 128), // grey text
    MakeColor(0, 0, 0),       // button text
    MakeColor(212, 208, 200), // inactive caption text
    MakeColor(255, 255, 255), // button highlight
    MakeColor(64, 64, 64),    // 3D dark shadow
    MakeColor(212, 208, 200), // 3D light
    MakeColor(0, 0, 0),       // info text
    MakeColor(255, 255, 225), // info background
    MakeColor(192, 192, 192), // (unused slot)
    MakeColor(0, 0, 128),     // hot light
    MakeColor(166, 202, 240), // gradient active caption
    MakeColor(192, 192, 192), // gradient inactive caption
    MakeColor(49, 106, 197),  // menu highlight
    MakeColor(212, 208, 200), // menu bar
};

} // namespace

uint32_t ClassicSystemColor(int index) {
    if (index < 0 || index >= kSystemColorCount) return 0;
    return static_cast<uint32_t>(kClassicColors[static_cast<std::size_t>(index)]);
}

Color ResolveColor(Color color) {
    if (color < 0) return static_cast<Color>(ClassicSystemColor(color & 0xFF));
    return color;
}

} // namespace gleamkit
