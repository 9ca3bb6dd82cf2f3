// Reading a top-level window's composed client area, and writing it to a
// bitmap file (24-bit, bottom-up) when GLEAMKIT_HEADLESS_DUMP names a folder.
#include "platform/backend/headless/headless_backend.h"
#include "platform/user/user.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace gleamkit::headless {

namespace {

void PutLittleEndian(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string BitmapFile(const Image& image) {
    const uint32_t rowSize = (static_cast<uint32_t>(image.width) * 3 + 3) & ~3u;
    const uint32_t pixelBytes = rowSize * static_cast<uint32_t>(image.height);
    std::string file = "BM";
    PutLittleEndian(file, 54 + pixelBytes, 4);
    PutLittleEndian(file, 0, 4);
    PutLittleEndian(file, 54, 4);
    PutLittleEndian(file, 40, 4);
    PutLittleEndian(file, static_cast<uint32_t>(image.width), 4);
    PutLittleEndian(file, static_cast<uint32_t>(image.height), 4);
    PutLittleEndian(file, 1, 2);
    PutLittleEndian(file, 24, 2);
    PutLittleEndian(file, 0, 4);
    PutLittleEndian(file, pixelBytes, 4);
    PutLittleEndian(file, 2835, 4);
    PutLittleEndian(file, 2835, 4);
    PutLittleEndian(file, 0, 4);
    PutLittleEndian(file, 0, 4);
    for (int y = image.height - 1; y >= 0; --y) {
        const size_t rowStart = file.size();
        for (int x = 0; x < image.width; ++x) {
            const COLORREF color = image.At(x, y);
            file += static_cast<char>(GetBValue(color));
            file += static_cast<char>(GetGValue(color));
            file += static_cast<char>(GetRValue(color));
        }
        file.append(rowStart + rowSize - file.size(), '\0');
    }
    return file;
}

void DumpIfAsked(HWND topLevel, const Image& image) {
    const char* folder = std::getenv("GLEAMKIT_HEADLESS_DUMP");
    if (folder == nullptr || folder[0] == '\0') return;
    static int counter = 0;
    char text[256] = {};
    GetWindowTextA(topLevel, text, sizeof(text));
    std::string title;
    for (const char* c = text; *c != '\0'; ++c) {
        title += (std::isalnum(static_cast<unsigned char>(*c)) != 0) ? *c : '_';
    }
    const std::string path = std::string(folder) + "/" + (title.empty() ? "window" : title) + "-" +
                             std::to_string(++counter) + ".bmp";
    if (FILE* out = std::fopen(path.c_str(), "wb")) {
        const std::string bytes = BitmapFile(image);
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
    }
}

// The client area of `topLevel` in its image, cut to the image.
RECT ClientInImage(HWND topLevel, const backend::TopLevelImage& surface) {
    POINT corner{0, 0};
    ClientToScreen(topLevel, &corner);
    RECT client{};
    GetClientRect(topLevel, &client);
    RECT inImage{corner.x - surface.origin.x, corner.y - surface.origin.y, 0, 0};
    inImage.right = inImage.left + client.right;
    inImage.bottom = inImage.top + client.bottom;
    inImage.left = std::clamp<LONG>(inImage.left, 0, surface.width);
    inImage.right = std::clamp<LONG>(inImage.right, inImage.left, surface.width);
    inImage.top = std::clamp<LONG>(inImage.top, 0, surface.height);
    inImage.bottom = std::clamp<LONG>(inImage.bottom, inImage.top, surface.height);
    return inImage;
}

} // namespace

Image ClientImage(HWND topLevel) {
    const backend::TopLevelImage surface = backend::ReadTopLevelImage(topLevel);
    Image image;
    if (surface.bits == nullptr) return image;
    const RECT client = ClientInImage(topLevel, surface);
    image.width = client.right - client.left;
    image.height = client.bottom - client.top;
    image.pixels.resize(static_cast<size_t>(image.width) * image.height);
    for (int y = 0; y < image.height; ++y) {
        const BYTE* row = surface.bits + static_cast<size_t>(client.top + y) * surface.stride +
                          static_cast<size_t>(client.left) * 4;
        for (int x = 0; x < image.width; ++x) {
            image.pixels[static_cast<size_t>(y) * image.width + x] =
                RGB(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
        }
    }
    DumpIfAsked(topLevel, image);
    return image;
}

COLORREF ClientPixel(HWND topLevel, int x, int y) {
    const backend::TopLevelImage surface = backend::ReadTopLevelImage(topLevel);
    if (surface.bits == nullptr) return 0xFFFFFFFF;
    const RECT client = ClientInImage(topLevel, surface);
    if (x < 0 || y < 0 || x >= client.right - client.left || y >= client.bottom - client.top) {
        return 0xFFFFFFFF;
    }
    const BYTE* pixel = surface.bits + static_cast<size_t>(client.top + y) * surface.stride +
                        static_cast<size_t>(client.left + x) * 4;
    return RGB(pixel[2], pixel[1], pixel[0]);
}

} // namespace gleamkit::headless
