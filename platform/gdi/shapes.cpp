// Ellipse, Arc and Rectangle: the outline with the pen, the inside with the
// brush, both with the binary raster mode, nothing outside the box or clip.
//
// The ellipse of a box W x H takes the pixels whose centres lie inside the
// ellipse centred in the box with semi-axes W/2 - 1/8 and H/2 - 1/8 (exact
// integer test), every row keeping at least its middle pixel(s) and the middle
// row(s) spanning the whole width, so the shape touches all four sides. Its
// outline is the set of those pixels with a 4-neighbour outside the set (thin,
// 8-connected, symmetric); the inside is the rest. A pen of width w draws the
// pixels of the shape that are not inside the shape of the box shrunk by
// w - 1 on each side. An arc keeps the outline pixels whose centres lie in the
// counter-clockwise sweep (on screen) from the start radial to the end radial,
// both radials included, judged with exact cross products.
#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/gdi/pen.h"

using namespace gdi;

namespace {

// Boxes larger than this are refused (the platform's coordinates are 27-bit).
constexpr int64_t kMaxExtent = int64_t{1} << 27;
constexpr int kMaxCoordinate = 1 << 30;
// Styled outlines are ordered along the curve; past this size they draw solid.
constexpr int64_t kMaxStyledExtent = int64_t{1} << 16;

using Wide = __int128;

struct Span {
    int left = 0;
    int right = -1; // inclusive
    bool Empty() const { return left > right; }
};

Span Intersect(Span a, Span b) {
    return Span{std::max(a.left, b.left), std::min(a.right, b.right)};
}

class EllipseShape {
public:
    EllipseShape(int left, int top, int right, int bottom)
        : m_left(left), m_top(top), m_width(right - left), m_height(bottom - top) {
        if (m_width <= 0 || m_height <= 0) return;
        const Wide a = 4 * Wide{m_width} - 1, b = 4 * Wide{m_height} - 1;
        m_a2 = a * a;
        m_b2 = b * b;
    }

    bool Empty() const { return m_width <= 0 || m_height <= 0; }

    // The shape's pixels in row y (absolute coordinates).
    Span Row(int y) const {
        if (Empty() || y < m_top || y - m_top >= m_height) return Span{};
        const int n = HalfWidth(y - m_top);
        if (m_width % 2 == 1) {
            const int centre = m_left + (m_width - 1) / 2;
            return Span{centre - n, centre + n};
        }
        const int middle = m_left + m_width / 2;
        return Span{middle - n, middle + n - 1};
    }

    // The part of row y that is not outline.
    Span Inside(int y) const {
        const Span row = Row(y);
        const Span inner = Intersect(Row(y - 1), Row(y + 1));
        if (row.Empty() || inner.Empty()) return Span{};
        return Span{std::max(inner.left, row.left + 1), std::min(inner.right, row.right - 1)};
    }

private:
    // Half the row's width in pixels (counting the centre pixel for odd
    // widths as 0, the two middle pixels for even widths as 1).
    int HalfWidth(int row) const {
        const int full = m_width % 2 == 1 ? (m_width - 1) / 2 : m_width / 2;
        const bool middle = m_height % 2 == 1 ? row == (m_height - 1) / 2
                                              : (row == m_height / 2 - 1 || row == m_height / 2);
        if (middle) return full;
        // Scaled by 8: pixel offsets X = 8x - 4(W - 1), semi-axis A = 4W - 1.
        const Wide y = 8 * Wide{row} - 4 * Wide{m_height - 1};
        const Wide limit = m_a2 * (m_b2 - y * y); // X^2 B^2 <= A^2 (B^2 - Y^2)
        const bool odd = m_width % 2 == 1;
        auto fits = [&](int n) {
            const Wide x = odd ? 8 * Wide{n} : 8 * Wide{n} - 4;
            return x * x * m_b2 <= limit;
        };
        const long double estimate =
            std::sqrt(static_cast<long double>(limit) / static_cast<long double>(m_b2));
        int n = static_cast<int>(std::min<long double>(
            full, std::max<long double>(0, odd ? estimate / 8 : (estimate + 4) / 8)));
        while (n < full && fits(n + 1)) ++n;
        while (n > 0 && !fits(n)) --n;
        return std::max(n, odd ? 0 : 1);
    }

    int m_left, m_top, m_width, m_height;
    Wide m_a2 = 0, m_b2 = 0;
};

struct Box {
    int left, top, right, bottom;
};

bool NormaliseBox(int left, int top, int right, int bottom, Box& box) {
    box = Box{std::min(left, right), std::min(top, bottom), std::max(left, right),
              std::max(top, bottom)};
    auto inRange = [](int v) { return v >= -kMaxCoordinate && v <= kMaxCoordinate; };
    return inRange(box.left) && inRange(box.top) && inRange(box.right) && inRange(box.bottom) &&
           int64_t{box.right} - box.left <= kMaxExtent &&
           int64_t{box.bottom} - box.top <= kMaxExtent;
}

// The pen's pixels of row y: the shape's row minus the inside of the shape of
// the box shrunk by width - 1 (one pixel wide: the outline).
int PenSegments(const EllipseShape& outer, const EllipseShape& inner, int y, Span out[2]) {
    const Span row = outer.Row(y);
    if (row.Empty()) return 0;
    const Span hole = inner.Empty() ? Span{} : Intersect(inner.Inside(y), row);
    if (hole.Empty()) {
        out[0] = row;
        return 1;
    }
    int count = 0;
    if (hole.left > row.left) out[count++] = Span{row.left, hole.left - 1};
    if (hole.right < row.right) out[count++] = Span{hole.right + 1, row.right};
    return count;
}

// The counter-clockwise sweep (on screen) from one radial to another, in
// doubled coordinates relative to the box centre.
class Sweep {
public:
    Sweep(const Box& box, int startX, int startY, int endX, int endY)
        : m_sumX(int64_t{box.left} + box.right), m_sumY(int64_t{box.top} + box.bottom) {
        m_sx = 2 * int64_t{startX} - m_sumX;
        m_sy = 2 * int64_t{startY} - m_sumY;
        m_ex = 2 * int64_t{endX} - m_sumX;
        m_ey = 2 * int64_t{endY} - m_sumY;
        const Wide turn = Cross(m_sx, m_sy, m_ex, m_ey);
        const Wide dot = Wide{m_sx} * m_ex + Wide{m_sy} * m_ey;
        m_full = (m_sx == 0 && m_sy == 0) || (m_ex == 0 && m_ey == 0) || (turn == 0 && dot > 0);
        m_turn = turn > 0 ? 1 : (turn < 0 ? -1 : 0);
    }

    bool Contains(int x, int y) const {
        if (m_full) return true;
        const int64_t px = 2 * int64_t{x} + 1 - m_sumX, py = 2 * int64_t{y} + 1 - m_sumY;
        const Wide fromStart = Cross(m_sx, m_sy, px, py);
        const Wide toEnd = Cross(px, py, m_ex, m_ey);
        if (m_turn > 0) return fromStart >= 0 && toEnd >= 0;
        if (m_turn < 0) return !(Cross(m_ex, m_ey, px, py) > 0 && Cross(px, py, m_sx, m_sy) > 0);
        return fromStart >= 0; // exactly half a turn
    }

    // The angle of a pixel centre past the start radial, for dash phases.
    long double AngleFromStart(int x, int y) const {
        const long double px = 2.0L * x + 1 - m_sumX, py = 2.0L * y + 1 - m_sumY;
        long double a = std::atan2(-py, px) -
                        std::atan2(-static_cast<long double>(m_sy), static_cast<long double>(m_sx));
        const long double turn = 2 * 3.14159265358979323846264338327950288L;
        while (a < 0) a += turn;
        return a;
    }

private:
    // The turn from u to v counter-clockwise on screen (y grows downwards).
    static Wide Cross(int64_t ux, int64_t uy, int64_t vx, int64_t vy) {
        return Wide{uy} * vx - Wide{ux} * vy;
    }

    int64_t m_sumX, m_sumY;
    int64_t m_sx = 0, m_sy = 0, m_ex = 0, m_ey = 0;
    bool m_full = false;
    int m_turn = 0;
};

// Draws the pen's pixels of an ellipse (the whole outline or an arc of it).
void StrokeEllipse(DrawTarget& target, PenPlotter& pen, const Box& box, const Sweep& sweep) {
    const int shrink = pen.Width() - 1;
    const EllipseShape outer(box.left, box.top, box.right, box.bottom);
    const EllipseShape inner(box.left + shrink, box.top + shrink, box.right - shrink,
                             box.bottom - shrink);
    const RECT clip = target.clip.Box();
    if (pen.Styled() && int64_t{box.right} - box.left + box.bottom - box.top <= kMaxStyledExtent) {
        // Dashes follow the curve: order the outline by angle from the start.
        struct Point {
            long double angle;
            int x, y;
        };
        std::vector<Point> points;
        Span segments[2];
        for (int y = box.top; y < box.bottom; ++y) {
            const int count = PenSegments(outer, inner, y, segments);
            for (int s = 0; s < count; ++s) {
                for (int x = segments[s].left; x <= segments[s].right; ++x) {
                    if (sweep.Contains(x, y)) points.push_back({sweep.AngleFromStart(x, y), x, y});
                }
            }
        }
        std::stable_sort(points.begin(), points.end(),
                         [](const Point& a, const Point& b) { return a.angle < b.angle; });
        for (size_t i = 0; i < points.size(); ++i) {
            pen.Plot(points[i].x + target.offsetX, points[i].y + target.offsetY,
                     static_cast<int>(i));
        }
        return;
    }
    const int64_t firstRow = std::max<int64_t>(box.top, int64_t{clip.top} - target.offsetY);
    const int64_t endRow = std::min<int64_t>(box.bottom, int64_t{clip.bottom} - target.offsetY);
    Span segments[2];
    for (int64_t row = firstRow; row < endRow; ++row) {
        const int y = static_cast<int>(row);
        const int count = PenSegments(outer, inner, y, segments);
        for (int s = 0; s < count; ++s) {
            const Span visible =
                Intersect(segments[s], Span{static_cast<int>(std::max<int64_t>(
                                                box.left, int64_t{clip.left} - target.offsetX)),
                                            static_cast<int>(std::min<int64_t>(
                                                box.right, int64_t{clip.right} - target.offsetX)) -
                                                1});
            int runStart = visible.left;
            for (int x = visible.left; x <= visible.right + 1; ++x) {
                if (x <= visible.right && sweep.Contains(x, y)) continue;
                if (x > runStart)
                    pen.PlotSpan(y + target.offsetY, runStart + target.offsetX, x + target.offsetX);
                runStart = x + 1;
            }
        }
    }
}

bool DrawEllipse(HDC dc, const Box& box, const Sweep& sweep, bool fill) {
    DrawTarget target;
    if (!ResolveTarget(dc, target)) return false;
    PenPlotter pen(target, FindPen(target.dc->pen));
    if (fill) {
        const PatternTable brush(FindBrush(target.dc->brush), target);
        const int shrink = pen.Null() ? 0 : pen.Width() - 1;
        const EllipseShape inside(box.left + shrink, box.top + shrink, box.right - shrink,
                                  box.bottom - shrink);
        const RECT clip = target.clip.Box();
        const int64_t firstRow = std::max<int64_t>(box.top, int64_t{clip.top} - target.offsetY);
        const int64_t endRow = std::min<int64_t>(box.bottom, int64_t{clip.bottom} - target.offsetY);
        for (int64_t row = firstRow; row < endRow && !brush.Empty(); ++row) {
            const Span span = inside.Inside(static_cast<int>(row));
            if (span.Empty()) continue;
            PaintBrushSpan(target, brush, target.dc->rop2, static_cast<int>(row) + target.offsetY,
                           span.left + target.offsetX, span.right + 1 + target.offsetX);
        }
    }
    if (!pen.Null()) StrokeEllipse(target, pen, box, sweep);
    return true;
}

} // namespace

BOOL Ellipse(HDC dc, int left, int top, int right, int bottom) {
    Box box;
    if (!FindDC(dc) || !NormaliseBox(left, top, right, bottom, box)) return FALSE;
    const Sweep whole(box, box.right, 0, box.right, 0);
    return DrawEllipse(dc, box, whole, true) ? TRUE : FALSE;
}

BOOL Arc(HDC dc, int left, int top, int right, int bottom, int startX, int startY, int endX,
         int endY) {
    Box box;
    if (!FindDC(dc) || !NormaliseBox(left, top, right, bottom, box)) return FALSE;
    const Sweep sweep(box, startX, startY, endX, endY);
    return DrawEllipse(dc, box, sweep, false) ? TRUE : FALSE;
}

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
    DrawTarget target;
    Box box;
    if (!NormaliseBox(left, top, right, bottom, box) || !ResolveTarget(dc, target)) return FALSE;
    if (box.left == box.right || box.top == box.bottom) return TRUE;
    PenPlotter pen(target, FindPen(target.dc->pen));
    const int frame = pen.Null() ? 0 : pen.Width();
    const RECT clip = target.clip.Box();
    const int64_t firstRow = std::max<int64_t>(box.top, int64_t{clip.top} - target.offsetY);
    const int64_t endRow = std::min<int64_t>(box.bottom, int64_t{clip.bottom} - target.offsetY);
    const PatternTable brush(FindBrush(target.dc->brush), target);
    const int ox = target.offsetX, oy = target.offsetY;
    for (int64_t row = firstRow; row < endRow; ++row) {
        const int y = static_cast<int>(row);
        const bool edgeRow = y < box.top + frame || y >= box.bottom - frame;
        const int innerLeft = std::min<int64_t>(int64_t{box.left} + frame, box.right);
        const int innerRight = std::max<int64_t>(int64_t{box.right} - frame, innerLeft);
        if (!edgeRow && innerLeft < innerRight) {
            PaintBrushSpan(target, brush, target.dc->rop2, y + oy, innerLeft + ox, innerRight + ox);
        }
        if (frame == 0) continue;
        if (pen.Styled()) {
            // Dashes run clockwise round the frame from the top-left corner.
            const int w = box.right - box.left, h = box.bottom - box.top;
            auto step = [&](int x) {
                if (y == box.top) return x - box.left;
                if (x == box.right - 1 && y < box.bottom - 1) return w - 1 + (y - box.top);
                if (y == box.bottom - 1) return w - 1 + h - 1 + (box.right - 1 - x);
                return 2 * (w - 1) + h - 1 + (box.bottom - 1 - y);
            };
            if (edgeRow) {
                const int64_t from = std::max<int64_t>(box.left, int64_t{clip.left} - ox);
                const int64_t to = std::min<int64_t>(box.right, int64_t{clip.right} - ox);
                for (int64_t x = from; x < to; ++x) {
                    pen.Plot(static_cast<int>(x) + ox, y + oy, step(static_cast<int>(x)));
                }
            } else {
                pen.Plot(box.left + ox, y + oy, step(box.left));
                pen.Plot(box.right - 1 + ox, y + oy, step(box.right - 1));
            }
        } else if (edgeRow) {
            pen.PlotSpan(y + oy, box.left + ox, box.right + ox);
        } else {
            pen.PlotSpan(y + oy, box.left + ox, innerLeft + ox);
            pen.PlotSpan(y + oy, innerRight + ox, box.right + ox);
        }
    }
    return TRUE;
}
