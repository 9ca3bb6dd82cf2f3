#include "platform/user/rect_region.h"

#include <algorithm>

namespace user_detail {

bool IsEmptyRect(const RECT& rect) {
    return rect.right <= rect.left || rect.bottom <= rect.top;
}

RECT IntersectRects(const RECT& a, const RECT& b) {
    RECT result{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
    if (IsEmptyRect(result)) return RECT{0, 0, 0, 0};
    return result;
}

RECT OffsetRectBy(const RECT& rect, int dx, int dy) {
    return RECT{rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy};
}

RECT RectRegion::Bounds() const {
    if (m_rects.empty()) return RECT{0, 0, 0, 0};
    RECT bounds = m_rects.front();
    for (const RECT& r : m_rects) {
        bounds.left = std::min(bounds.left, r.left);
        bounds.top = std::min(bounds.top, r.top);
        bounds.right = std::max(bounds.right, r.right);
        bounds.bottom = std::max(bounds.bottom, r.bottom);
    }
    return bounds;
}

namespace {

// Appends the parts of `piece` outside `hole` (at most four bands).
void AppendDifference(const RECT& piece, const RECT& hole, std::vector<RECT>& out) {
    const RECT overlap = IntersectRects(piece, hole);
    if (IsEmptyRect(overlap)) {
        out.push_back(piece);
        return;
    }
    if (piece.top < overlap.top)
        out.push_back(RECT{piece.left, piece.top, piece.right, overlap.top});
    if (overlap.bottom < piece.bottom) {
        out.push_back(RECT{piece.left, overlap.bottom, piece.right, piece.bottom});
    }
    if (piece.left < overlap.left) {
        out.push_back(RECT{piece.left, overlap.top, overlap.left, overlap.bottom});
    }
    if (overlap.right < piece.right) {
        out.push_back(RECT{overlap.right, overlap.top, piece.right, overlap.bottom});
    }
}

} // namespace

void RectRegion::Add(const RECT& rect) {
    if (IsEmptyRect(rect)) return;
    // Only the parts not yet covered are added, so the rectangles stay disjoint.
    std::vector<RECT> pieces{rect};
    for (const RECT& existing : m_rects) {
        std::vector<RECT> next;
        for (const RECT& piece : pieces) AppendDifference(piece, existing, next);
        pieces.swap(next);
        if (pieces.empty()) return;
    }
    m_rects.insert(m_rects.end(), pieces.begin(), pieces.end());
}

void RectRegion::Add(const RectRegion& other) {
    for (const RECT& r : other.m_rects) Add(r);
}

void RectRegion::Subtract(const RECT& rect) {
    if (IsEmptyRect(rect)) return;
    std::vector<RECT> next;
    for (const RECT& piece : m_rects) AppendDifference(piece, rect, next);
    m_rects.swap(next);
}

void RectRegion::Subtract(const RectRegion& other) {
    for (const RECT& r : other.m_rects) Subtract(r);
}

void RectRegion::IntersectWith(const RECT& rect) {
    std::vector<RECT> next;
    for (const RECT& piece : m_rects) {
        const RECT part = IntersectRects(piece, rect);
        if (!IsEmptyRect(part)) next.push_back(part);
    }
    m_rects.swap(next);
}

void RectRegion::IntersectWith(const RectRegion& other) {
    RectRegion result;
    for (const RECT& r : other.m_rects) {
        for (const RECT& piece : m_rects) result.Add(IntersectRects(piece, r));
    }
    m_rects.swap(result.m_rects);
}

void RectRegion::Offset(int dx, int dy) {
    for (RECT& r : m_rects) r = OffsetRectBy(r, dx, dy);
}

bool RectRegion::Contains(POINT point) const {
    for (const RECT& r : m_rects) {
        if (point.x >= r.left && point.x < r.right && point.y >= r.top && point.y < r.bottom) {
            return true;
        }
    }
    return false;
}

} // namespace user_detail
