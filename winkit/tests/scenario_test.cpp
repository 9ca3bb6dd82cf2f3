// A small program driven only through input, as a user would drive it: a form
// with a menu, a scrolling box and a paint box; Ctrl+O opens a "picture"
// through the file dialog, clicks on the scroll bar and the wheel scroll it,
// a check item recolours it, "Exit" ends the loop. The composed client image
// is checked after each step.
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

} // namespace
} // namespace gleamkit::winkit
