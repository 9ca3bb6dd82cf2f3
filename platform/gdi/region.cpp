// Region arithmetic: every combination is computed band by band over the
// union of both regions' row boundaries, then spans are merged, so the result
// is always in canonical form.
#include "platform/gdi/region.h"

#include <algorithm>
#include <climits>

namespace gdi {
namespace {

bool Apply(Region::Op op, bool inA, bool inB) {
    switch (op) {
    case Region::Op::And:
        return inA && inB;
    case Region::Op::Or:
        return inA || inB;
    case Region::Op::Xor:
        return inA != inB;
    case Region::Op::Diff:
        return inA && !inB;
    }
    return false;
}

void CombineSpans(const Region::Span* a, uint32_t countA, const Region::Span* b, uint32_t countB,
                  Region::Op op, std::vector<int>& xs, std::vector<Region::Span>& out) {
    out.clear();
    xs.clear();
    for (uint32_t i = 0; i < countA; ++i) {
        xs.push_back(a[i].left);
        xs.push_back(a[i].right);
    }
    for (uint32_t i = 0; i < countB; ++i) {
        xs.push_back(b[i].left);
        xs.push_back(b[i].right);
    }
    std::sort(xs.begin(), xs.end());
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    uint32_t ia = 0, ib = 0;
    for (size_t k = 0; k + 1 < xs.size(); ++k) {
        const int x0 = xs[k], x1 = xs[k + 1];
        while (ia < countA && a[ia].right <= x0) ++ia;
        while (ib < countB && b[ib].right <= x0) ++ib;
        const bool inA = ia < countA && a[ia].left <= x0;
        const bool inB = ib < countB && b[ib].left <= x0;
        if (!Apply(op, inA, inB)) continue;
        if (!out.empty() && out.back().right == x0) {
            out.back().right = x1;
        } else {
            out.push_back({x0, x1});
        }
    }
}

int ClampToInt(int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
}

} // namespace

Region Region::FromRect(int left, int top, int right, int bottom) {
    Region region;
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    if (left == right || top == bottom) return region;
    region.m_spans.push_back({left, right});
    region.m_bands.push_back({top, bottom, 0, 1});
    return region;
}

Region Region::Combine(const Region& a, const Region& b, Op op) {
    std::vector<int> ys;
    for (const Band& band : a.m_bands) {
        ys.push_back(band.top);
        ys.push_back(band.bottom);
    }
    for (const Band& band : b.m_bands) {
        ys.push_back(band.top);
        ys.push_back(band.bottom);
    }
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());

    Region result;
    std::vector<int> xs;
    std::vector<Span> spans;
    size_t ia = 0, ib = 0;
    for (size_t k = 0; k + 1 < ys.size(); ++k) {
        const int y0 = ys[k], y1 = ys[k + 1];
        while (ia < a.m_bands.size() && a.m_bands[ia].bottom <= y0) ++ia;
        while (ib < b.m_bands.size() && b.m_bands[ib].bottom <= y0) ++ib;
        const bool hasA = ia < a.m_bands.size() && a.m_bands[ia].top <= y0;
        const bool hasB = ib < b.m_bands.size() && b.m_bands[ib].top <= y0;
        CombineSpans(hasA ? a.SpansOf(a.m_bands[ia]) : nullptr, hasA ? a.m_bands[ia].count : 0,
                     hasB ? b.SpansOf(b.m_bands[ib]) : nullptr, hasB ? b.m_bands[ib].count : 0, op,
                     xs, spans);
        if (!spans.empty()) result.AppendBand(y0, y1, spans);
    }
    return result;
}

void Region::AppendBand(int top, int bottom, const std::vector<Span>& spans) {
    if (!m_bands.empty()) {
        Band& last = m_bands.back();
        if (last.bottom == top && last.count == spans.size() &&
            std::equal(spans.begin(), spans.end(), m_spans.begin() + last.first,
                       [](const Span& x, const Span& y) {
                           return x.left == y.left && x.right == y.right;
                       })) {
            last.bottom = bottom;
            return;
        }
    }
    m_bands.push_back(
        {top, bottom, static_cast<uint32_t>(m_spans.size()), static_cast<uint32_t>(spans.size())});
    m_spans.insert(m_spans.end(), spans.begin(), spans.end());
}

int Region::Type() const {
    if (m_bands.empty()) return 1;                              // NULLREGION
    if (m_bands.size() == 1 && m_bands[0].count == 1) return 2; // SIMPLEREGION
    return 3;                                                   // COMPLEXREGION
}

RECT Region::Box() const {
    if (m_bands.empty()) return RECT{0, 0, 0, 0};
    RECT box{INT_MAX, m_bands.front().top, INT_MIN, m_bands.back().bottom};
    for (const Band& band : m_bands) {
        box.left = std::min(box.left, SpansOf(band)[0].left);
        box.right = std::max(box.right, SpansOf(band)[band.count - 1].right);
    }
    return box;
}

const Region::Band* Region::BandAt(int y) const {
    auto it = std::upper_bound(m_bands.begin(), m_bands.end(), y,
                               [](int value, const Band& band) { return value < band.bottom; });
    if (it == m_bands.end() || it->top > y) return nullptr;
    return &*it;
}

bool Region::Contains(int x, int y) const {
    const Band* band = BandAt(y);
    if (!band) return false;
    const Span* spans = SpansOf(*band);
    for (uint32_t i = 0; i < band->count; ++i) {
        if (x < spans[i].left) return false;
        if (x < spans[i].right) return true;
    }
    return false;
}

bool Region::Intersects(const RECT& rect) const {
    const int left = std::min(rect.left, rect.right), right = std::max(rect.left, rect.right);
    const int top = std::min(rect.top, rect.bottom), bottom = std::max(rect.top, rect.bottom);
    for (const Band& band : m_bands) {
        if (band.bottom <= top) continue;
        if (band.top >= bottom) break;
        const Span* spans = SpansOf(band);
        for (uint32_t i = 0; i < band.count; ++i) {
            if (spans[i].left < right && spans[i].right > left) return true;
        }
    }
    return false;
}

void Region::Offset(int dx, int dy) {
    for (Band& band : m_bands) {
        band.top = ClampToInt(int64_t{band.top} + dy);
        band.bottom = ClampToInt(int64_t{band.bottom} + dy);
    }
    for (Span& span : m_spans) {
        span.left = ClampToInt(int64_t{span.left} + dx);
        span.right = ClampToInt(int64_t{span.right} + dx);
    }
}

bool Region::operator==(const Region& other) const {
    if (m_bands.size() != other.m_bands.size() || m_spans.size() != other.m_spans.size()) {
        return false;
    }
    for (size_t i = 0; i < m_bands.size(); ++i) {
        if (m_bands[i].top != other.m_bands[i].top ||
            m_bands[i].bottom != other.m_bands[i].bottom) {
            return false;
        }
    }
    for (size_t i = 0; i < m_spans.size(); ++i) {
        if (m_spans[i].left != other.m_spans[i].left ||
            m_spans[i].right != other.m_spans[i].right) {
            return false;
        }
    }
    return true;
}

} // namespace gdi
