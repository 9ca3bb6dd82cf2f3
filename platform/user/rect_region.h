// A small region made of disjoint rectangles, for the window manager's update
// and visible regions. Right and bottom are exclusive; empty rectangles are
// never stored. The graphics layer's HRGN is made from it only at the edge
// (BeginPaint, GetUpdateRgn, window device contexts).
#pragma once

#include "platform/win32_types.h"

#include <vector>

namespace user_detail {

bool IsEmptyRect(const RECT& rect);
RECT IntersectRects(const RECT& a, const RECT& b);
RECT OffsetRectBy(const RECT& rect, int dx, int dy);

class RectRegion {
public:
    RectRegion() = default;
    explicit RectRegion(const RECT& rect) { Add(rect); }

    bool IsEmpty() const { return m_rects.empty(); }
    const std::vector<RECT>& Rects() const { return m_rects; }
    // The smallest rectangle holding the region; all zero when empty.
    RECT Bounds() const;
    void Clear() { m_rects.clear(); }
    // Union with `rect`.
    void Add(const RECT& rect);
    void Add(const RectRegion& other);
    // Removes `rect` from the region.
    void Subtract(const RECT& rect);
    void Subtract(const RectRegion& other);
    // Keeps only the part inside `rect`.
    void IntersectWith(const RECT& rect);
    void IntersectWith(const RectRegion& other);
    void Offset(int dx, int dy);
    bool Contains(POINT point) const;

private:
    std::vector<RECT> m_rects;
};

} // namespace user_detail
