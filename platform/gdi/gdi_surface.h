// What the window manager needs from the graphics layer (not part of Win32):
// 32-bit BGRX pixel surfaces for top-level windows, device contexts that draw
// into one window's part of such a surface, and a way to read the pixels back
// for composing and presenting.
//
// Usage (window manager):
//   GdiSurface* surface = GdiCreateSurface(clientWidth, clientHeight);
//   // GetDC(child) / BeginPaint: the child's client origin in surface
//   // coordinates and what of it is visible (surface coordinates).
//   HRGN visible = CreateRectRgn(...);           // minus covering siblings etc.
//   HDC dc = GdiCreateSurfaceDC(surface, originX, originY, visible);
//   DeleteObject(visible);                       // the context keeps a copy
//   ... the program draws with dc in client coordinates ...
//   DeleteDC(dc);                                // or ReleaseDC(window, dc)
//   GdiSurfacePixels pixels = GdiGetSurfacePixels(surface);  // present
//   GdiDestroySurface(surface);
#pragma once

#include "platform/gdi/gdi.h"

// The size of the screen that GetDC(NULL) draws on.
inline constexpr int kScreenWidth = 1024;
inline constexpr int kScreenHeight = 768;

// A pixel surface owned by the graphics layer. Opaque to callers.
struct GdiSurface;

// A new surface of width x height pixels (each at least 0), zero-filled
// (black). NULL only for a negative size. Owned by the caller, who destroys it
// with GdiDestroySurface.
GdiSurface* GdiCreateSurface(int width, int height);
// Releases the caller's reference. Contexts still open on the surface keep it
// alive (and drawable) until they are deleted. NULL is ignored.
void GdiDestroySurface(GdiSurface* surface);
// Gives the surface a new size; the pixels of the common top-left part are
// kept, new pixels are black. Contexts already open keep their clip and stay
// within the new bounds. FALSE for NULL or a negative size.
BOOL GdiResizeSurface(GdiSurface* surface, int width, int height);

// Read access to a surface's pixels: `height` rows of `width` 32-bit pixels
// (bytes blue, green, red, 0), row 0 at the top, `stride` bytes apart. Valid
// until the surface is resized or destroyed. All zero for NULL.
struct GdiSurfacePixels {
    const BYTE* bits;
    int width;
    int height;
    int stride;
};
GdiSurfacePixels GdiGetSurfacePixels(const GdiSurface* surface);

// A device context that draws into `surface`: context point (0, 0) is surface
// point (originX, originY), and drawing reaches only the surface pixels inside
// `visible` (surface coordinates, copied; NULL means the whole surface). The
// program's own clip region (SelectClipRgn, in context coordinates) is
// intersected with it. Released with DeleteDC or ReleaseDC. NULL on failure.
HDC GdiCreateSurfaceDC(GdiSurface* surface, int originX, int originY, HRGN visible);
// Moves an open surface context (a window moved or its visible part changed).
// FALSE when `dc` is not a surface context.
BOOL GdiSetSurfaceDCArea(HDC dc, int originX, int originY, HRGN visible);

// The window manager's half of GetDC/ReleaseDC for windows: GetDC(window) for
// a non-NULL window answers getWindowDC(window); ReleaseDC(window, dc) calls
// releaseWindowDC(window, dc) first when set (it must not delete dc), then
// deletes the context. Either may be NULL. Installing replaces the former pair.
struct GdiWindowDCProvider {
    HDC (*getWindowDC)(HWND window);
    void (*releaseWindowDC)(HWND window, HDC dc);
};
void GdiSetWindowDCProvider(const GdiWindowDCProvider& provider);

// The window manager's half of CopyImage for IMAGE_ICON and IMAGE_CURSOR: a
// new copy of the icon or cursor, or NULL. Installed before the first icon is
// made; without one, such copies fail.
using GdiIconCopier = HANDLE (*)(HANDLE image, UINT type);
void GdiSetIconCopier(GdiIconCopier copier);
