// The graphics part of the platform layer: device contexts, bitmaps, DIB
// conversions, blits, pens, brushes, fonts, regions and shapes, with Win32's
// names, record layouts, constant values and documented meanings.
//
// Usage is Win32's: make a memory context with CreateCompatibleDC(NULL), select
// a bitmap into it with SelectObject, draw, select the old object back and
// DeleteDC. The screen is 32 bits per pixel (BGRX); a device-dependent bitmap
// is 32-bit BGRX or 1-bit monochrome; DIB sections hold any DIB layout.
// Failures are reported as Win32 does (NULL, FALSE, 0, CLR_INVALID, ERROR); a
// stale or wrong-typed handle is such a failure, never a crash. Every drawing
// call is clipped to the context's clip region and to its surface.
#pragma once

#include "platform/win32_types.h"

using ULONG_PTR = uintptr_t;
using LPPOINT = POINT*;
using LPRECT = RECT*;
using LPCRECT = const RECT*;

// ---------------------------------------------------------------------------
// Records

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight; // positive: rows stored bottom-up; negative: top-down
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};

// The colour table (or, with BI_BITFIELDS and a 40-byte header, the three
// masks red, green, blue) follows the header; callers allocate room for it.
struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

#pragma pack(push, 2)
struct BITMAPFILEHEADER {
    WORD bfType; // "BM"
    DWORD bfSize;
    WORD bfReserved1;
    WORD bfReserved2;
    DWORD bfOffBits;
};
#pragma pack(pop)
static_assert(sizeof(BITMAPFILEHEADER) == 14);

// GetObjectA on a bitmap. On a 32-bit build this record is 24 bytes; here the
// pointer makes it 32. GetObjectA stores as many bytes as the caller allows.
struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits; // the DIB section's pixel memory; NULL for a device bitmap
};

struct DIBSECTION {
    BITMAP dsBm;
    BITMAPINFOHEADER dsBmih;
    DWORD dsBitfields[3];
    HANDLE dshSection;
    DWORD dsOffset;
};

struct LOGBRUSH {
    UINT lbStyle;
    COLORREF lbColor;
    ULONG_PTR lbHatch; // BS_HATCHED: HS_ value; BS_PATTERN: the HBITMAP
};

struct LOGPEN {
    UINT lopnStyle;
    POINT lopnWidth; // x is the width; y is unused
    COLORREF lopnColor;
};

inline constexpr int LF_FACESIZE = 32;

struct LOGFONTA {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    CHAR lfFaceName[LF_FACESIZE];
};
static_assert(sizeof(LOGFONTA) == 60);

// ---------------------------------------------------------------------------
// Constants

inline constexpr DWORD BI_RGB = 0;
inline constexpr DWORD BI_RLE8 = 1;
inline constexpr DWORD BI_RLE4 = 2;
inline constexpr DWORD BI_BITFIELDS = 3;

inline constexpr UINT DIB_RGB_COLORS = 0;
inline constexpr UINT DIB_PAL_COLORS = 1;

inline constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;
inline const HGDIOBJ HGDI_ERROR = reinterpret_cast<HGDIOBJ>(static_cast<intptr_t>(-1));

// Ternary raster operations (BitBlt, StretchBlt, StretchDIBits, PatBlt).
inline constexpr DWORD SRCCOPY = 0x00CC0020;
inline constexpr DWORD SRCPAINT = 0x00EE0086;
inline constexpr DWORD SRCAND = 0x008800C6;
inline constexpr DWORD SRCINVERT = 0x00660046;
inline constexpr DWORD SRCERASE = 0x00440328;
inline constexpr DWORD NOTSRCCOPY = 0x00330008;
inline constexpr DWORD NOTSRCERASE = 0x001100A6;
inline constexpr DWORD MERGECOPY = 0x00C000CA;
inline constexpr DWORD MERGEPAINT = 0x00BB0226;
inline constexpr DWORD PATCOPY = 0x00F00021;
inline constexpr DWORD PATPAINT = 0x00FB0A09;
inline constexpr DWORD PATINVERT = 0x005A0049;
inline constexpr DWORD DSTINVERT = 0x00550009;
inline constexpr DWORD BLACKNESS = 0x00000042;
inline constexpr DWORD WHITENESS = 0x00FF0062;

// Binary raster operations for pens (SetROP2).
inline constexpr int R2_BLACK = 1;
inline constexpr int R2_NOTMERGEPEN = 2;
inline constexpr int R2_MASKNOTPEN = 3;
inline constexpr int R2_NOTCOPYPEN = 4;
inline constexpr int R2_MASKPENNOT = 5;
inline constexpr int R2_NOT = 6;
inline constexpr int R2_XORPEN = 7;
inline constexpr int R2_NOTMASKPEN = 8;
inline constexpr int R2_MASKPEN = 9;
inline constexpr int R2_NOTXORPEN = 10;
inline constexpr int R2_NOP = 11;
inline constexpr int R2_MERGENOTPEN = 12;
inline constexpr int R2_COPYPEN = 13;
inline constexpr int R2_MERGEPENNOT = 14;
inline constexpr int R2_MERGEPEN = 15;
inline constexpr int R2_WHITE = 16;

// Stretch modes.
inline constexpr int BLACKONWHITE = 1;
inline constexpr int WHITEONBLACK = 2;
inline constexpr int COLORONCOLOR = 3;
inline constexpr int HALFTONE = 4;
inline constexpr int STRETCH_ANDSCANS = BLACKONWHITE;
inline constexpr int STRETCH_ORSCANS = WHITEONBLACK;
inline constexpr int STRETCH_DELETESCANS = COLORONCOLOR;
inline constexpr int STRETCH_HALFTONE = HALFTONE;

// Background modes.
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

// Stock objects.
inline constexpr int WHITE_BRUSH = 0;
inline constexpr int LTGRAY_BRUSH = 1;
inline constexpr int GRAY_BRUSH = 2;
inline constexpr int DKGRAY_BRUSH = 3;
inline constexpr int BLACK_BRUSH = 4;
inline constexpr int NULL_BRUSH = 5;
inline constexpr int HOLLOW_BRUSH = NULL_BRUSH;
inline constexpr int WHITE_PEN = 6;
inline constexpr int BLACK_PEN = 7;
inline constexpr int NULL_PEN = 8;
inline constexpr int OEM_FIXED_FONT = 10;
inline constexpr int ANSI_FIXED_FONT = 11;
inline constexpr int ANSI_VAR_FONT = 12;
inline constexpr int SYSTEM_FONT = 13;
inline constexpr int DEVICE_DEFAULT_FONT = 14;
inline constexpr int DEFAULT_PALETTE = 15;
inline constexpr int SYSTEM_FIXED_FONT = 16;
inline constexpr int DEFAULT_GUI_FONT = 17;
inline constexpr int DC_BRUSH = 18;
inline constexpr int DC_PEN = 19;

// Object types (GetObjectType, GetCurrentObject).
inline constexpr DWORD OBJ_PEN = 1;
inline constexpr DWORD OBJ_BRUSH = 2;
inline constexpr DWORD OBJ_DC = 3;
inline constexpr DWORD OBJ_PAL = 5;
inline constexpr DWORD OBJ_FONT = 6;
inline constexpr DWORD OBJ_BITMAP = 7;
inline constexpr DWORD OBJ_REGION = 8;
inline constexpr DWORD OBJ_MEMDC = 10;

// Pen styles.
inline constexpr int PS_SOLID = 0;
inline constexpr int PS_DASH = 1;
inline constexpr int PS_DOT = 2;
inline constexpr int PS_DASHDOT = 3;
inline constexpr int PS_DASHDOTDOT = 4;
inline constexpr int PS_NULL = 5;
inline constexpr int PS_INSIDEFRAME = 6;
inline constexpr int PS_STYLE_MASK = 0x0000000F;

// Brush styles and hatches.
inline constexpr UINT BS_SOLID = 0;
inline constexpr UINT BS_NULL = 1;
inline constexpr UINT BS_HOLLOW = BS_NULL;
inline constexpr UINT BS_HATCHED = 2;
inline constexpr UINT BS_PATTERN = 3;
inline constexpr int HS_HORIZONTAL = 0;
inline constexpr int HS_VERTICAL = 1;
inline constexpr int HS_FDIAGONAL = 2;
inline constexpr int HS_BDIAGONAL = 3;
inline constexpr int HS_CROSS = 4;
inline constexpr int HS_DIAGCROSS = 5;

// Regions.
inline constexpr int ERROR = 0;
inline constexpr int NULLREGION = 1;
inline constexpr int SIMPLEREGION = 2;
inline constexpr int COMPLEXREGION = 3;
inline constexpr int RGN_AND = 1;
inline constexpr int RGN_OR = 2;
inline constexpr int RGN_XOR = 3;
inline constexpr int RGN_DIFF = 4;
inline constexpr int RGN_COPY = 5;

// CopyImage: image types and flags.
inline constexpr UINT IMAGE_BITMAP = 0;
inline constexpr UINT IMAGE_ICON = 1;
inline constexpr UINT IMAGE_CURSOR = 2;
inline constexpr UINT LR_DEFAULTCOLOR = 0x0000;
inline constexpr UINT LR_MONOCHROME = 0x0001;
inline constexpr UINT LR_COPYRETURNORG = 0x0004;
inline constexpr UINT LR_COPYDELETEORG = 0x0008;
inline constexpr UINT LR_SHARED = 0x8000;
inline constexpr UINT LR_CREATEDIBSECTION = 0x2000;

// Fonts.
inline constexpr LONG FW_DONTCARE = 0;
inline constexpr LONG FW_NORMAL = 400;
inline constexpr LONG FW_BOLD = 700;
inline constexpr BYTE ANSI_CHARSET = 0;
inline constexpr BYTE DEFAULT_CHARSET = 1;
inline constexpr BYTE OEM_CHARSET = 255;
inline constexpr BYTE OUT_DEFAULT_PRECIS = 0;
inline constexpr BYTE CLIP_DEFAULT_PRECIS = 0;
inline constexpr BYTE DEFAULT_QUALITY = 0;
inline constexpr BYTE DEFAULT_PITCH = 0;
inline constexpr BYTE FIXED_PITCH = 1;
inline constexpr BYTE VARIABLE_PITCH = 2;
inline constexpr BYTE FF_DONTCARE = 0x00;
inline constexpr BYTE FF_ROMAN = 0x10;
inline constexpr BYTE FF_SWISS = 0x20;
inline constexpr BYTE FF_MODERN = 0x30;

// GetDeviceCaps.
inline constexpr int HORZRES = 8;
inline constexpr int VERTRES = 10;
inline constexpr int BITSPIXEL = 12;
inline constexpr int PLANES = 14;
inline constexpr int NUMCOLORS = 24;
inline constexpr int LOGPIXELSX = 88;
inline constexpr int LOGPIXELSY = 90;

// ---------------------------------------------------------------------------
// Device contexts

// GetDC(NULL) answers a context on the screen (kScreenWidth x kScreenHeight of
// gdi_surface.h, 32-bit). For a window it asks the window manager (see
// GdiSetWindowDCProvider); NULL when there is none or it fails.
HDC GetDC(HWND window);
// Releases a context from GetDC. 1 when released, 0 for an unknown context.
int ReleaseDC(HWND window, HDC dc);
// A memory context compatible with `dc` (NULL: the screen); it starts with a
// 1x1 monochrome bitmap selected, default pen, brush and font, text colour
// black, background white, OPAQUE, R2_COPYPEN, BLACKONWHITE. NULL for a bad dc.
HDC CreateCompatibleDC(HDC dc);
// Deletes a memory context (or a context from GetDC); its selected objects
// are deselected, not deleted. FALSE for a bad handle.
BOOL DeleteDC(HDC dc);
// Selects a bitmap (memory contexts only; a bitmap lives in one context at a
// time), pen, brush or font and answers the previous object of that kind, or
// NULL on failure. A region is copied as the clip region and the answer is the
// region type (or HGDI_ERROR).
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// The object of kind OBJ_PEN, OBJ_BRUSH, OBJ_FONT or OBJ_BITMAP selected in dc.
HGDIOBJ GetCurrentObject(HDC dc, UINT type);
// Deletes a pen, brush, font, bitmap or region. FALSE for a bad handle and for
// an object selected into a context. Stock objects ignore it (TRUE).
BOOL DeleteObject(HGDIOBJ object);
// OBJ_ value of an object or context, 0 for a bad handle.
DWORD GetObjectType(HGDIOBJ object);
// Copies the object's record (BITMAP or DIBSECTION, LOGPEN, LOGBRUSH, LOGFONTA)
// into `buffer`, at most `size` bytes, and answers the bytes stored; with a
// NULL buffer answers the record's size; 0 for a bad handle.
int GetObjectA(HANDLE object, int size, LPVOID buffer);
// The stock object `index` (WHITE_BRUSH ... DC_PEN), NULL for other values.
HGDIOBJ GetStockObject(int index);
// HORZRES, VERTRES, BITSPIXEL, PLANES, NUMCOLORS, LOGPIXELSX/Y of the
// context's surface; 0 for a bad handle or an unknown index.
int GetDeviceCaps(HDC dc, int index);

COLORREF SetBkColor(HDC dc, COLORREF color);   // old colour, CLR_INVALID on failure
COLORREF GetBkColor(HDC dc);                   // CLR_INVALID on failure
int SetBkMode(HDC dc, int mode);               // TRANSPARENT or OPAQUE; old mode, 0 on failure
int GetBkMode(HDC dc);                         // 0 on failure
COLORREF SetTextColor(HDC dc, COLORREF color); // old colour, CLR_INVALID on failure
COLORREF GetTextColor(HDC dc);                 // CLR_INVALID on failure
int SetROP2(HDC dc, int mode);                 // R2_BLACK..R2_WHITE; old mode, 0 on failure
int GetROP2(HDC dc);                           // 0 on failure
// BLACKONWHITE..HALFTONE; old mode, 0 on failure. HALFTONE shrinks as COLORONCOLOR.
int SetStretchBltMode(HDC dc, int mode);
int GetStretchBltMode(HDC dc); // 0 on failure
// Pattern brushes repeat from the brush origin (context coordinates).
BOOL SetBrushOrgEx(HDC dc, int x, int y, LPPOINT old);
BOOL MoveToEx(HDC dc, int x, int y, LPPOINT old);

// ---------------------------------------------------------------------------
// Bitmaps and DIB conversions

// A device bitmap in the format of the bitmap selected in `dc` for a memory
// context (a fresh memory context gives monochrome; a DIB section selected
// gives a DIB section of its layout), 32-bit for any other context. Pixels are
// zero. A width or height of 0 gives the shared 1x1 monochrome bitmap; NULL
// for a bad dc or a negative size.
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// A device bitmap of 1 plane and 1 bit (monochrome) or 32 bits per pixel,
// filled from `bits` (rows word-aligned, top row first) or zero when NULL.
// A width or height of 0 gives the shared 1x1 monochrome bitmap; other
// formats and negative sizes give NULL.
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitCount, const void* bits);
// A DIB section of the layout in `info` (1, 4, 8, 16, 24 or 32 bits; BI_RGB,
// or BI_BITFIELDS for 16 and 32 bits) with DIB_RGB_COLORS; `section` must be
// NULL. The zeroed pixel memory is owned by the bitmap and stored in *bits.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD offset);
// Converts `lines` scan lines starting at scan line `start` (counted from the
// bottom for a bottom-up layout) of `bitmap` into `bits` in the layout of
// `info`; the widths may differ (the narrower one is copied). For 1, 4 and 8
// bits the colour table of `info` receives the fixed palette. With `bits` NULL
// it fills the header (all of it when biBitCount is 0). Answers the lines
// converted, 0 on failure. `bitmap` must not be selected in a context other
// than `dc`.
int GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, LPVOID bits, BITMAPINFO* info,
              UINT usage);
// The reverse: scan lines of `bits` in the layout of `info` into `bitmap`.
int SetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, const void* bits,
              const BITMAPINFO* info, UINT usage);
// IMAGE_BITMAP with sizes 0 copies a bitmap at its size, other sizes stretch
// it (COLORONCOLOR). The copy is a device bitmap of the source's format (a DIB
// section gives a 32-bit one) unless LR_CREATEDIBSECTION (a DIB section of the
// source's layout) or LR_MONOCHROME is given; LR_COPYDELETEORG deletes the
// source. IMAGE_ICON and IMAGE_CURSOR go to the window manager. NULL on failure.
HANDLE CopyImage(HANDLE image, UINT type, int width, int height, UINT flags);

// ---------------------------------------------------------------------------
// Blits

// Copies a rectangle from `source` (a memory context or a surface) with the
// raster operation `rop`. Sources that need no source (PATCOPY, BLACKNESS,
// WHITENESS, DSTINVERT) accept a NULL source. Colour to monochrome: a pixel
// equal to the source's background colour becomes 1, others 0. Monochrome to
// colour: 0 takes the target's text colour, 1 its background colour.
BOOL BitBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
            DWORD rop);
// As BitBlt with scaling: target column i takes source columns
// floor(i*sw/dw) .. floor((i+1)*sw/dw)-1 (at least one), rows alike; a shrink
// combines them by the stretch mode (BLACKONWHITE: AND, WHITEONBLACK: OR,
// otherwise the first). Extents of opposite sign mirror the picture.
BOOL StretchBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX,
                int sourceY, int sourceWidth, int sourceHeight, DWORD rop);
// As StretchBlt from DIB memory. For a bottom-up DIB, sourceY counts from the
// bottom row. Onto a monochrome target, pixels equal to the target's
// background colour become 1. Answers the number of source rows, 0 on failure.
int StretchDIBits(HDC target, int x, int y, int width, int height, int sourceX, int sourceY,
                  int sourceWidth, int sourceHeight, const void* bits, const BITMAPINFO* info,
                  UINT usage, DWORD rop);
// Fills a rectangle with the selected brush and a raster operation that uses
// no source (PATCOPY, PATINVERT, DSTINVERT, BLACKNESS, WHITENESS).
BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop);

// ---------------------------------------------------------------------------
// Pens, brushes, fonts

HBRUSH CreateSolidBrush(COLORREF color);
// BS_SOLID, BS_NULL/BS_HOLLOW and BS_PATTERN (an HBITMAP in lbHatch, copied;
// monochrome patterns draw 0 in the text colour and 1 in the background
// colour). NULL for other styles (hatched brushes are not made).
HBRUSH CreateBrushIndirect(const LOGBRUSH* brush);
HBRUSH CreatePatternBrush(HBITMAP bitmap);
// PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL,
// PS_INSIDEFRAME; width 0 or 1 draws one pixel wide. Styled pens draw their
// gaps in the background colour when the background mode is OPAQUE.
HPEN CreatePen(int style, int width, COLORREF color);
HPEN CreatePenIndirect(const LOGPEN* pen);
// Keeps the LOGFONTA (for GetObjectA); there is no text drawing.
HFONT CreateFontIndirectA(const LOGFONTA* font);

// ---------------------------------------------------------------------------
// Shapes (right and bottom edges exclusive)

// Fills with `brush`, which may also be a system colour (HBRUSH)(COLOR_x + 1).
// Ignores the binary raster mode. Answers 1, or 0 on failure.
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
// Inverts every bit of the pixels in the rectangle.
BOOL InvertRect(HDC dc, const RECT* rect);
// The RGB colour of a pixel; CLR_INVALID outside the surface or the clip.
COLORREF GetPixel(HDC dc, int x, int y);
// Sets a pixel to the nearest colour the surface holds and answers that
// colour; CLR_INVALID (-1) outside the surface or the clip.
COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);
// Draws from the current position up to, not including, (x, y) with the pen
// and the binary raster mode; (x, y) becomes the current position.
BOOL LineTo(HDC dc, int x, int y);
// The outline with the pen and the inside with the brush, both with the
// binary raster mode.
BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
// The ellipse inscribed in the box: a gap-free, symmetric outline inside the
// box drawn with the pen, and exactly the pixels inside it with the brush.
BOOL Ellipse(HDC dc, int left, int top, int right, int bottom);
// The part of Ellipse's outline that runs counter-clockwise (on screen) from
// the radial through (startX, startY) to the one through (endX, endY); equal
// radials give the whole outline.
BOOL Arc(HDC dc, int left, int top, int right, int bottom, int startX, int startY, int endX,
         int endY);

// ---------------------------------------------------------------------------
// Regions and clipping

HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* rect);
BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom);
// target := a op b (b unused for RGN_COPY); answers the type of the result.
int CombineRgn(HRGN target, HRGN a, HRGN b, int mode);
int OffsetRgn(HRGN region, int x, int y);
int GetRgnBox(HRGN region, LPRECT box);
BOOL PtInRegion(HRGN region, int x, int y);
BOOL RectInRegion(HRGN region, const RECT* rect);
BOOL EqualRgn(HRGN a, HRGN b);
BOOL FillRgn(HDC dc, HRGN region, HBRUSH brush);
// Copies `region` (context coordinates) as the clip region; NULL removes it.
int SelectClipRgn(HDC dc, HRGN region);
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom);
// Copies the clip region into `region`: 1 when there is one, 0 when none, -1
// on failure.
int GetClipRgn(HDC dc, HRGN region);
// The bounding box of what can be drawn (clip region within the surface).
int GetClipBox(HDC dc, LPRECT box);
