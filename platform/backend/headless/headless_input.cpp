// The headless test API: scripted input, menu picks by caption, queued
// dialog answers, and a clean window manager between tests.
#include "platform/backend/headless/headless_backend.h"
#include "platform/user/user.h"

#include <string>
#include <utility>
#include <vector>

namespace gleamkit::headless {

void Install() {
    backend::InstallBackend(MakeHeadlessBackend());
}

void Reset() {
    backend::ResetWindowManager();
    Record() = HeadlessRecord{};
}

void KeyDown(int virtualKey) {
    backend::NativeKey(GetActiveWindow(), virtualKey, true);
}

void KeyUp(int virtualKey) {
    backend::NativeKey(GetActiveWindow(), virtualKey, false);
}

void PressKey(int virtualKey, UINT modifiers) {
    if (modifiers & kModShift) KeyDown(VK_SHIFT);
    if (modifiers & kModControl) KeyDown(VK_CONTROL);
    if (modifiers & kModAlt) KeyDown(VK_MENU);
    KeyDown(virtualKey);
    KeyUp(virtualKey);
    if (modifiers & kModAlt) KeyUp(VK_MENU);
    if (modifiers & kModControl) KeyUp(VK_CONTROL);
    if (modifiers & kModShift) KeyUp(VK_SHIFT);
}

namespace {

// The point in `hwnd`'s top-level image.
POINT ImagePoint(HWND hwnd, int x, int y, HWND* topLevel) {
    POINT point{x, y};
    ClientToScreen(hwnd, &point);
    *topLevel = GetAncestor(hwnd, GA_ROOT);
    const POINT origin = backend::ReadTopLevelImage(*topLevel).origin;
    return POINT{point.x - origin.x, point.y - origin.y};
}

// A caption as shown: without its "\t..." shortcut text and "&" marks.
std::string ShownCaption(const std::string& caption) {
    std::string shown;
    for (size_t i = 0; i < caption.size() && caption[i] != '\t'; ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) ++i;
        shown += caption[i];
    }
    return shown;
}

bool CaptionMatches(const std::string& caption, const std::string& wanted) {
    return caption == wanted || ShownCaption(caption) == wanted;
}

// Follows captions from `menu` down; answers the command id of the enabled
// command item at the end, and the sub-menus opened on the way with their
// positions. False when the path is broken or passes a grayed item.
bool FindMenuPath(HMENU menu, const std::vector<std::string>& path, UINT* commandId,
                  std::vector<std::pair<HMENU, int>>* opened) {
    HMENU current = menu;
    for (size_t level = 0; level < path.size(); ++level) {
        const int count = GetMenuItemCount(current);
        int position = 0;
        MENUITEMINFOA item{};
        char text[256] = {};
        for (; position < count; ++position) {
            item = MENUITEMINFOA{};
            item.cbSize = sizeof(item);
            item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
            item.dwTypeData = text;
            item.cch = sizeof(text);
            if (GetMenuItemInfoA(current, static_cast<UINT>(position), TRUE, &item) &&
                (item.fType & (MFT_SEPARATOR | MFT_BITMAP | MFT_OWNERDRAW)) == 0 &&
                CaptionMatches(text, path[level])) {
                break;
            }
        }
        // A stale menu counts -1 items: nothing is found there either.
        if (position >= count || (item.fState & MFS_GRAYED) != 0) return false;
        const bool last = level + 1 == path.size();
        if (last) {
            if (item.hSubMenu != nullptr) return false;
            *commandId = item.wID;
            return true;
        }
        if (item.hSubMenu == nullptr) return false;
        opened->emplace_back(item.hSubMenu, position);
        current = item.hSubMenu;
    }
    return false;
}

} // namespace

void MouseMove(HWND hwnd, int x, int y) {
    HWND topLevel = nullptr;
    const POINT point = ImagePoint(hwnd, x, y, &topLevel);
    backend::NativeMouseMove(topLevel, point, 0);
}

void MouseDown(HWND hwnd, int x, int y, MouseButton button) {
    HWND topLevel = nullptr;
    const POINT point = ImagePoint(hwnd, x, y, &topLevel);
    backend::NativeMouseButton(topLevel, point, button, true, 0);
}

void MouseUp(HWND hwnd, int x, int y, MouseButton button) {
    HWND topLevel = nullptr;
    const POINT point = ImagePoint(hwnd, x, y, &topLevel);
    backend::NativeMouseButton(topLevel, point, button, false, 0);
}

void Click(HWND hwnd, int x, int y, MouseButton button) {
    MouseDown(hwnd, x, y, button);
    MouseUp(hwnd, x, y, button);
}

void Wheel(HWND hwnd, int x, int y, int notches) {
    HWND topLevel = nullptr;
    const POINT point = ImagePoint(hwnd, x, y, &topLevel);
    backend::NativeMouseWheel(topLevel, point, notches * WHEEL_DELTA, 0);
}

bool PickMenuItem(HWND hwnd, std::initializer_list<std::string> path) {
    const HWND topLevel = GetAncestor(hwnd, GA_ROOT);
    const HMENU menu = GetMenu(topLevel);
    const std::vector<std::string> captions(path);
    UINT command = 0;
    std::vector<std::pair<HMENU, int>> opened;
    if (menu == nullptr || !IsWindowEnabled(topLevel) ||
        !FindMenuPath(menu, captions, &command, &opened)) {
        return false;
    }
    // The program prepares the menus as they open, as with a real pointer.
    SendMessageA(topLevel, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
    for (const auto& [subMenu, position] : opened) {
        SendMessageA(topLevel, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(subMenu),
                     MAKELPARAM(position, 0));
    }
    opened.clear();
    if (!IsWindow(topLevel) || !FindMenuPath(GetMenu(topLevel), captions, &command, &opened)) {
        return false;
    }
    return PostMessageA(topLevel, WM_COMMAND, MAKEWPARAM(static_cast<int>(command & 0xFFFF), 0),
                        0) != FALSE;
}

bool RunPendingMessages(int* exitCode) {
    for (int count = 0; count < 1000000; ++count) {
        MSG msg{};
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return true;
        if (msg.message == WM_QUIT) {
            if (exitCode != nullptr) *exitCode = static_cast<int>(msg.wParam);
            return false;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return true;
}

void QueueFileDialogAnswer(const std::string& path, int filterIndex) {
    QueueFileDialogAnswer(std::vector<std::string>{path}, filterIndex);
}

void QueueFileDialogAnswer(const std::vector<std::string>& paths, int filterIndex) {
    Record().fileAnswers.push_back([paths, filterIndex](const backend::FileDialogRequest& request) {
        backend::FileDialogAnswer answer;
        answer.accepted = true;
        answer.paths = paths;
        answer.filterIndex = filterIndex > 0 ? filterIndex : request.filterIndex;
        return answer;
    });
}

void QueueFileDialogCancel() {
    Record().fileAnswers.push_back(
        [](const backend::FileDialogRequest&) { return backend::FileDialogAnswer{}; });
}

void QueueFileDialogAnswer(
    std::function<backend::FileDialogAnswer(const backend::FileDialogRequest&)> answer) {
    Record().fileAnswers.push_back(std::move(answer));
}

const std::vector<backend::FileDialogRequest>& ShownFileDialogs() {
    return Record().fileDialogs;
}

void QueueMessageBoxAnswer(int answer) {
    Record().boxAnswers.push_back(answer);
}

const std::vector<ShownMessageBox>& ShownMessageBoxes() {
    return Record().boxes;
}

int MenuBarRedraws(HWND hwnd) {
    const auto found = Record().menuBarRedraws.find(hwnd);
    return found == Record().menuBarRedraws.end() ? 0 : found->second;
}

void QueueIdleAction(std::function<void()> action) {
    Record().idleActions.push_back(std::move(action));
}

} // namespace gleamkit::headless
