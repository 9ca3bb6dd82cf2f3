// Ellipses, arcs, rectangles and lines: the outline is thin, gap-free,
// symmetric and inside its box, the fill is exactly what the outline
// encloses, the two half arcs of an oval button cover the whole outline, and
// pens honour their style and the binary raster mode.
#include <gtest/gtest.h>

#include <queue>
#include <string>

#include "platform/tests/gdi_test_support.h"

using gdi_test::MakeColorBitmap;
using gdi_test::MemoryDC;

namespace {

constexpr COLORREF kPaper = RGB(255, 255, 255);
constexpr COLORREF kInk = RGB(0, 0, 0);
constexpr COLORREF kFill = RGB(255, 0, 0);
constexpr int kMargin = 2;

// A white canvas with the shape's box at (kMargin, kMargin).
class Canvas {
public:
    Canvas(int width, int height)
        : m_width(width + 2 * kMargin), m_height(height + 2 * kMargin),
          m_bitmap(MakeColorBitmap(m_width, m_height)), m_dc(m_bitmap) {
        const RECT all = {0, 0, m_width, m_height};
        FillRect(m_dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    ~Canvas() { DeleteObject(m_bitmap); }
    HDC dc() const { return m_dc; }
    COLORREF At(int x, int y) const { return GetPixel(m_dc, x + kMargin, y + kMargin); }
    // The picture as text: '#' ink, 'o' fill, '.' paper, for box cells only.
    std::string Picture(int width, int height) const {
        std::string text;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const COLORREF c = At(x, y);
                text += c == kInk ? '#' : c == kFill ? 'o' : c == kPaper ? '.' : '?';
            }
            text += '\n';
        }
        return text;
    }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

private:
    int m_width, m_height;
    HBITMAP m_bitmap;
    MemoryDC m_dc;
};

void DrawEllipse(Canvas& canvas, int width, int height) {
    HBRUSH brush = CreateSolidBrush(kFill);
    HGDIOBJ old = SelectObject(canvas.dc(), brush);
    EXPECT_TRUE(Ellipse(canvas.dc(), kMargin, kMargin, kMargin + width, kMargin + height));
    SelectObject(canvas.dc(), old);
    DeleteObject(brush);
}

bool IsInk(const Canvas& c, int x, int y) {
    return c.At(x, y) == kInk;
}

// Whether every ink pixel can be reached from any other through ink
// neighbours (8 directions).
bool InkIsConnected(const Canvas& c, int width, int height) {
    std::vector<std::vector<bool>> seen(height, std::vector<bool>(width, false));
    std::queue<std::pair<int, int>> queue;
    int total = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (IsInk(c, x, y)) {
                ++total;
                if (queue.empty() && !seen[y][x]) {
                    seen[y][x] = true;
                    queue.push({x, y});
                }
            }
    int reached = 0;
    while (!queue.empty()) {
        const auto [x, y] = queue.front();
        queue.pop();
        ++reached;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int nx = x + dx, ny = y + dy;
                if (nx < 0 || ny < 0 || nx >= width || ny >= height || seen[ny][nx]) continue;
                if (!IsInk(c, nx, ny)) continue;
                seen[ny][nx] = true;
                queue.push({nx, ny});
            }
    }
    return reached == total;
}

} // namespace

TEST(GdiEllipseTest, SmallEllipsesHaveThePlatformsShapes) {
    struct Case {
        int width, height;
        const char* picture;
    };
    const Case cases[] = {
        {3, 3, ".#.\n#o#\n.#.\n"},
        {4, 4, ".##.\n#oo#\n#oo#\n.##.\n"},
        {5, 4, ".###.\n#ooo#\n#ooo#\n.###.\n"},
        {1, 1, "#\n"},
        {2, 2, "##\n##\n"},
        {1, 3, "#\n#\n#\n"},
    };
    for (const Case& c : cases) {
        Canvas canvas(c.width, c.height);
        DrawEllipse(canvas, c.width, c.height);
        EXPECT_EQ(canvas.Picture(c.width, c.height), c.picture) << c.width << "x" << c.height;
    }
}

TEST(GdiEllipseTest, OutlinesAreSymmetricGapFreeInsideTheBoxAndEncloseExactlyTheFill) {
    for (int width = 1; width <= 23; width += 2) {
        for (int height : {1, 2, 3, 6, 7, 10, 15, 22}) {
            SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
            Canvas canvas(width, height);
            DrawEllipse(canvas, width, height);
            // Nothing outside the box.
            for (int y = -kMargin; y < height + kMargin; ++y)
                for (int x = -kMargin; x < width + kMargin; ++x)
                    if (x < 0 || y < 0 || x >= width || y >= height) {
                        ASSERT_EQ(canvas.At(x, y), kPaper) << x << "," << y;
                    }
            // Mirror symmetric both ways, and touching all four sides.
            bool top = false, bottom = false, left = false, right = false;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    ASSERT_EQ(canvas.At(x, y), canvas.At(width - 1 - x, y)) << x << "," << y;
                    ASSERT_EQ(canvas.At(x, y), canvas.At(x, height - 1 - y)) << x << "," << y;
                    if (IsInk(canvas, x, y)) {
                        top |= y == 0, bottom |= y == height - 1;
                        left |= x == 0, right |= x == width - 1;
                    }
                }
            EXPECT_TRUE(top && bottom && left && right);
            EXPECT_TRUE(InkIsConnected(canvas, width, height));
            // The fill never touches the paper (the outline closes it in), and
            // every ink pixel borders the paper (the outline is one pixel thin).
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    const COLORREF c = canvas.At(x, y);
                    bool nearPaper = false;
                    for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                        nearPaper |= canvas.At(x + dx, y + dy) == kPaper;
                    }
                    if (c == kFill) {
                        ASSERT_FALSE(nearPaper) << x << "," << y;
                    }
                    if (c == kInk) {
                        ASSERT_TRUE(nearPaper) << x << "," << y;
                    }
                }
        }
    }
}

TEST(GdiEllipseTest, NullPenFillsOnlyTheInsideAndWidePensStayInTheBox) {
    Canvas plain(9, 7);
    HGDIOBJ oldPen = SelectObject(plain.dc(), GetStockObject(NULL_PEN));
    DrawEllipse(plain, 9, 7);
    SelectObject(plain.dc(), oldPen);
    Canvas outlined(9, 7);
    DrawEllipse(outlined, 9, 7);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x) {
            EXPECT_EQ(plain.At(x, y) == kFill, outlined.At(x, y) == kFill) << x << "," << y;
            EXPECT_NE(plain.At(x, y), kInk);
        }
    // A pen three pixels wide: a band inside the box round a smaller fill.
    Canvas wide(15, 11);
    HPEN pen = CreatePen(PS_SOLID, 3, kInk);
    oldPen = SelectObject(wide.dc(), pen);
    DrawEllipse(wide, 15, 11);
    SelectObject(wide.dc(), oldPen);
    DeleteObject(pen);
    EXPECT_EQ(wide.At(7, 0), kInk);
    EXPECT_EQ(wide.At(7, 2), kInk);
    EXPECT_EQ(wide.At(7, 3), kFill);
    EXPECT_EQ(wide.At(0, 5), kInk);
    EXPECT_EQ(wide.At(3, 5), kFill);
    EXPECT_EQ(wide.At(-1, 5), kPaper);
    EXPECT_EQ(wide.At(15, 5), kPaper);
}

TEST(GdiArcTest, TheTwoHalvesOfAnOvalButtonRingCoverTheWholeOutline) {
    for (auto [width, height] : {std::pair{40, 30}, {31, 17}, {12, 8}, {5, 5}, {64, 3}}) {
        for (int inset = 0; inset < 3 && 2 * inset < std::min(width, height); ++inset) {
            SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height) + " inset " +
                         std::to_string(inset));
            Canvas outline(width, height);
            HGDIOBJ oldBrush = SelectObject(outline.dc(), GetStockObject(NULL_BRUSH));
            Ellipse(outline.dc(), kMargin + inset, kMargin + inset, kMargin + width - inset,
                    kMargin + height - inset);
            SelectObject(outline.dc(), oldBrush);
            // Arc A from (0, H) to (W, 0), arc B back, each in its own colour.
            Canvas arcs(width, height);
            const COLORREF colorA = RGB(0, 2, 0), colorB = RGB(0, 1, 0);
            const int l = kMargin + inset, t = kMargin + inset, r = kMargin + width - inset,
                      b = kMargin + height - inset;
            HPEN penA = CreatePen(PS_SOLID, 1, colorA), penB = CreatePen(PS_SOLID, 1, colorB);
            HGDIOBJ oldPen = SelectObject(arcs.dc(), penA);
            EXPECT_TRUE(
                Arc(arcs.dc(), l, t, r, b, kMargin, kMargin + height, kMargin + width, kMargin));
            SelectObject(arcs.dc(), penB);
            EXPECT_TRUE(
                Arc(arcs.dc(), l, t, r, b, kMargin + width, kMargin, kMargin, kMargin + height));
            SelectObject(arcs.dc(), oldPen);
            DeleteObject(penA);
            DeleteObject(penB);
            for (int y = -kMargin; y < height + kMargin; ++y)
                for (int x = -kMargin; x < width + kMargin; ++x)
                    ASSERT_EQ(arcs.At(x, y) != kPaper, outline.At(x, y) == kInk) << x << "," << y;
            // A is the lower-right half: it holds the bottom and right extremes
            // (in a ring at least three pixels across both ways).
            if (width - 2 * inset < 3 || height - 2 * inset < 3) continue;
            const int midX = width / 2, midY = height / 2;
            EXPECT_EQ(arcs.At(midX, height - 1 - inset), colorA);
            EXPECT_EQ(arcs.At(width - 1 - inset, midY), colorA);
            EXPECT_EQ(arcs.At(midX, inset), colorB);
            EXPECT_EQ(arcs.At(inset, midY), colorB);
        }
    }
}

TEST(GdiArcTest, ArcsRunCounterClockwiseFromStartToEnd) {
    // A 22x22 box has its centre on a pixel corner, so no pixel centre lies on
    // the axes. From east to north counter-clockwise is the upper-right quarter.
    Canvas outline(22, 22);
    HGDIOBJ oldBrush = SelectObject(outline.dc(), GetStockObject(NULL_BRUSH));
    Ellipse(outline.dc(), kMargin, kMargin, kMargin + 22, kMargin + 22);
    SelectObject(outline.dc(), oldBrush);
    Canvas quarter(22, 22);
    const int c = kMargin + 11;
    EXPECT_TRUE(
        Arc(quarter.dc(), kMargin, kMargin, kMargin + 22, kMargin + 22, c + 50, c, c, c - 3));
    // The other three quarters, from north round to east.
    Canvas rest(22, 22);
    EXPECT_TRUE(Arc(rest.dc(), kMargin, kMargin, kMargin + 22, kMargin + 22, c, c - 3, c + 50, c));
    for (int y = 0; y < 22; ++y)
        for (int x = 0; x < 22; ++x) {
            const bool onOutline = outline.At(x, y) == kInk;
            const bool upperRight = x >= 11 && y < 11;
            EXPECT_EQ(quarter.At(x, y) == kInk, onOutline && upperRight) << x << "," << y;
            EXPECT_EQ(rest.At(x, y) == kInk, onOutline && !upperRight) << x << "," << y;
        }
    // Equal radials draw the whole outline; an arc never fills.
    Canvas whole(22, 22);
    EXPECT_TRUE(Arc(whole.dc(), kMargin, kMargin, kMargin + 22, kMargin + 22, c, c - 5, c, c - 9));
    for (int y = 0; y < 22; ++y)
        for (int x = 0; x < 22; ++x) EXPECT_EQ(whole.At(x, y), outline.At(x, y)) << x << "," << y;
}

TEST(GdiPenTest, LinesStopBeforeTheirEndAndFollowTheBinaryRasterMode) {
    Canvas canvas(40, 3);
    HDC dc = canvas.dc();
    MoveToEx(dc, kMargin, kMargin, nullptr);
    EXPECT_TRUE(LineTo(dc, kMargin + 5, kMargin));
    EXPECT_EQ(canvas.At(4, 0), kInk);
    EXPECT_EQ(canvas.At(5, 0), kPaper);
    POINT position = {};
    MoveToEx(dc, kMargin + 2, kMargin + 2, &position);
    EXPECT_EQ(position.x, kMargin + 5);
    LineTo(dc, kMargin, kMargin);
    EXPECT_EQ(canvas.At(2, 2), kInk);
    EXPECT_EQ(canvas.At(1, 1), kInk);
    EXPECT_EQ(canvas.At(0, 0), kInk); // drawn by the first line
    // All sixteen modes with pen CC and destination AA in every channel.
    const BYTE expected[16] = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77,
                               0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};
    HPEN pen = CreatePen(PS_SOLID, 0, RGB(0xCC, 0xCC, 0xCC));
    HGDIOBJ old = SelectObject(dc, pen);
    for (int mode = R2_BLACK; mode <= R2_WHITE; ++mode) {
        SetPixel(dc, kMargin + 30, kMargin + 1, RGB(0xAA, 0xAA, 0xAA));
        EXPECT_NE(SetROP2(dc, mode), 0);
        MoveToEx(dc, kMargin + 30, kMargin + 1, nullptr);
        LineTo(dc, kMargin + 31, kMargin + 1);
        const BYTE v = expected[mode - 1];
        EXPECT_EQ(canvas.At(30, 1), RGB(v, v, v)) << mode;
    }
    EXPECT_EQ(SetROP2(dc, 17), 0);
    EXPECT_EQ(GetROP2(dc), R2_WHITE);
    SetROP2(dc, R2_COPYPEN);
    SelectObject(dc, old);
    DeleteObject(pen);
}

TEST(GdiPenTest, DashedPensLeaveGapsInTheBackgroundColourOrUntouched) {
    Canvas canvas(30, 2);
    HDC dc = canvas.dc();
    const RECT all = {0, 0, canvas.Width(), canvas.Height()};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    HPEN pen = CreatePen(PS_DASH, 1, kInk);
    HGDIOBJ old = SelectObject(dc, pen);
    SetBkColor(dc, RGB(0, 0, 255));
    MoveToEx(dc, kMargin, kMargin, nullptr);
    LineTo(dc, kMargin + 30, kMargin);
    EXPECT_EQ(canvas.At(0, 0), kInk);
    EXPECT_EQ(canvas.At(17, 0), kInk);
    EXPECT_EQ(canvas.At(18, 0), RGB(0, 0, 255));
    EXPECT_EQ(canvas.At(23, 0), RGB(0, 0, 255));
    EXPECT_EQ(canvas.At(24, 0), kInk);
    SetBkMode(dc, TRANSPARENT);
    MoveToEx(dc, kMargin, kMargin + 1, nullptr);
    LineTo(dc, kMargin + 30, kMargin + 1);
    EXPECT_EQ(canvas.At(17, 1), kInk);
    EXPECT_EQ(canvas.At(18, 1), RGB(128, 128, 128));
    SelectObject(dc, old);
    DeleteObject(pen);
}

TEST(GdiPenTest, RectanglesFrameWithThePenAndFillWithTheBrush) {
    Canvas canvas(5, 4);
    HBRUSH brush = CreateSolidBrush(kFill);
    HGDIOBJ old = SelectObject(canvas.dc(), brush);
    EXPECT_TRUE(Rectangle(canvas.dc(), kMargin, kMargin, kMargin + 5, kMargin + 4));
    EXPECT_EQ(canvas.Picture(5, 4), "#####\n#ooo#\n#ooo#\n#####\n");
    EXPECT_EQ(canvas.At(5, 0), kPaper);
    EXPECT_EQ(canvas.At(0, 4), kPaper);
    SelectObject(canvas.dc(), old);
    DeleteObject(brush);
}
