// A small kit program for the GUI test under Xvfb: a form with a menu bar
// (a sub-menu, a grayed bar item, a check item, a bar item without a
// sub-menu, an accelerator) and a scroll box holding a 1000 x 800 picture. It
// reports what it does on stdout, one line each, so the test can wait for it:
//   paint VX VY SX SY W H   the view painted: its place in the box, the box
//                           client's top-left on screen and the client size
//   opened PATH | cancelled  the file dialog's outcome
//   command NAME [on|off]    a menu command ran (check items with their mark)
//   box ANSWER               the message box's answer
//   closed                   the form is going
#include "platform/backend/desktop_backend.h"
#include "platform/win32.h"
#include "winkit/file_chooser.h"
#include "winkit/menu.h"
#include "winkit/paint_box.h"
#include "winkit/scroll_box.h"
#include "winkit/winkit.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

namespace {

using namespace gleamkit;
using namespace gleamkit::winkit;

constexpr int kWidth = 1000;
constexpr int kHeight = 800;

// Item numbers in the menu's order. "Effects" holds as many entries as the
// desktop program's (a menu taller than the screen) and is grayed until a
// picture is open.
enum Item { kOpen = 1, kExit = 3, kGrid = 5, kEffects = 9 };
constexpr int kEffectCount = 49;
constexpr int kAbout = kEffects + kEffectCount + 3;
constexpr int kError = kAbout + 1;

std::vector<std::string> MenuStrings() {
    std::vector<std::string> strings = {"&File",    "(",     "&Open picture...\tCtrl+O",
                                        "-",        "E&xit", ")",
                                        "&View",    "(",     "-&Grid",
                                        "&Zoom",    "(",     "&Small",
                                        "&Large",   ")",     ")",
                                        "&Effects", "("};
    for (int effect = 1; effect <= kEffectCount; ++effect) {
        strings.push_back("Effect " + std::to_string(effect));
    }
    for (const char* tail : {")", "&Undo", "&Help", "(", "&About...", "&Error...", ")", ""}) {
        strings.emplace_back(tail);
    }
    return strings;
}

struct Program {
    Control* form = nullptr;
    Menu* menu = nullptr;
    Control* box = nullptr;
    Control* view = nullptr;
    FileChooser* dialog = nullptr;
    HDC pictureDC = nullptr;
    HBITMAP picture = nullptr;
    uint32_t* pixels = nullptr;
    bool loaded = false;
    bool grid = false;
};

Program g_program;

// The picture: a colour per pixel that tells its place (red and green the
// low bytes of x and y, blue the 256-pixel tile), black grid lines every 100
// pixels when the grid is on.
uint32_t PictureColor(int x, int y, bool grid) {
    if (grid && (x % 100 == 0 || y % 100 == 0)) return 0;
    const uint32_t blue =
        64 + 40 * static_cast<uint32_t>(x / 256) + 16 * static_cast<uint32_t>(y / 256);
    return (static_cast<uint32_t>(x & 0xFF) << 16) | (static_cast<uint32_t>(y & 0xFF) << 8) | blue;
}

void DrawPicture() {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    if (g_program.picture == nullptr) {
        void* bits = nullptr;
        g_program.picture = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        g_program.pixels = static_cast<uint32_t*>(bits);
        g_program.pictureDC = CreateCompatibleDC(nullptr);
        SelectObject(g_program.pictureDC, g_program.picture);
    }
    uint32_t* pixels = g_program.pixels;
    if (pixels == nullptr) return;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x)
            pixels[y * kWidth + x] = PictureColor(x, y, g_program.grid);
    }
}

void Paint(void*, KitObject* sender, HDC dc) {
    auto* view = static_cast<Control*>(sender);
    RECT client{};
    GetClientRect(g_program.box->Handle(), &client);
    POINT corner{0, 0};
    ClientToScreen(g_program.box->Handle(), &corner);
    if (!g_program.loaded) {
        RECT area{0, 0, 32, 32};
        FillRect(dc, &area, reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1));
    } else {
        view->SetSize(kWidth, kHeight);
        BitBlt(dc, 0, 0, kWidth, kHeight, g_program.pictureDC, 0, 0, SRCCOPY);
    }
    const Rect place = view->FullRect();
    std::printf("paint %d %d %d %d %d %d\n", place.Left, place.Top, corner.x, corner.y,
                client.right, client.bottom);
}

void Open(void*, KitObject*, int32_t) {
    if (!g_program.dialog->RunDialog()) {
        std::printf("cancelled\n");
        return;
    }
    std::printf("opened %s\n", g_program.dialog->Filename.c_str());
    g_program.loaded = true;
    SetItemEnabled(g_program.menu, kEffects, true);
    DrawPicture();
    g_program.view->Invalidate();
}

void Chosen(void*, KitObject* sender, int32_t index) {
    Menu* item = FindItem(static_cast<Menu*>(sender), index);
    if (index == kGrid) {
        g_program.grid = ItemState(item, kItemChecked);
        std::printf("command Grid %s\n", g_program.grid ? "on" : "off");
        if (g_program.loaded) DrawPicture();
        g_program.view->Invalidate();
        return;
    }
    std::string caption = item->Caption();
    caption.erase(std::remove(caption.begin(), caption.end(), '&'), caption.end());
    std::printf("command %s\n", caption.c_str());
}

void About(void*, KitObject*, int32_t) {
    const int answer = MessageBoxA(g_program.form->Handle(), "Is the picture shown?",
                                   "About the test", MB_YESNO | MB_ICONQUESTION);
    std::printf("box %d\n", answer);
}

// A box without an owner, as the last-chance error handler shows one.
void Error(void*, KitObject*, int32_t) {
    const int answer =
        MessageBoxA(nullptr, "Something failed.", "Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
    std::printf("box %d\n", answer);
}

void Exit(void*, KitObject*, int32_t) {
    g_program.form->Close();
}

void Closing(void*, KitObject*, bool&) {
    std::printf("closed\n");
}

void Build() {
    g_program.form = NewForm(nullptr, "Gleamkit GUI Test");
    SetApplicationControl(g_program.form);
    g_program.form->SetPosition(20, 20);
    g_program.form->SetClientSize(520, 380);
    g_program.form->SetChildMargin(0);
    g_program.form->OnClose = {Closing, nullptr};
    const std::vector<std::string> strings = MenuStrings();
    std::vector<const char*> menuTemplate;
    for (const std::string& text : strings) menuTemplate.push_back(text.c_str());
    g_program.menu = NewMenu(g_program.form, menuTemplate, {Chosen, nullptr});
    const ItemChosenEvent open{Open, nullptr};
    const ItemChosenEvent exit{Exit, nullptr};
    const ItemChosenEvent about{About, nullptr};
    const ItemChosenEvent error{Error, nullptr};
    SetItemHandlers(g_program.menu, kOpen, {&open, 1});
    SetItemHandlers(g_program.menu, kExit, {&exit, 1});
    SetItemHandlers(g_program.menu, kAbout, {&about, 1});
    SetItemHandlers(g_program.menu, kError, {&error, 1});
    SetItemAccelerator(g_program.menu, kOpen, PackAccelerator(FVIRTKEY | FCONTROL, 'O'));
    SetItemEnabled(g_program.menu, kEffects, false);
    g_program.dialog = NewFileChooser("Open picture", "", {});
    g_program.dialog->Filter = "Bitmaps|*.bmp|All files|*.*";
    AddOwned(g_program.form, g_program.dialog);
    g_program.box = NewScrollingBox(g_program.form, ScrollEdge::Lowered);
    g_program.box->SetAlign(Align::Client);
    g_program.box->SetColor(SystemColor(COLOR_APPWORKSPACE));
    g_program.view = NewPaintBox(g_program.box);
    g_program.view->SetSize(32, 32);
    SetOnPaint(*g_program.view, Paint, nullptr);
}

} // namespace

int main(int argc, char** argv) {
    // The test reads the report through a pipe or file as it comes.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (!gleamkit::backend::InstallDesktopBackend(&argc, &argv)) return 1;
    try {
        Build();
        Control* main = g_program.form;
        Run(main);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
