#include "base/color.h"

#include "platform/win32.h"

namespace gleamkit {

Color ResolveColor(Color color) {
    if (color < 0) return static_cast<Color>(GetSysColor(color & 0xFF));
    return color;
}

} // namespace gleamkit
