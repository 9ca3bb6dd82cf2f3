// Pen pixels and brush spans with the binary raster mode, and LineTo.
#include "platform/gdi/pen.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace gdi {
namespace {

void SetDashes(int style, int* dashes, int& count) {
    static const int kDash[] = {18, 6};
    static const int kDot[] = {3, 3};
    static const int kDashDot[] = {9, 6, 3, 6};
    static const int kDashDotDot[] = {9, 3, 3, 3, 3, 3};
    const int* source = nullptr;
    switch (style) {
    case PS_DASH:
        source = kDash, count = 2;
        break;
    case PS_DOT:
        source = kDot, count = 2;
        break;
    case PS_DASHDOT:
        source = kDashDot, count = 4;
        break;
    case PS_DASHDOTDOT:
        source = kDashDotDot, count = 6;
        break;
    default:
        count = 0;
        return;
    }
    for (int i = 0; i < count; ++i) dashes[i] = source[i];
}

} // namespace

PenPlotter::PenPlotter(DrawTarget& target, const Pen* pen) : m_target(target) {
    if (!pen || pen->log.lopnStyle == static_cast<UINT>(PS_NULL)) return;
    m_null = false;
    m_width = pen->log.lopnWidth.x > 1 ? pen->log.lopnWidth.x : 1;
    ColorCodec codec(*target.view.format);
    m_penValue = codec.Encode(BgrxFromColorref(pen->log.lopnColor));
    m_bkValue = codec.Encode(BgrxFromColorref(TargetBkColor(target)));
    m_mask = target.view.format->ValueMask();
    if (target.dc) {
        m_mode = target.dc->rop2;
        m_opaque = target.dc->bkMode == OPAQUE;
    }
    if (m_width == 1) SetDashes(static_cast<int>(pen->log.lopnStyle), m_dashes, m_dashCount);
    for (int i = 0; i < m_dashCount; ++i) m_dashPeriod += m_dashes[i];
}

void PenPlotter::Plot(int x, int y, int step) {
    if (m_null || !m_target.clip.Contains(x, y)) return;
    uint32_t value = m_penValue;
    if (m_dashCount > 0) {
        int phase = step % m_dashPeriod;
        if (phase < 0) phase += m_dashPeriod;
        int run = 0;
        while (phase >= m_dashes[run]) phase -= m_dashes[run++];
        if (run % 2 == 1) {
            // A gap: background colour when opaque, untouched when transparent.
            if (!m_opaque) return;
            value = m_bkValue;
        }
    }
    const PixelFormat& format = *m_target.view.format;
    BYTE* row = m_target.view.Row(y);
    WriteValue(format, row, x, Rop2(m_mode, value, ReadValue(format, row, x)) & m_mask);
}

void PenPlotter::PlotSpan(int y, int x0, int x1) {
    if (m_null) return;
    const PixelFormat& format = *m_target.view.format;
    std::vector<uint32_t> values;
    ForEachClippedSpan(m_target.clip, x0, y, x1, y + 1, [&](int py, int a, int b) {
        values.resize(static_cast<size_t>(b - a));
        BYTE* row = m_target.view.Row(py);
        ReadValues(format, row, a, b - a, values.data());
        for (uint32_t& v : values) v = Rop2(m_mode, m_penValue, v) & m_mask;
        WriteValues(format, row, a, b - a, values.data());
    });
}

void PaintBrushSpan(DrawTarget& target, const PatternTable& brush, int mode, int y, int x0,
                    int x1) {
    if (brush.Empty()) return;
    const PixelFormat& format = *target.view.format;
    const uint32_t mask = format.ValueMask();
    std::vector<uint32_t> pattern, values;
    ForEachClippedSpan(target.clip, x0, y, x1, y + 1, [&](int py, int a, int b) {
        const size_t n = static_cast<size_t>(b - a);
        pattern.resize(n);
        values.resize(n);
        brush.Fill(a, py, b - a, pattern.data());
        BYTE* row = target.view.Row(py);
        ReadValues(format, row, a, b - a, values.data());
        for (size_t i = 0; i < n; ++i) values[i] = Rop2(mode, pattern[i], values[i]) & mask;
        WriteValues(format, row, a, b - a, values.data());
    });
}

} // namespace gdi

using namespace gdi;

namespace {

// Lines longer than this are refused rather than walked pixel by pixel.
constexpr int64_t kMaxLineSteps = int64_t{1} << 24;

// Marks the pixels of a wide pen (a width x width square around each point
// of the path), limited to the clip box, so that each is drawn once.
class WideStroke {
public:
    WideStroke(const RECT& box) : m_box(box) {
        if (box.right > box.left && box.bottom > box.top) {
            m_marks.assign(static_cast<size_t>(box.right - box.left) * (box.bottom - box.top), 0);
        }
    }
    void Stamp(int x, int y, int width) {
        const int x0 = std::max<int>(x - (width - 1) / 2, m_box.left);
        const int x1 = std::min<int>(x - (width - 1) / 2 + width, m_box.right);
        const int y0 = std::max<int>(y - (width - 1) / 2, m_box.top);
        const int y1 = std::min<int>(y - (width - 1) / 2 + width, m_box.bottom);
        for (int py = y0; py < y1; ++py) {
            for (int px = x0; px < x1; ++px) m_marks[Index(px, py)] = 1;
        }
    }
    void Paint(PenPlotter& pen) const {
        for (int y = m_box.top; y < m_box.bottom; ++y) {
            int x = m_box.left;
            while (x < m_box.right) {
                if (!m_marks[Index(x, y)]) {
                    ++x;
                    continue;
                }
                int end = x;
                while (end < m_box.right && m_marks[Index(end, y)]) ++end;
                pen.PlotSpan(y, x, end);
                x = end;
            }
        }
    }

private:
    size_t Index(int x, int y) const {
        return static_cast<size_t>(y - m_box.top) * (m_box.right - m_box.left) + (x - m_box.left);
    }
    RECT m_box;
    std::vector<BYTE> m_marks;
};

} // namespace

BOOL LineTo(HDC dc, int x, int y) {
    DrawTarget target;
    if (!ResolveTarget(dc, target)) return FALSE;
    const POINT from = target.dc->position;
    target.dc->position = POINT{x, y};
    const int64_t dx = std::llabs(int64_t{x} - from.x), dy = std::llabs(int64_t{y} - from.y);
    if (std::max(dx, dy) > kMaxLineSteps) return FALSE;
    PenPlotter pen(target, FindPen(target.dc->pen));
    if (pen.Null()) return TRUE;
    // Bresenham from the start point up to, not including, the end point.
    const int stepX = x > from.x ? 1 : -1, stepY = y > from.y ? 1 : -1;
    int64_t px = int64_t{from.x} + target.offsetX, py = int64_t{from.y} + target.offsetY;
    int64_t error = dx - dy;
    const int64_t steps = std::max(dx, dy);
    const RECT box = target.clip.Box();
    if (pen.Width() > 1) {
        WideStroke stroke(box);
        for (int64_t i = 0; i < steps; ++i) {
            if (px >= box.left - pen.Width() && px < box.right + pen.Width() &&
                py >= box.top - pen.Width() && py < box.bottom + pen.Width()) {
                stroke.Stamp(static_cast<int>(px), static_cast<int>(py), pen.Width());
            }
            const int64_t twice = 2 * error;
            if (twice > -dy) error -= dy, px += stepX;
            if (twice < dx) error += dx, py += stepY;
        }
        stroke.Paint(pen);
        return TRUE;
    }
    for (int64_t i = 0; i < steps; ++i) {
        if (px >= box.left && px < box.right && py >= box.top && py < box.bottom) {
            pen.Plot(static_cast<int>(px), static_cast<int>(py), static_cast<int>(i));
        }
        const int64_t twice = 2 * error;
        if (twice > -dy) error -= dy, px += stepX;
        if (twice < dx) error += dx, py += stepY;
    }
    return TRUE;
}
