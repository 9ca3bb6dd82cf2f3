// The blit engine: maps target columns and rows to source groups (natural
// size or stretched, mirrored for extents of opposite sign), combines a
// shrunk group by the stretch mode, turns source pixels into target values
// (colour <-> monochrome rules included) and applies the raster operation on
// every clipped span. BitBlt, StretchBlt, StretchDIBits and PatBlt wrap it.
#include <algorithm>
#include <cstring>

#include "platform/gdi/dib_layout.h"
#include "platform/gdi/raster.h"

namespace gdi {
namespace {

template <typename Op>
void CombineValues(uint32_t* d, const uint32_t* s, const uint32_t* p, int n, uint32_t mask, Op op) {
    for (int i = 0; i < n; ++i) d[i] = op(p[i], s[i], d[i]) & mask;
}

void ApplyRop3(uint32_t code, uint32_t* d, const uint32_t* s, const uint32_t* p, int n,
               uint32_t mask) {
    using V = uint32_t;
    switch (code) {
    case 0xCC:
        CombineValues(d, s, p, n, mask, [](V, V s, V) { return s; });
        break;
    case 0x88:
        CombineValues(d, s, p, n, mask, [](V, V s, V d) { return s & d; });
        break;
    case 0x66:
        CombineValues(d, s, p, n, mask, [](V, V s, V d) { return s ^ d; });
        break;
    case 0x44:
        CombineValues(d, s, p, n, mask, [](V, V s, V d) { return s & ~d; });
        break;
    case 0xEE:
        CombineValues(d, s, p, n, mask, [](V, V s, V d) { return s | d; });
        break;
    case 0x33:
        CombineValues(d, s, p, n, mask, [](V, V s, V) { return ~s; });
        break;
    case 0x55:
        CombineValues(d, s, p, n, mask, [](V, V, V d) { return ~d; });
        break;
    case 0x00:
        CombineValues(d, s, p, n, mask, [](V, V, V) { return V{0}; });
        break;
    case 0xFF:
        CombineValues(d, s, p, n, mask, [](V, V, V) { return ~V{0}; });
        break;
    case 0xF0:
        CombineValues(d, s, p, n, mask, [](V p, V, V) { return p; });
        break;
    case 0x5A:
        CombineValues(d, s, p, n, mask, [](V p, V, V d) { return p ^ d; });
        break;
    default:
        CombineValues(d, s, p, n, mask, [code](V p, V s, V d) { return Rop3(code, p, s, d); });
        break;
    }
}

int FloorMod(int64_t value, int modulus) {
    const int64_t r = value % modulus;
    return static_cast<int>(r < 0 ? r + modulus : r);
}

// Source groups of target columns (or rows): target index i takes source
// indices [first[k], end[k]) for k = i - base, already clipped to the source.
struct AxisMap {
    int base = 0;
    std::vector<int> first;
    std::vector<int> end;
};

// Builds the map for target indices [from, to) and narrows [from, to) to the
// indices whose group meets the source (a contiguous run: groups are monotone).
void BuildAxisMap(int64_t& from, int64_t& to, int64_t targetExtent, int64_t sourceStart,
                  int64_t sourceExtent, bool mirror, int sourceLimit, AxisMap& map) {
    map.first.clear();
    map.end.clear();
    int64_t newFrom = to, newTo = from;
    std::vector<int> first, end;
    for (int64_t i = from; i < to; ++i) {
        int64_t a = i * sourceExtent / targetExtent;
        int64_t b = (i + 1) * sourceExtent / targetExtent;
        if (b <= a) b = a + 1;
        if (mirror) {
            const int64_t mirroredA = sourceExtent - b;
            b = sourceExtent - a;
            a = mirroredA;
        }
        a = std::max<int64_t>(a + sourceStart, 0);
        b = std::min<int64_t>(b + sourceStart, sourceLimit);
        if (a >= b) continue;
        if (newFrom > i) newFrom = i;
        newTo = i + 1;
        first.push_back(static_cast<int>(a));
        end.push_back(static_cast<int>(b));
    }
    if (newFrom >= newTo) {
        from = to;
        return;
    }
    from = newFrom;
    to = newTo;
    map.base = static_cast<int>(from);
    map.first = std::move(first);
    map.end = std::move(end);
}

enum class Shrink { And, Or, First };

Shrink ShrinkOf(int stretchMode) {
    if (stretchMode == BLACKONWHITE) return Shrink::And;
    if (stretchMode == WHITEONBLACK) return Shrink::Or;
    return Shrink::First;
}

uint32_t ShrinkCombine(Shrink shrink, uint32_t a, uint32_t b) {
    return shrink == Shrink::And ? (a & b) : (a | b);
}

// Turns source pixels (0/1 for a monochrome source, BGRX otherwise) into
// values of the target's layout.
class SourceToTarget {
public:
    SourceToTarget(const PixelFormat& source, COLORREF sourceBk, const DrawTarget& target)
        : m_sourceMono(source.monochrome), m_targetMono(target.view.format->monochrome),
          m_codec(*target.view.format) {
        ColorCodec sourceCodec(source);
        // "Equal to the background colour" is judged in the source's own layout.
        m_sourceBk = sourceCodec.Decode(sourceCodec.Encode(BgrxFromColorref(sourceBk)));
        m_textValue = m_codec.Encode(BgrxFromColorref(TargetTextColor(target)));
        m_bkValue = m_codec.Encode(BgrxFromColorref(TargetBkColor(target)));
    }

    void Convert(uint32_t* values, int count) {
        if (m_sourceMono && m_targetMono) return;
        if (m_sourceMono) {
            for (int i = 0; i < count; ++i) values[i] = values[i] ? m_bkValue : m_textValue;
        } else if (m_targetMono) {
            for (int i = 0; i < count; ++i) values[i] = values[i] == m_sourceBk ? 1 : 0;
        } else {
            m_codec.EncodeValues(values, count);
        }
    }

private:
    bool m_sourceMono;
    bool m_targetMono;
    ColorCodec m_codec;
    Bgrx m_sourceBk = 0;
    uint32_t m_textValue = 0;
    uint32_t m_bkValue = 0;
};

// Inverting whole bytes needs no unpacking (the inversion of a picture is
// one of the effects, so it is worth a loop of its own).
void InvertSpans(DrawTarget& target, int left, int top, int right, int bottom) {
    const int bits = target.view.format->bitsPerPixel;
    ForEachClippedSpan(target.clip, left, top, right, bottom, [&](int y, int x0, int x1) {
        BYTE* row = target.view.Row(y);
        if (bits == 32) {
            // Keep the unused fourth byte 0.
            BYTE* p = row + static_cast<size_t>(x0) * 4;
            for (int i = 0; i < (x1 - x0) * 4; ++i) {
                p[i] = static_cast<BYTE>(p[i] ^ ((i & 3) == 3 ? 0 : 0xFF));
            }
            return;
        }
        const int bytesPerPixel = bits / 8;
        BYTE* p = row + static_cast<size_t>(x0) * bytesPerPixel;
        const size_t count = static_cast<size_t>(x1 - x0) * bytesPerPixel;
        for (size_t i = 0; i < count; ++i) p[i] = static_cast<BYTE>(~p[i]);
    });
}

struct RowBuffers {
    std::vector<uint32_t> source, pattern, dest, line, accumulated;
};

} // namespace

COLORREF TargetTextColor(const DrawTarget& target) {
    return target.dc ? target.dc->textColor : RGB(0, 0, 0);
}

COLORREF TargetBkColor(const DrawTarget& target) {
    return target.dc ? target.dc->bkColor : RGB(255, 255, 255);
}

PatternTable::PatternTable(const Brush* brush, const DrawTarget& target) {
    if (!brush || brush->log.lbStyle == BS_NULL) return;
    ColorCodec codec(*target.view.format);
    if (brush->log.lbStyle == BS_SOLID) {
        m_width = m_height = 1;
        m_values.push_back(codec.Encode(BgrxFromColorref(brush->log.lbColor)));
        return;
    }
    m_width = brush->patternWidth;
    m_height = brush->patternHeight;
    m_values = brush->pattern;
    if (brush->patternMonochrome) {
        if (!target.view.format->monochrome) {
            const uint32_t text = codec.Encode(BgrxFromColorref(TargetTextColor(target)));
            const uint32_t bk = codec.Encode(BgrxFromColorref(TargetBkColor(target)));
            for (uint32_t& v : m_values) v = v ? bk : text;
        }
    } else {
        for (uint32_t& v : m_values) v = codec.Encode(v);
    }
    if (target.dc) {
        m_originX = target.offsetX + target.dc->brushOrigin.x;
        m_originY = target.offsetY + target.dc->brushOrigin.y;
    }
}

PatternTable::PatternTable(COLORREF color, const DrawTarget& target) : m_width(1), m_height(1) {
    ColorCodec codec(*target.view.format);
    m_values.push_back(codec.Encode(BgrxFromColorref(color)));
}

void PatternTable::Fill(int x0, int y, int count, uint32_t* out) const {
    if (m_width == 1 && m_height == 1) {
        std::fill(out, out + count, m_values[0]);
        return;
    }
    const uint32_t* row =
        m_values.data() + static_cast<size_t>(FloorMod(int64_t{y} - m_originY, m_height)) * m_width;
    int px = FloorMod(int64_t{x0} - m_originX, m_width);
    for (int i = 0; i < count; ++i) {
        out[i] = row[px];
        if (++px == m_width) px = 0;
    }
}

void PatternFill(DrawTarget& target, const PatternTable& pattern, int left, int top, int right,
                 int bottom, uint32_t rop3) {
    const bool usePattern = RopUsesPattern(rop3);
    if (usePattern && pattern.Empty()) return;
    const PixelFormat& format = *target.view.format;
    const uint32_t mask = format.ValueMask();
    if (rop3 == 0x55 && (format.bitsPerPixel == 8 || format.bitsPerPixel == 24 ||
                         (format.bitsPerPixel == 32 && mask == 0xFFFFFF))) {
        InvertSpans(target, left, top, right, bottom);
        return;
    }
    const int width = target.view.width;
    std::vector<uint32_t> p(width), d(width), unused(width);
    ForEachClippedSpan(target.clip, left, top, right, bottom, [&](int y, int x0, int x1) {
        const int n = x1 - x0;
        BYTE* row = target.view.Row(y);
        if (usePattern) pattern.Fill(x0, y, n, p.data());
        if (RopUsesDest(rop3)) ReadValues(format, row, x0, n, d.data());
        ApplyRop3(rop3, d.data(), unused.data(), p.data(), n, mask);
        WriteValues(format, row, x0, n, d.data());
    });
}

bool BlitPixels(DrawTarget& target, const PixelView* source, COLORREF sourceBk,
                const BlitRequest& r) {
    const uint32_t code = (r.rop >> 16) & 0xFF;
    const bool useSource = RopUsesSource(code);
    if (useSource && !source) return false;
    if (!useSource) {
        PatternTable pattern(target.dc ? FindBrush(target.dc->brush) : nullptr, target);
        int64_t x = r.x, y = r.y, w = r.width, h = r.height;
        if (w < 0) x += w, w = -w;
        if (h < 0) y += h, h = -h;
        const int64_t left = x + target.offsetX, top = y + target.offsetY;
        const RECT box = target.clip.Box();
        PatternFill(target, pattern, static_cast<int>(std::max<int64_t>(left, box.left)),
                    static_cast<int>(std::max<int64_t>(top, box.top)),
                    static_cast<int>(std::min<int64_t>(left + w, box.right)),
                    static_cast<int>(std::min<int64_t>(top + h, box.bottom)), code);
        return true;
    }

    int64_t x = r.x, y = r.y, w = r.width, h = r.height;
    int64_t sx = r.sourceX, sy = r.sourceY, sw = r.sourceWidth, sh = r.sourceHeight;
    bool mirrorX = false, mirrorY = false;
    if (w < 0) x += w, w = -w, mirrorX = !mirrorX;
    if (h < 0) y += h, h = -h, mirrorY = !mirrorY;
    if (sw < 0) sx += sw, sw = -sw, mirrorX = !mirrorX;
    if (sh < 0) sy += sh, sh = -sh, mirrorY = !mirrorY;
    if (w == 0 || h == 0 || sw == 0 || sh == 0) return true;

    // The target indices that can be seen: the rectangle within the clip box.
    const int64_t px0 = x + target.offsetX, py0 = y + target.offsetY;
    const RECT box = target.clip.Box();
    int64_t i0 = std::max<int64_t>(0, box.left - px0), i1 = std::min<int64_t>(w, box.right - px0);
    int64_t j0 = std::max<int64_t>(0, box.top - py0), j1 = std::min<int64_t>(h, box.bottom - py0);
    if (i0 >= i1 || j0 >= j1) return true;
    AxisMap columns, rows;
    BuildAxisMap(i0, i1, w, sx, sw, mirrorX, source->width, columns);
    BuildAxisMap(j0, j1, h, sy, sh, mirrorY, source->height, rows);
    if (i0 >= i1 || j0 >= j1) return true;

    // Drawing onto the pixels being read (scrolling a surface): read from a
    // snapshot of the rows involved.
    std::vector<BYTE> snapshot;
    const int sourceRowFirst = *std::min_element(rows.first.begin(), rows.first.end());
    const int sourceRowEnd = *std::max_element(rows.end.begin(), rows.end.end());
    const size_t sourceRowBytes = RowBytes(source->width, source->format->bitsPerPixel);
    if (source->format == target.view.format) {
        snapshot.resize(sourceRowBytes * static_cast<size_t>(sourceRowEnd - sourceRowFirst));
        for (int row = sourceRowFirst; row < sourceRowEnd; ++row) {
            std::memcpy(snapshot.data() +
                            sourceRowBytes * static_cast<size_t>(row - sourceRowFirst),
                        source->Row(row), sourceRowBytes);
        }
    }
    auto sourceRowAt = [&](int row) -> const BYTE* {
        if (snapshot.empty()) return source->Row(row);
        return snapshot.data() + sourceRowBytes * static_cast<size_t>(row - sourceRowFirst);
    };

    const PixelFormat& sourceFormat = *source->format;
    const PixelFormat& targetFormat = *target.view.format;
    const bool oneToOne = w == sw && h == sh && !mirrorX && !mirrorY;
    const bool copyBytes = oneToOne && code == 0xCC && sourceFormat.SameLayout(targetFormat) &&
                           sourceFormat.monochrome == targetFormat.monochrome &&
                           targetFormat.bitsPerPixel >= 8;
    const Shrink shrink = ShrinkOf(r.stretchMode);
    const int sourceColFirst = std::min(columns.first.front(), columns.first.back());
    const int sourceColEnd = std::max(columns.end.front(), columns.end.back());
    const int sourceSpan = sourceColEnd - sourceColFirst;

    SourceToTarget convert(sourceFormat, sourceBk, target);
    ColorCodec sourceCodec(sourceFormat);
    PatternTable pattern(target.dc ? FindBrush(target.dc->brush) : nullptr, target);
    const bool usePattern = RopUsesPattern(code);
    if (usePattern && pattern.Empty()) return true;
    const uint32_t mask = targetFormat.ValueMask();
    const int bytesPerPixel = targetFormat.bitsPerPixel / 8;

    RowBuffers buf;
    const size_t spanMax = static_cast<size_t>(i1 - i0);
    buf.source.resize(spanMax);
    buf.pattern.resize(spanMax);
    buf.dest.resize(spanMax);
    buf.line.resize(static_cast<size_t>(sourceSpan));
    buf.accumulated.resize(static_cast<size_t>(sourceSpan));

    auto readSourceRow = [&](int row, uint32_t* out) {
        if (sourceFormat.monochrome) {
            ReadValues(sourceFormat, sourceRowAt(row), sourceColFirst, sourceSpan, out);
        } else {
            sourceCodec.DecodeRow(sourceRowAt(row), sourceColFirst, sourceSpan, out);
        }
    };

    // The source group of target row j, combined by the stretch mode, for
    // target columns [first, first + n) of the span.
    auto gatherStretched = [&](int j, int first, int n) {
        const int rowEnd = shrink == Shrink::First ? rows.first[j] + 1 : rows.end[j];
        readSourceRow(rows.first[j], buf.accumulated.data());
        for (int row = rows.first[j] + 1; row < rowEnd; ++row) {
            readSourceRow(row, buf.line.data());
            for (int k = 0; k < sourceSpan; ++k) {
                buf.accumulated[k] = ShrinkCombine(shrink, buf.accumulated[k], buf.line[k]);
            }
        }
        for (int k = 0; k < n; ++k) {
            const int c0 = columns.first[first + k] - sourceColFirst;
            const int c1 =
                shrink == Shrink::First ? c0 + 1 : columns.end[first + k] - sourceColFirst;
            uint32_t v = buf.accumulated[c0];
            for (int c = c0 + 1; c < c1; ++c) v = ShrinkCombine(shrink, v, buf.accumulated[c]);
            buf.source[k] = v;
        }
    };

    ForEachClippedSpan(
        target.clip, static_cast<int>(px0 + i0), static_cast<int>(py0 + j0),
        static_cast<int>(px0 + i1), static_cast<int>(py0 + j1), [&](int py, int xa, int xb) {
            const int j = static_cast<int>(py - py0) - rows.base;
            const int first = static_cast<int>(xa - px0) - columns.base;
            const int n = xb - xa;
            BYTE* targetRow = target.view.Row(py);
            if (copyBytes) {
                const BYTE* sourceRow = sourceRowAt(rows.first[j]);
                std::memmove(targetRow + static_cast<size_t>(xa) * bytesPerPixel,
                             sourceRow + static_cast<size_t>(columns.first[first]) * bytesPerPixel,
                             static_cast<size_t>(n) * bytesPerPixel);
                return;
            }
            if (oneToOne) {
                const int column = columns.first[first];
                if (sourceFormat.monochrome) {
                    ReadValues(sourceFormat, sourceRowAt(rows.first[j]), column, n,
                               buf.source.data());
                } else {
                    sourceCodec.DecodeRow(sourceRowAt(rows.first[j]), column, n, buf.source.data());
                }
            } else {
                gatherStretched(j, first, n);
            }
            convert.Convert(buf.source.data(), n);
            if (usePattern) pattern.Fill(xa, py, n, buf.pattern.data());
            if (RopUsesDest(code)) ReadValues(targetFormat, targetRow, xa, n, buf.dest.data());
            ApplyRop3(code, buf.dest.data(), buf.source.data(), buf.pattern.data(), n, mask);
            WriteValues(targetFormat, targetRow, xa, n, buf.dest.data());
        });
    return true;
}

} // namespace gdi

using namespace gdi;

BOOL StretchBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX,
                int sourceY, int sourceWidth, int sourceHeight, DWORD rop) {
    DrawTarget to;
    if (!ResolveTarget(target, to)) return FALSE;
    const BlitRequest request = {x,       y,           width,        height, sourceX,
                                 sourceY, sourceWidth, sourceHeight, rop,    to.dc->stretchMode};
    if (!RopUsesSource((rop >> 16) & 0xFF)) {
        return BlitPixels(to, nullptr, 0, request) ? TRUE : FALSE;
    }
    PixelView view;
    int offsetX = 0, offsetY = 0;
    DeviceContext* sourceDc = nullptr;
    if (!ResolveSource(source, view, offsetX, offsetY, sourceDc)) return FALSE;
    BlitRequest shifted = request;
    shifted.sourceX += offsetX;
    shifted.sourceY += offsetY;
    return BlitPixels(to, &view, sourceDc->bkColor, shifted) ? TRUE : FALSE;
}

BOOL BitBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
            DWORD rop) {
    return StretchBlt(target, x, y, width, height, source, sourceX, sourceY, width, height, rop);
}

BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop) {
    if (RopUsesSource((rop >> 16) & 0xFF)) return FALSE;
    return StretchBlt(dc, x, y, width, height, nullptr, 0, 0, 0, 0, rop);
}

int StretchDIBits(HDC target, int x, int y, int width, int height, int sourceX, int sourceY,
                  int sourceWidth, int sourceHeight, const void* bits, const BITMAPINFO* info,
                  UINT usage, DWORD rop) {
    DrawTarget to;
    DibLayout layout;
    if (!ResolveTarget(target, to) || !ParseDibInfo(info, usage, layout)) return 0;
    const bool useSource = RopUsesSource((rop >> 16) & 0xFF);
    if (useSource && !bits) return 0;
    PixelView view;
    view.width = layout.width;
    view.height = layout.height;
    view.format = &layout.format;
    BYTE* memory = const_cast<BYTE*>(static_cast<const BYTE*>(bits));
    view.top = layout.Row(memory, 0);
    view.stride = layout.bottomUp ? -static_cast<ptrdiff_t>(layout.rowBytes)
                                  : static_cast<ptrdiff_t>(layout.rowBytes);
    // A bottom-up DIB counts the source rectangle's rows from its bottom row.
    const int64_t top = layout.bottomUp ? int64_t{layout.height} - sourceY - sourceHeight : sourceY;
    if (top < INT32_MIN || top > INT32_MAX) return 0;
    const BlitRequest request = {x,           y,
                                 width,       height,
                                 sourceX,     static_cast<int>(top),
                                 sourceWidth, sourceHeight,
                                 rop,         to.dc->stretchMode};
    if (!BlitPixels(to, useSource ? &view : nullptr, to.dc->bkColor, request)) return 0;
    return sourceHeight < 0 ? -sourceHeight : sourceHeight;
}
