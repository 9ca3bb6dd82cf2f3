// Shading and cutting along a frame or an ellipse: Button and OvalButton make
// the picture look raised, MaskOval paints everything outside the inscribed
// ellipse, SpotLight brightens or darkens the picture and blacks out
// everything outside an ellipse.
//
// Usage: Button(picture, 10, 100); OvalButton(picture, 10, 100, 1);
// MaskOval(picture, 0x00FFFFFF); SpotLight(picture, -50, MakeRect(0, 0, w, h)).
// All change the picture in place and convert it to Bits24. The elliptical
// ones draw a mask of the picture's size with the canvas and read it back.
#pragma once

#include <cstdint>

#include "base/color.h"
#include "base/rect.h"
#include "bitmap/pixel_bitmap.h"

namespace gleamkit::fx {

// The two shading rules, for a channel value v and a strength a:
// lighten = ClampToByte(v + ((255 - v) * a) div 255),
// darken = ClampToByte(v - (v * a) div 255). The products are 32-bit and wrap
// on overflow, as 32-bit arithmetic does, so any strength gives a defined byte.
uint8_t Lighten(uint8_t v, int32_t strength);
uint8_t Darken(uint8_t v, int32_t strength);

// Lightens a band `border` + 1 pixels wide along the top and left edges and
// darkens one along the bottom and right edges, with mitred corners (pixels
// where the bands meet are shaded twice, in a fixed order). Border 0 only
// converts. A border too large for the picture makes the bands overlap; they
// are processed in the same order, and nothing outside the picture is touched.
void Button(bitmap::PixelBitmap& picture, uint8_t border, int32_t amount);

// Shades along `border` concentric ellipses, then replaces every inner pixel
// by the mean of its four neighbours (in place, so the pixels above and to
// the left are already smoothed). Style 0 darkens the upper-left and lightens
// the lower-right halves with a strength growing inward; style 1 the reverse,
// strongest at the outer ring; style 2 adds a style-0 set of `border` rings
// inside style 1. Any other style only smooths. The strength of a ring is
// Trunc(index / border * amount). Throws gleamkit::Error, with the picture
// untouched, when border is 0.
void OvalButton(bitmap::PixelBitmap& picture, uint8_t border, int32_t amount, uint8_t style);

// Paints every pixel outside the picture's inscribed ellipse (and its outline)
// with `color` (a system colour is resolved first).
void MaskOval(bitmap::PixelBitmap& picture, Color color);

// Darkness(picture, amount) (a negative amount brightens), then every pixel
// outside the ellipse bounded by `area` and its outline becomes black. The
// area may lie partly or wholly outside the picture.
void SpotLight(bitmap::PixelBitmap& picture, int32_t amount, const Rect& area);

} // namespace gleamkit::fx
