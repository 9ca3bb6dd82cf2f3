// Benchmarks of the graphics layer on a 1920x1080 picture: the DIB
// conversions the bitmap layer makes when it changes layout, the natural-size
// and shrinking blits of drawing, and the rectangle inversion of Invert.
#include <benchmark/benchmark.h>

#include <vector>

#include "platform/gdi/gdi_surface.h"
#include "platform/win32.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

struct Info {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};

Info MakeInfo(int bitCount) {
    Info info = {};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = kWidth;
    info.header.biHeight = kHeight;
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(bitCount);
    return info;
}

BITMAPINFO* AsInfo(Info& info) {
    return reinterpret_cast<BITMAPINFO*>(&info);
}

// A 24-bit DIB section with a deterministic picture.
struct Picture {
    Info info = MakeInfo(24);
    void* bits = nullptr;
    HBITMAP section = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ replaced = nullptr;
    Picture() {
        section = CreateDIBSection(nullptr, AsInfo(info), DIB_RGB_COLORS, &bits, nullptr, 0);
        BYTE* p = static_cast<BYTE*>(bits);
        const size_t size = ((kWidth * 3 + 3) & ~3) * static_cast<size_t>(kHeight);
        for (size_t i = 0; i < size; ++i) p[i] = static_cast<BYTE>(i * 7 + (i >> 11));
        replaced = SelectObject(dc, section);
    }
    ~Picture() {
        SelectObject(dc, replaced);
        DeleteDC(dc);
        DeleteObject(section);
    }
};

void BenchGetDIBits(benchmark::State& state) {
    Picture picture;
    Info target = MakeInfo(static_cast<int>(state.range(0)));
    std::vector<BYTE> rows(((kWidth * 32 + 31) / 32) * 4 * static_cast<size_t>(kHeight));
    for (auto _ : state) {
        benchmark::DoNotOptimize(GetDIBits(picture.dc, picture.section, 0, kHeight, rows.data(),
                                           AsInfo(target), DIB_RGB_COLORS));
    }
}

void BenchSetDIBitsToDevice(benchmark::State& state) {
    Picture picture;
    HDC screen = GetDC(nullptr);
    HBITMAP device = CreateCompatibleBitmap(screen, kWidth, kHeight);
    ReleaseDC(nullptr, screen);
    for (auto _ : state) {
        benchmark::DoNotOptimize(SetDIBits(picture.dc, device, 0, kHeight, picture.bits,
                                           AsInfo(picture.info), DIB_RGB_COLORS));
    }
    DeleteObject(device);
}

void BenchDrawToSurface(benchmark::State& state) {
    Picture picture;
    GdiSurface* surface = GdiCreateSurface(kWidth, kHeight);
    HDC dc = GdiCreateSurfaceDC(surface, 0, 0, nullptr);
    const int divisor = static_cast<int>(state.range(0));
    for (auto _ : state) {
        StretchBlt(dc, 0, 0, kWidth / divisor, kHeight / divisor, picture.dc, 0, 0, kWidth, kHeight,
                   SRCCOPY);
    }
    DeleteDC(dc);
    GdiDestroySurface(surface);
}

void BenchInvertRect(benchmark::State& state) {
    Picture picture;
    const RECT all = {0, 0, kWidth, kHeight};
    for (auto _ : state) InvertRect(picture.dc, &all);
}

void BenchEllipse(benchmark::State& state) {
    Picture picture;
    HBRUSH brush = CreateSolidBrush(RGB(10, 200, 30));
    HGDIOBJ old = SelectObject(picture.dc, brush);
    for (auto _ : state) Ellipse(picture.dc, 0, 0, kWidth, kHeight);
    SelectObject(picture.dc, old);
    DeleteObject(brush);
}

} // namespace

BENCHMARK(BenchGetDIBits)
    ->Arg(32)
    ->Arg(24)
    ->Arg(16)
    ->Arg(8)
    ->Arg(4)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BenchSetDIBitsToDevice)->Unit(benchmark::kMillisecond);
BENCHMARK(BenchDrawToSurface)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BenchInvertRect)->Unit(benchmark::kMillisecond);
BENCHMARK(BenchEllipse)->Unit(benchmark::kMillisecond);
