// Rectangle and region fills, inversion and single pixels. Fills use the
// brush as a pattern with PATCOPY (the binary raster mode does not apply);
// everything is clipped.
#include <algorithm>
#include <climits>

#include "base/color.h"
#include "platform/gdi/raster.h"

using namespace gdi;

namespace {

constexpr uintptr_t kLastSystemColorBrush = gleamkit::kSystemColorCount;

// A rectangle in context coordinates as pixel coordinates of the target,
// limited to its clip box (so nothing overflows).
RECT ToPixels(const DrawTarget& target, const RECT& rect) {
    const RECT box = target.clip.Box();
    auto clampX = [&](int64_t v) {
        return static_cast<LONG>(std::clamp<int64_t>(v, box.left, box.right));
    };
    auto clampY = [&](int64_t v) {
        return static_cast<LONG>(std::clamp<int64_t>(v, box.top, box.bottom));
    };
    return RECT{clampX(int64_t{rect.left} + target.offsetX),
                clampY(int64_t{rect.top} + target.offsetY),
                clampX(int64_t{rect.right} + target.offsetX),
                clampY(int64_t{rect.bottom} + target.offsetY)};
}

bool PixelInClip(const DrawTarget& target, int x, int y, int& px, int& py) {
    const int64_t fx = int64_t{x} + target.offsetX, fy = int64_t{y} + target.offsetY;
    if (fx < INT_MIN || fx > INT_MAX || fy < INT_MIN || fy > INT_MAX) return false;
    px = static_cast<int>(fx);
    py = static_cast<int>(fy);
    return target.clip.Contains(px, py);
}

} // namespace

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
    DrawTarget target;
    if (!rect || !ResolveTarget(dc, target)) return 0;
    const uintptr_t value = reinterpret_cast<uintptr_t>(brush);
    const RECT pixels = ToPixels(target, *rect);
    if (value > 0 && value <= kLastSystemColorBrush) {
        // (HBRUSH)(COLOR_x + 1) stands for a brush of system colour x.
        const PatternTable pattern(gleamkit::ClassicSystemColor(static_cast<int>(value - 1)),
                                   target);
        PatternFill(target, pattern, pixels.left, pixels.top, pixels.right, pixels.bottom, 0xF0);
        return 1;
    }
    const Brush* fill = FindBrush(brush);
    if (!fill) return 0;
    const PatternTable pattern(fill, target);
    PatternFill(target, pattern, pixels.left, pixels.top, pixels.right, pixels.bottom, 0xF0);
    return 1;
}

BOOL InvertRect(HDC dc, const RECT* rect) {
    DrawTarget target;
    if (!rect || !ResolveTarget(dc, target)) return FALSE;
    const RECT pixels = ToPixels(target, *rect);
    const PatternTable none(nullptr, target);
    PatternFill(target, none, pixels.left, pixels.top, pixels.right, pixels.bottom, 0x55);
    return TRUE;
}

BOOL FillRgn(HDC dc, HRGN handle, HBRUSH brush) {
    DrawTarget target;
    const Region* region = FindRegion(handle);
    const Brush* fill = FindBrush(brush);
    if (!region || !fill || !ResolveTarget(dc, target)) return FALSE;
    Region area = *region;
    area.Offset(target.offsetX, target.offsetY);
    target.clip = Region::Combine(target.clip, area, Region::Op::And);
    const RECT box = target.clip.Box();
    const PatternTable pattern(fill, target);
    PatternFill(target, pattern, box.left, box.top, box.right, box.bottom, 0xF0);
    return TRUE;
}

COLORREF GetPixel(HDC dc, int x, int y) {
    DrawTarget target;
    int px, py;
    if (!ResolveTarget(dc, target) || !PixelInClip(target, x, y, px, py)) return CLR_INVALID;
    const ColorCodec codec(*target.view.format);
    const uint32_t value = ReadValue(*target.view.format, target.view.Row(py), px);
    return ColorrefFromBgrx(codec.Decode(value));
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) {
    DrawTarget target;
    int px, py;
    if (!ResolveTarget(dc, target) || !PixelInClip(target, x, y, px, py)) return CLR_INVALID;
    ColorCodec codec(*target.view.format);
    const uint32_t value = codec.Encode(BgrxFromColorref(color));
    WriteValue(*target.view.format, target.view.Row(py), px, value);
    return ColorrefFromBgrx(codec.Decode(value));
}
