// Shared pieces of the window-manager tests: a clean headless window manager
// per test, a class whose procedure records every message it gets (and can be
// given a handler for one test), and small window makers.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <vector>

#include "platform/backend/headless/headless.h"
#include "platform/gdi/gdi.h"
#include "platform/win32.h"

namespace usertest {

struct Logged {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

inline std::vector<Logged>& Log() {
    static std::vector<Logged> log;
    return log;
}

// A handler may answer a message itself (a value) or pass it on (nullopt).
using Handler = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;
inline Handler& TestHandler() {
    static Handler handler;
    return handler;
}

inline LRESULT RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Log().push_back(Logged{hwnd, message, wParam, lParam});
    if (TestHandler()) {
        if (const auto answer = TestHandler()(hwnd, message, wParam, lParam)) return *answer;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

inline constexpr const char* kClassName = "TestWindow";

// The messages `hwnd` got, in order, leaving out those in `ignore`.
inline std::vector<UINT> MessagesOf(HWND hwnd, const std::vector<UINT>& ignore = {}) {
    std::vector<UINT> messages;
    for (const Logged& entry : Log()) {
        if (entry.hwnd != hwnd) continue;
        if (std::find(ignore.begin(), ignore.end(), entry.message) != ignore.end()) continue;
        messages.push_back(entry.message);
    }
    return messages;
}

inline int CountOf(HWND hwnd, UINT message) {
    int count = 0;
    for (const Logged& entry : Log()) count += entry.hwnd == hwnd && entry.message == message;
    return count;
}

class UserTest : public ::testing::Test {
protected:
    void SetUp() override {
        gleamkit::headless::Reset();
        Log().clear();
        TestHandler() = nullptr;
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = RecordingProc;
        windowClass.hbrBackground =
            reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_WINDOW + 1));
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kClassName;
        ASSERT_NE(RegisterClassA(&windowClass), 0);
    }
    void TearDown() override {
        TestHandler() = nullptr;
        gleamkit::headless::Reset();
    }

    // A visible top-level window whose client area is width x height.
    static HWND MakeTopLevel(int width = 300, int height = 200, DWORD style = WS_OVERLAPPEDWINDOW) {
        RECT rect{0, 0, width, height};
        AdjustWindowRectEx(&rect, style, FALSE, 0);
        return CreateWindowExA(0, kClassName, "Top", style | WS_VISIBLE, 10, 20,
                               rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                               nullptr, nullptr);
    }
    static HWND MakeChild(HWND parent, int x, int y, int width, int height, DWORD style = 0,
                          DWORD exStyle = 0, int id = 7) {
        return CreateWindowExA(exStyle, kClassName, "", WS_CHILD | WS_VISIBLE | style, x, y, width,
                               height, parent, reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)),
                               nullptr, nullptr);
    }
};

} // namespace usertest
