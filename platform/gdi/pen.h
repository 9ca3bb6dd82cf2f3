// Drawing with the selected pen: single pixels with the binary raster mode,
// the dash pattern of styled pens, and brush spans with the raster mode (the
// inside of filled shapes). Internal to platform/gdi.
#pragma once

#include "platform/gdi/raster.h"

namespace gdi {

// Styled one-pixel pens repeat these runs (pixels on, off, on, ...):
// PS_DASH 18/6, PS_DOT 3/3, PS_DASHDOT 9/6/3/6, PS_DASHDOTDOT 9/3/3/3/3/3.
// Pens wider than one pixel draw solid.
class PenPlotter {
public:
    PenPlotter(DrawTarget& target, const Pen* pen);

    bool Null() const { return m_null; }
    int Width() const { return m_width; }
    bool Styled() const { return m_dashCount > 0; }
    // Draws pixel (x, y) in pixel coordinates if the clip allows; `step` is
    // the pixel's position along the path (styled pens only).
    void Plot(int x, int y, int step);
    // Draws pixels [x0, x1) of row y (pixel coordinates) in the pen colour.
    void PlotSpan(int y, int x0, int x1);

private:
    DrawTarget& m_target;
    bool m_null = true;
    int m_width = 1;
    int m_mode = R2_COPYPEN;
    bool m_opaque = true;
    uint32_t m_penValue = 0;
    uint32_t m_bkValue = 0;
    uint32_t m_mask = 0;
    int m_dashes[6] = {};
    int m_dashCount = 0;
    int m_dashPeriod = 0;
};

// Fills pixels [x0, x1) of row y (pixel coordinates, clipped) with the brush
// pattern and the binary raster mode.
void PaintBrushSpan(DrawTarget& target, const PatternTable& brush, int mode, int y, int x0, int x1);

} // namespace gdi
