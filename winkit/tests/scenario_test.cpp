// A small program driven only through input, as a user would drive it: a form
// with a menu, a scrolling box and a paint box; Ctrl+O opens a "picture"
// through the file dialog, clicks on the scroll bar and the wheel scroll it,
// a check item recolours it, "Exit" ends the loop. The composed client image
// is checked after each step. A second program shows a picture larger than
// its view: the bars (arrows, track, thumb) must show over it, and at the end
// of each bar the picture's last column and row must be the view's.
#include <fstream>
#include <string>

#include "kit_test_support.h"
#include "winkit/file_chooser.h"
#include "winkit/menu.h"
#include "winkit/paint_box.h"
#include "winkit/scroll_box.h"

namespace gleamkit::winkit {
namespace {

using testing::DestroyedNames;
using testing::KitTest;
using testing::WatchDestroy;

constexpr COLORREF kWorkspace = RGB(128, 128, 128);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kBlack = RGB(0, 0, 0);
// The "picture": four 100-pixel columns over 200 rows, a black band below.
constexpr int kPictureWidth = 400;
constexpr int kPictureHeight = 260;
constexpr int kBandTop = 200;

struct Program {
    Control* form = nullptr;
    Menu* menu = nullptr;
    Control* box = nullptr;
    Control* view = nullptr;
    FileChooser* dialog = nullptr;
    bool loaded = false;
    bool warm = false;
    std::string opened;
};

Program g_program;

COLORREF PictureColor(int x, int y) {
    if (y >= kBandTop) return kBlack;
    const COLORREF columns[] = {kRed, kGreen, kBlue, g_program.warm ? kYellow : kBlue};
    return columns[x / 100];
}

void Fill(HDC dc, int left, int top, int right, int bottom, COLORREF color) {
    RECT area{left, top, right, bottom};
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &area, brush);
    DeleteObject(brush);
}

void PaintView(void*, KitObject* sender, HDC dc) {
    auto* view = static_cast<Control*>(sender);
    if (!g_program.loaded) {
        Fill(dc, 0, 0, 32, 32, kWorkspace);
        return;
    }
    view->SetSize(kPictureWidth, kPictureHeight);
    for (int column = 0; column < 4; ++column)
        Fill(dc, column * 100, 0, column * 100 + 100, kBandTop, PictureColor(column * 100, 0));
    Fill(dc, 0, kBandTop, kPictureWidth, kPictureHeight, kBlack);
}

void OpenPicture(void*, KitObject*, int32_t) {
    if (!g_program.dialog->RunDialog()) return;
    g_program.loaded = true;
    g_program.opened = g_program.dialog->Filename;
    g_program.view->Invalidate();
}

void ToggleWarm(void*, KitObject* sender, int32_t index) {
    g_program.warm = ItemState(FindItem(static_cast<Menu*>(sender), index), kItemChecked);
    g_program.view->Invalidate();
}

void Exit(void*, KitObject*, int32_t) {
    g_program.form->Close();
}

constexpr const char* kMenu[] = {"File", "(", "Open picture...\tCtrl+O", "-", "Exit", ")",
                                 "View", "(", "-Warm colours",           ")", ""};

void BuildProgram() {
    g_program = {};
    Control* form = NewForm(nullptr, "Scenario");
    g_program.form = form;
    form->SetPosition(40, 30);
    form->SetClientSize(300, 200);
    SetApplicationControl(form);
    form->SetChildMargin(0);
    g_program.menu = NewMenu(form, kMenu, {});
    const ItemChosenEvent open{OpenPicture, nullptr};
    const ItemChosenEvent exit{Exit, nullptr};
    const ItemChosenEvent warm{ToggleWarm, nullptr};
    SetItemHandlers(g_program.menu, 1, {&open, 1});
    SetItemAccelerator(g_program.menu, 1, PackAccelerator(FVIRTKEY | FCONTROL, 'O'));
    SetItemHandlers(g_program.menu, 3, {&exit, 1});
    SetItemHandlers(g_program.menu, 5, {&warm, 1});
    g_program.dialog = NewFileChooser("Open picture", "", {});
    g_program.dialog->Filter = "Pictures|*.bmp|All files|*.*";
    AddOwned(form, g_program.dialog);
    g_program.box = NewScrollingBox(form, ScrollEdge::Lowered);
    g_program.box->SetAlign(Align::Client);
    g_program.box->SetColor(SystemColor(COLOR_APPWORKSPACE));
    g_program.view = NewPaintBox(g_program.box);
    g_program.view->SetSize(32, 32);
    SetOnPaint(*g_program.view, PaintView, nullptr);
}

// Where a point of the box's client area is in the form's client image.
POINT InFormImage(int x, int y) {
    POINT point{x, y};
    MapWindowPoints(g_program.box->Handle(), g_program.form->Handle(), &point, 1);
    return point;
}

COLORREF BoxPixel(int x, int y) {
    const POINT point = InFormImage(x, y);
    return headless::ClientPixel(g_program.form->Handle(), point.x, point.y);
}

RECT BoxClient() {
    RECT client{};
    GetClientRect(g_program.box->Handle(), &client);
    return client;
}

// Every pixel of the box's client area shows the picture scrolled by the
// bars' positions (and the workspace colour beyond it).
void ExpectViewShowsPicture(const char* step) {
    SCOPED_TRACE(step);
    const RECT client = BoxClient();
    const int dx = GetScrollPos(g_program.box->Handle(), SB_HORZ);
    const int dy = GetScrollPos(g_program.box->Handle(), SB_VERT);
    int wrong = 0;
    for (int y = 0; y < client.bottom; ++y) {
        for (int x = 0; x < client.right; ++x) {
            const int px = x + dx;
            const int py = y + dy;
            const COLORREF expected =
                px < kPictureWidth && py < kPictureHeight ? PictureColor(px, py) : kWorkspace;
            if (BoxPixel(x, y) != expected && wrong++ < 3)
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex
                              << BoxPixel(x, y) << ", expected " << expected;
        }
    }
    EXPECT_EQ(wrong, 0);
}

class ScenarioTest : public KitTest {};

TEST_F(ScenarioTest, ProgramIsDrivenThroughInputAndShowsTheScrolledPicture) {
    std::string picture = ::testing::TempDir();
    if (picture.empty() || picture.back() != '/') picture += '/';
    picture += "scenario.bmp";
    std::ofstream(picture) << "BM";
    BuildProgram();
    WatchDestroy(g_program.form, "form");
    WatchDestroy(g_program.dialog, "dialog");
    WatchDestroy(g_program.menu, "menu");
    WatchDestroy(g_program.box, "box");
    WatchDestroy(g_program.view, "view");
    headless::QueueFileDialogAnswer(picture);

    headless::QueueIdleAction([] {
        // Before anything is opened only the workspace colour shows.
        const RECT client = BoxClient();
        EXPECT_EQ(BoxPixel(0, 0), kWorkspace);
        EXPECT_EQ(BoxPixel(client.right - 1, client.bottom - 1), kWorkspace);
        EXPECT_EQ(g_program.view->FullRect(), MakeRect(0, 0, 32, 32));
        headless::PressKey('O', headless::kModControl);
    });
    headless::QueueIdleAction([] {
        EXPECT_TRUE(g_program.loaded);
        EXPECT_EQ(g_program.view->FullRect(), MakeRect(0, 0, kPictureWidth, kPictureHeight));
        ExpectViewShowsPicture("opened");
        // The right arrow of the horizontal bar: one line.
        const RECT client = BoxClient();
        headless::Click(g_program.box->Handle(), client.right - GetSystemMetrics(SM_CXHSCROLL) / 2,
                        client.bottom + GetSystemMetrics(SM_CYHSCROLL) / 2);
    });
    headless::QueueIdleAction([] {
        EXPECT_EQ(GetScrollPos(g_program.box->Handle(), SB_HORZ), 16);
        EXPECT_EQ(g_program.view->FullRect().Left, -16);
        ExpectViewShowsPicture("one line right");
        // The track just left of the right arrow: one page, up to the end.
        const RECT client = BoxClient();
        headless::Click(g_program.box->Handle(), client.right - GetSystemMetrics(SM_CXHSCROLL) - 3,
                        client.bottom + GetSystemMetrics(SM_CYHSCROLL) / 2);
    });
    headless::QueueIdleAction([] {
        const SCROLLINFO info = [] {
            SCROLLINFO bar{};
            bar.cbSize = sizeof(bar);
            bar.fMask = SIF_ALL;
            GetScrollInfo(g_program.box->Handle(), SB_HORZ, &bar);
            return bar;
        }();
        EXPECT_EQ(info.nPos, info.nMax - static_cast<int>(info.nPage) + 1);
        ExpectViewShowsPicture("one page right");
        // The wheel turned towards the user scrolls down.
        headless::Wheel(g_program.box->Handle(), 10, 10, -1);
    });
    headless::QueueIdleAction([] {
        EXPECT_GT(GetScrollPos(g_program.box->Handle(), SB_VERT), 0);
        ExpectViewShowsPicture("wheel");
        EXPECT_TRUE(headless::PickMenuItem(g_program.form->Handle(), {"View", "Warm colours"}));
    });
    headless::QueueIdleAction([] {
        EXPECT_TRUE(g_program.warm);
        ExpectViewShowsPicture("warm colours");
        EXPECT_TRUE(headless::PickMenuItem(g_program.form->Handle(), {"File", "Exit"}));
    });

    Control* main = g_program.form;
    winkit::Run(main);
    EXPECT_EQ(main, nullptr);
    EXPECT_EQ(g_program.opened, picture);
    EXPECT_EQ(DestroyedNames(),
              (std::vector<std::string>{"form", "dialog", "box", "view", "menu"}));
}

// The desktop program's view of a large picture: a 688 x 426 form with no
// child margin, a scrolling box with the lowered edge and the workspace
// colour, and a paint box that takes the picture's size when it paints. The
// picture is 100-pixel blocks of two colours; its last column, last row and
// corner have colours of their own.
constexpr int kLargeWidth = 1000;
constexpr int kLargeHeight = 800;
constexpr COLORREF kLastColumn = RGB(0, 0, 255);
constexpr COLORREF kLastRow = RGB(255, 0, 0);
constexpr COLORREF kCorner = RGB(255, 255, 0);
constexpr COLORREF kFace = RGB(212, 208, 200);
constexpr COLORREF kHighlight = RGB(255, 255, 255);
constexpr COLORREF kShadow = RGB(128, 128, 128);
constexpr COLORREF kDarkShadow = RGB(64, 64, 64);
constexpr int kBar = 16;

COLORREF LargeColor(int x, int y) {
    const bool lastColumn = x == kLargeWidth - 1;
    const bool lastRow = y == kLargeHeight - 1;
    if (lastColumn && lastRow) return kCorner;
    if (lastColumn) return kLastColumn;
    if (lastRow) return kLastRow;
    return ((x / 100 + y / 100) & 1) != 0 ? RGB(0, 160, 0) : RGB(0, 96, 96);
}

void PaintLarge(void*, KitObject* sender, HDC dc) {
    static_cast<Control*>(sender)->SetSize(kLargeWidth, kLargeHeight);
    for (int top = 0; top < kLargeHeight; top += 100) {
        for (int left = 0; left < kLargeWidth; left += 100)
            Fill(dc, left, top, left + 100, top + 100, LargeColor(left, top));
    }
    Fill(dc, kLargeWidth - 1, 0, kLargeWidth, kLargeHeight, kLastColumn);
    Fill(dc, 0, kLargeHeight - 1, kLargeWidth, kLargeHeight, kLastRow);
    Fill(dc, kLargeWidth - 1, kLargeHeight - 1, kLargeWidth, kLargeHeight, kCorner);
}

// One scroll bar of the box, read along its middle line in the form's image.
class BarReader {
public:
    explicit BarReader(int which) : m_vertical(which == SB_VERT) {
        const RECT client = BoxClient();
        m_length = m_vertical ? client.bottom : client.right;
        m_start = m_vertical ? POINT{client.right, 0} : POINT{0, client.bottom};
        m_image = headless::ClientImage(g_program.form->Handle());
    }
    int Length() const { return m_length; }
    // The pixel `along` the bar from its start and `across` from its edge.
    COLORREF At(int along, int across = kBar / 2) const {
        const POINT point = m_vertical ? InFormImage(m_start.x + across, m_start.y + along)
                                       : InFormImage(m_start.x + along, m_start.y + across);
        return m_image.At(point.x, point.y);
    }

private:
    bool m_vertical;
    int m_length = 0;
    POINT m_start{};
    headless::Image m_image;
};

// A raised button with an arrow whose wide side faces the bar's middle.
void ExpectArrow(const BarReader& bar, int start, bool low) {
    const int centre = start + kBar / 2;
    EXPECT_EQ(bar.At(start + 1, 2), kHighlight);
    EXPECT_EQ(bar.At(start + kBar - 1, 1), kDarkShadow);
    EXPECT_EQ(bar.At(start + kBar - 2, 2), kShadow);
    EXPECT_EQ(bar.At(centre), kBlack);
    const int wide = low ? centre + 1 : centre - 2;
    const int tip = low ? centre - 2 : centre + 1;
    EXPECT_EQ(bar.At(wide, kBar / 2 - 3), kBlack);
    EXPECT_EQ(bar.At(tip, kBar / 2 - 3), kFace);
}

struct Thumb {
    int start = -1;
    int end = -1; // one past its last pixel
};

// Checks arrows and track, and finds the thumb: a raised button (its last
// pixel the dark shadow) in a track of alternating face and highlight pixels.
Thumb ReadBar(int which) {
    const BarReader bar(which);
    ExpectArrow(bar, 0, true);
    ExpectArrow(bar, bar.Length() - kBar, false);
    Thumb thumb;
    for (int along = kBar; along < bar.Length() - kBar; ++along) {
        if (bar.At(along) == kDarkShadow) thumb.end = along + 1;
    }
    if (thumb.end < 0) {
        ADD_FAILURE() << "no thumb";
        return thumb;
    }
    int along = thumb.end - 3;
    while (along > kBar && bar.At(along) == kFace) --along;
    EXPECT_EQ(bar.At(along), kHighlight);
    thumb.start = along - 1;
    int wrong = 0;
    for (int at = kBar; at < bar.Length() - kBar - 1; ++at) {
        if (at >= thumb.start - 1 && at < thumb.end) continue;
        const COLORREF here = bar.At(at);
        const COLORREF next = bar.At(at + 1);
        const bool checker =
            (here == kFace && next == kHighlight) || (here == kHighlight && next == kFace);
        if (!checker && wrong++ < 3) ADD_FAILURE() << "track pixel " << at << " is " << here;
    }
    return thumb;
}

// Every client pixel of the box shows the large picture at the bars' positions.
void ExpectViewShowsLargePicture() {
    const RECT client = BoxClient();
    const int dx = GetScrollPos(g_program.box->Handle(), SB_HORZ);
    const int dy = GetScrollPos(g_program.box->Handle(), SB_VERT);
    const headless::Image image = headless::ClientImage(g_program.form->Handle());
    int wrong = 0;
    for (int y = 0; y < client.bottom; ++y) {
        for (int x = 0; x < client.right; ++x) {
            const POINT point = InFormImage(x, y);
            const COLORREF expected = LargeColor(x + dx, y + dy);
            if (image.At(point.x, point.y) != expected && wrong++ < 3)
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex
                              << image.At(point.x, point.y) << ", expected " << expected;
        }
    }
    EXPECT_EQ(wrong, 0);
}

class LargePictureTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        g_program = {};
        g_program.form = NewForm(nullptr, "Large");
        g_program.form->SetClientSize(688, 426);
        g_program.form->SetChildMargin(0);
        SetApplicationControl(g_program.form);
        g_program.box = NewScrollingBox(g_program.form, ScrollEdge::Lowered);
        g_program.box->SetAlign(Align::Client);
        g_program.box->SetColor(SystemColor(COLOR_APPWORKSPACE));
        g_program.view = NewPaintBox(g_program.box);
        g_program.view->SetSize(32, 32);
        SetOnPaint(*g_program.view, PaintLarge, nullptr);
        g_program.form->SetVisible(true);
        headless::RunPendingMessages();
    }

    static void ClickBar(int which, int along) {
        const RECT client = BoxClient();
        if (which == SB_HORZ)
            headless::Click(g_program.box->Handle(), along, client.bottom + kBar / 2);
        else
            headless::Click(g_program.box->Handle(), client.right + kBar / 2, along);
        headless::RunPendingMessages();
    }
};

TEST_F(LargePictureTest, BarsShowOverTheContentAndTheEndShowsItsLastPixels) {
    HWND box = g_program.box->Handle();
    ASSERT_EQ(BoxClient().right, 668);
    ASSERT_EQ(BoxClient().bottom, 406);
    EXPECT_EQ(g_program.view->FullRect(), MakeRect(0, 0, kLargeWidth, kLargeHeight));
    EXPECT_NE(GetWindowLongPtrA(box, GWL_STYLE) & WS_HSCROLL, 0);
    EXPECT_NE(GetWindowLongPtrA(box, GWL_STYLE) & WS_VSCROLL, 0);
    ExpectViewShowsLargePicture();
    // The corner between the bars is button face.
    EXPECT_EQ(BoxPixel(668 + kBar / 2, 406 + kBar / 2), kFace);

    for (const int which : {SB_HORZ, SB_VERT}) {
        SCOPED_TRACE(which == SB_HORZ ? "horizontal" : "vertical");
        const int length = which == SB_HORZ ? 668 : 406;
        const int content = which == SB_HORZ ? kLargeWidth : kLargeHeight;
        const Thumb first = ReadBar(which);
        EXPECT_EQ(first.start, kBar);
        const int thumbLength = first.end - first.start;
        EXPECT_NEAR(thumbLength, (length - 2 * kBar) * length / content, 1);

        // The high arrow scrolls one line and moves the thumb.
        ClickBar(which, length - kBar / 2);
        EXPECT_EQ(GetScrollPos(box, which), 16);
        const Thumb line = ReadBar(which);
        EXPECT_GT(line.start, first.start);
        EXPECT_EQ(line.end - line.start, thumbLength);
        ExpectViewShowsLargePicture();

        // Paging down the track stops at the end, with the thumb at the arrow.
        int previous = -1;
        for (int click = 0; click < 8 && GetScrollPos(box, which) != previous; ++click) {
            previous = GetScrollPos(box, which);
            ClickBar(which, length - kBar - 2);
        }
        EXPECT_EQ(GetScrollPos(box, which), content - length);
        const Thumb end = ReadBar(which);
        EXPECT_EQ(end.end, length - kBar);
        EXPECT_EQ(end.end - end.start, thumbLength);
        ExpectViewShowsLargePicture();

        // The low arrow comes back one line.
        ClickBar(which, kBar / 2);
        EXPECT_EQ(GetScrollPos(box, which), content - length - 16);
        EXPECT_LT(ReadBar(which).start, end.start);
        ClickBar(which, length - kBar - 2);
        EXPECT_EQ(GetScrollPos(box, which), content - length);
    }

    // Both bars at their ends: the picture's last column, last row and corner
    // are the client area's last column, last row and corner.
    EXPECT_EQ(g_program.view->FullRect(), MakeRect(-332, -394, 668, 406));
    EXPECT_EQ(BoxPixel(667, 405), kCorner);
    EXPECT_EQ(BoxPixel(667, 0), kLastColumn);
    EXPECT_EQ(BoxPixel(0, 405), kLastRow);
    EXPECT_EQ(BoxPixel(666, 404), LargeColor(998, 798));

    // The wheel turned away from the user scrolls three lines up.
    headless::Wheel(box, 10, 10, 1);
    headless::RunPendingMessages();
    EXPECT_EQ(GetScrollPos(box, SB_VERT), 394 - 48);
    EXPECT_LT(ReadBar(SB_VERT).end, 406 - kBar);
    ExpectViewShowsLargePicture();
}

} // namespace
} // namespace gleamkit::winkit
