// The platform's basic types with Win32's names and widths on a 64-bit build:
// handles are pointer-sized, DWORD and LONG are 32 bits, WPARAM/LPARAM follow
// the pointer. Each handle kind is its own type so kit code cannot mix them.
#pragma once

#include <cstdint>

using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using LONG = int32_t;
using ULONG = uint32_t;
using UINT = uint32_t;
using INT = int32_t;
using SHORT = int16_t;
using USHORT = uint16_t;
using BOOL = int32_t;
using CHAR = char;
using LPSTR = char*;
using LPCSTR = const char*;
using LPVOID = void*;
using LPCVOID = const void*;
using COLORREF = uint32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using UINT_PTR = uintptr_t;
using INT_PTR = intptr_t;
using ATOM = WORD;

#define GLEAMKIT_DECLARE_HANDLE(name)                                                              \
    struct name##__ {                                                                              \
        int unused;                                                                                \
    };                                                                                             \
    using name = name##__*

using HANDLE = void*;
GLEAMKIT_DECLARE_HANDLE(HWND);
GLEAMKIT_DECLARE_HANDLE(HDC);
GLEAMKIT_DECLARE_HANDLE(HBITMAP);
GLEAMKIT_DECLARE_HANDLE(HBRUSH);
GLEAMKIT_DECLARE_HANDLE(HPEN);
GLEAMKIT_DECLARE_HANDLE(HFONT);
GLEAMKIT_DECLARE_HANDLE(HRGN);
GLEAMKIT_DECLARE_HANDLE(HMENU);
GLEAMKIT_DECLARE_HANDLE(HACCEL);
GLEAMKIT_DECLARE_HANDLE(HICON);
GLEAMKIT_DECLARE_HANDLE(HINSTANCE);
GLEAMKIT_DECLARE_HANDLE(HPALETTE);
using HGDIOBJ = void*;
using HCURSOR = HICON;
using HMODULE = HINSTANCE;

#undef GLEAMKIT_DECLARE_HANDLE

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;

struct POINT {
    LONG x;
    LONG y;
};

struct SIZE {
    LONG cx;
    LONG cy;
};

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

constexpr WORD LOWORD(uintptr_t value) { return static_cast<WORD>(value & 0xFFFF); }
constexpr WORD HIWORD(uintptr_t value) { return static_cast<WORD>((value >> 16) & 0xFFFF); }
constexpr DWORD MAKELONG(WORD low, WORD high) {
    return static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16);
}
constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) |
           (static_cast<COLORREF>(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }
