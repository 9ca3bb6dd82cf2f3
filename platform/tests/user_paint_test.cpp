// Painting: update regions and their validation, erasing with the class
// brush, what BeginPaint and GetDC may touch in the composed image
// (WS_CLIPCHILDREN, WS_CLIPSIBLINGS), frames, and the system STATIC class.
#include "platform/tests/user_test_support.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

using namespace usertest;
namespace headless = gleamkit::headless;

using UserPaintTest = UserTest;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

void Fill(HDC dc, const RECT& rect, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

TEST_F(UserPaintTest, InvalidatedPartsAddUpAndValidationRemovesThem) {
    const HWND top = MakeTopLevel(200, 100);
    headless::RunPendingMessages();
    RECT box{};
    EXPECT_FALSE(GetUpdateRect(top, &box, FALSE));
    RECT a{10, 10, 20, 20};
    RECT b{50, 40, 60, 90};
    InvalidateRect(top, &a, FALSE);
    InvalidateRect(top, &b, FALSE);
    ASSERT_TRUE(GetUpdateRect(top, &box, FALSE));
    EXPECT_EQ(box.left, 10);
    EXPECT_EQ(box.top, 10);
    EXPECT_EQ(box.right, 60);
    EXPECT_EQ(box.bottom, 90);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetUpdateRgn(top, region, FALSE), COMPLEXREGION);
    EXPECT_TRUE(PtInRegion(region, 15, 15));
    EXPECT_FALSE(PtInRegion(region, 30, 30));
    ValidateRect(top, &a);
    EXPECT_EQ(GetUpdateRgn(top, region, FALSE), SIMPLEREGION);
    // Parts outside the client area are not kept.
    ValidateRect(top, nullptr);
    RECT outside{500, 500, 600, 600};
    InvalidateRect(top, &outside, FALSE);
    EXPECT_EQ(GetUpdateRgn(top, region, FALSE), NULLREGION);
    // A region handle works as a rectangle does.
    HRGN two = CreateRectRgn(0, 0, 5, 5);
    HRGN other = CreateRectRgn(100, 50, 110, 60);
    CombineRgn(two, two, other, RGN_OR);
    InvalidateRgn(top, two, FALSE);
    EXPECT_EQ(GetUpdateRgn(top, region, FALSE), COMPLEXREGION);
    EXPECT_TRUE(EqualRgn(region, two));
    for (HRGN handle : {region, two, other}) DeleteObject(handle);
}

TEST_F(UserPaintTest, BeginPaintErasesWithTheClassBrushAndValidates) {
    const HWND top = MakeTopLevel(120, 80);
    BOOL erasedFlag = TRUE;
    RECT painted{};
    TestHandler() = [&](HWND hwnd, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message != WM_PAINT) return std::nullopt;
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(hwnd, &paint);
        erasedFlag = paint.fErase;
        painted = paint.rcPaint;
        Fill(dc, RECT{0, 0, 1000, 1000}, kRed); // clipped to the update region
        EndPaint(hwnd, &paint);
        return 0;
    };
    headless::RunPendingMessages();
    EXPECT_FALSE(erasedFlag); // the class brush erased it
    EXPECT_EQ(headless::ClientPixel(top, 119, 79), kRed);

    RECT part{10, 10, 30, 20};
    InvalidateRect(top, &part, TRUE);
    TestHandler() = [&](HWND hwnd, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message != WM_PAINT) return std::nullopt;
        PAINTSTRUCT paint{};
        BeginPaint(hwnd, &paint); // only erases
        painted = paint.rcPaint;
        EndPaint(hwnd, &paint);
        return 0;
    };
    headless::RunPendingMessages();
    EXPECT_EQ(painted.left, 10);
    EXPECT_EQ(painted.bottom, 20);
    EXPECT_EQ(headless::ClientPixel(top, 10, 10), kWhite); // COLOR_WINDOW
    EXPECT_EQ(headless::ClientPixel(top, 29, 19), kWhite);
    EXPECT_EQ(headless::ClientPixel(top, 30, 10), kRed);
    EXPECT_EQ(headless::ClientPixel(top, 9, 10), kRed);
    EXPECT_FALSE(GetUpdateRect(top, nullptr, FALSE));
}

TEST_F(UserPaintTest, ClipChildrenKeepsTheParentOffItsChildren) {
    for (const bool clipChildren : {true, false}) {
        const HWND top =
            MakeTopLevel(100, 100, WS_OVERLAPPEDWINDOW | (clipChildren ? WS_CLIPCHILDREN : 0));
        const HWND child = MakeChild(top, 20, 20, 30, 30);
        headless::RunPendingMessages();
        HDC dc = GetDC(top);
        Fill(dc, RECT{0, 0, 100, 100}, kBlue);
        ReleaseDC(top, dc);
        EXPECT_EQ(headless::ClientPixel(top, 10, 10), kBlue);
        EXPECT_EQ(headless::ClientPixel(top, 25, 25), clipChildren ? kWhite : kBlue)
            << "clip children " << clipChildren;
        // The child's own DC stays inside the child.
        dc = GetDC(child);
        Fill(dc, RECT{-50, -50, 500, 500}, kRed);
        ReleaseDC(child, dc);
        EXPECT_EQ(headless::ClientPixel(top, 20, 20), kRed);
        EXPECT_EQ(headless::ClientPixel(top, 49, 49), kRed);
        EXPECT_EQ(headless::ClientPixel(top, 50, 50), kBlue);
        EXPECT_EQ(headless::ClientPixel(top, 19, 19), kBlue);
        DestroyWindow(top);
    }
}

TEST_F(UserPaintTest, ClipSiblingsKeepsALowerSiblingUnderTheOneAbove) {
    const HWND top = MakeTopLevel(100, 100);
    const HWND lower = MakeChild(top, 0, 0, 60, 60, WS_CLIPSIBLINGS);
    MakeChild(top, 40, 40, 60, 60, WS_CLIPSIBLINGS); // made later: above
    headless::RunPendingMessages();
    HDC dc = GetDC(lower);
    Fill(dc, RECT{0, 0, 60, 60}, kRed);
    ReleaseDC(lower, dc);
    EXPECT_EQ(headless::ClientPixel(top, 30, 30), kRed);
    EXPECT_EQ(headless::ClientPixel(top, 45, 45), kWhite);
}

TEST_F(UserPaintTest, HiddenAndMovedWindowsRepaintWhatTheyUncover) {
    const HWND top = MakeTopLevel(100, 100, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN);
    const HWND child = MakeChild(top, 10, 10, 20, 20);
    TestHandler() = [&](HWND hwnd, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message != WM_PAINT || hwnd != child) return std::nullopt;
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(hwnd, &paint);
        Fill(dc, paint.rcPaint, kRed);
        EndPaint(hwnd, &paint);
        return 0;
    };
    headless::RunPendingMessages();
    EXPECT_EQ(headless::ClientPixel(top, 15, 15), kRed);
    MoveWindow(child, 50, 50, 20, 20, TRUE);
    headless::RunPendingMessages();
    EXPECT_EQ(headless::ClientPixel(top, 15, 15), kWhite);
    EXPECT_EQ(headless::ClientPixel(top, 55, 55), kRed);
    ShowWindow(child, SW_HIDE);
    headless::RunPendingMessages();
    EXPECT_EQ(headless::ClientPixel(top, 55, 55), kWhite);
}

TEST_F(UserPaintTest, BordersAndEdgesAreDrawnAroundChildren) {
    const HWND top = MakeTopLevel(100, 100);
    MakeChild(top, 10, 10, 30, 30, WS_BORDER);
    MakeChild(top, 50, 10, 30, 30, 0, WS_EX_CLIENTEDGE);
    headless::RunPendingMessages();
    EXPECT_EQ(headless::ClientPixel(top, 10, 10), GetSysColor(COLOR_WINDOWFRAME));
    EXPECT_EQ(headless::ClientPixel(top, 11, 11), kWhite);
    EXPECT_EQ(headless::ClientPixel(top, 50, 10), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(headless::ClientPixel(top, 51, 11), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(headless::ClientPixel(top, 79, 39), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(headless::ClientPixel(top, 52, 12), kWhite);
}

TEST_F(UserPaintTest, StaticLabelPaintsItsBackgroundAndCaptionArea) {
    const HWND top = MakeTopLevel(100, 100);
    // The parent answers the label's colour question, as a form does.
    HBRUSH face = CreateSolidBrush(RGB(10, 20, 30));
    TestHandler() = [&](HWND, UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
        if (message != WM_CTLCOLORSTATIC) return std::nullopt;
        SetBkMode(reinterpret_cast<HDC>(wParam), OPAQUE);
        SetBkColor(reinterpret_cast<HDC>(wParam), RGB(40, 50, 60));
        return reinterpret_cast<LRESULT>(face);
    };
    const HWND empty = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 40, 40, top,
                                       nullptr, nullptr, nullptr);
    const HWND labelled = CreateWindowExA(0, "STATIC", "Ab", WS_CHILD | WS_VISIBLE, 50, 0, 40, 40,
                                          top, nullptr, nullptr, nullptr);
    ASSERT_NE(empty, nullptr);
    ASSERT_NE(labelled, nullptr);
    headless::RunPendingMessages();
    EXPECT_EQ(headless::ClientPixel(top, 1, 1), RGB(10, 20, 30));
    EXPECT_EQ(headless::ClientPixel(top, 39, 39), RGB(10, 20, 30));
    EXPECT_EQ(headless::ClientPixel(top, 51, 1), RGB(40, 50, 60)); // caption area
    EXPECT_EQ(headless::ClientPixel(top, 51 + 16, 1), RGB(10, 20, 30));
    EXPECT_EQ(headless::ClientPixel(top, 51, 30), RGB(10, 20, 30));
    EXPECT_EQ(headless::ClientPixel(top, 45, 1), kWhite);
    DestroyWindow(top);
    DeleteObject(face);
}

TEST_F(UserPaintTest, ClientImageIsDumpedAsABitmapWhenAsked) {
    const HWND top = MakeTopLevel(5, 3);
    headless::RunPendingMessages();
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("gleamkit_dump_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    setenv("GLEAMKIT_HEADLESS_DUMP", folder.c_str(), 1);
    const headless::Image image = headless::ClientImage(top);
    unsetenv("GLEAMKIT_HEADLESS_DUMP");
    EXPECT_EQ(image.width, 5);
    EXPECT_EQ(image.height, 3);
    EXPECT_EQ(image.At(4, 2), kWhite);
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        files.push_back(entry.path());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].filename().string().rfind("Top-", 0), 0u);
    // 54 header bytes, then three rows of 5 pixels padded to 16 bytes.
    EXPECT_EQ(std::filesystem::file_size(files[0]), 54u + 3 * 16);
    std::filesystem::remove_all(folder);
    EXPECT_TRUE(headless::ClientImage(reinterpret_cast<HWND>(0x12345678900)).pixels.empty());
}

} // namespace
