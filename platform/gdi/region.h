// Regions as unions of rectangles, kept in one canonical banded form: bands
// of rows top to bottom, each holding sorted, disjoint, non-touching x spans,
// and no two touching bands with equal spans. Equal areas therefore have equal
// representations. Internal to platform/gdi; the Win32 region calls wrap it.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/win32_types.h"

namespace gdi {

class Region {
public:
    struct Span {
        int left;
        int right; // exclusive
    };
    struct Band {
        int top;
        int bottom;     // exclusive
        uint32_t first; // index of the band's first span
        uint32_t count;
    };
    enum class Op { And, Or, Xor, Diff };

    Region() = default;
    // The rectangle (normalised: left/right and top/bottom swapped when reversed).
    static Region FromRect(int left, int top, int right, int bottom);
    static Region Combine(const Region& a, const Region& b, Op op);

    bool IsEmpty() const { return m_bands.empty(); }
    // NULLREGION, SIMPLEREGION or COMPLEXREGION.
    int Type() const;
    RECT Box() const;
    bool Contains(int x, int y) const;
    bool Intersects(const RECT& rect) const;
    void Offset(int dx, int dy);
    bool operator==(const Region& other) const;

    const std::vector<Band>& Bands() const { return m_bands; }
    const Span* SpansOf(const Band& band) const { return m_spans.data() + band.first; }
    // The band holding row y, or nullptr.
    const Band* BandAt(int y) const;

private:
    void AppendBand(int top, int bottom, const std::vector<Span>& spans);

    std::vector<Band> m_bands;
    std::vector<Span> m_spans;
};

} // namespace gdi
