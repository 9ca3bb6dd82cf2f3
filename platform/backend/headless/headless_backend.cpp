// The headless backend: no native windows. Composed images stay in the
// window manager's surfaces (tests read them); waiting runs the test's queued
// idle actions; dialogs and message boxes take the test's queued answers.
#include "platform/backend/headless/headless_backend.h"

#include "platform/backend/native_events.h"
#include "platform/user/user.h"

#include <cstdio>

namespace gleamkit::headless {

HeadlessRecord& Record() {
    static HeadlessRecord record;
    return record;
}

namespace {

// The screen tests place windows on: the size GetDC(NULL) draws on too.
constexpr SIZE kScreen{1024, 768};

int FirstButton(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_ABORTRETRYIGNORE:
        return IDABORT;
    case MB_YESNO:
    case MB_YESNOCANCEL:
        return IDYES;
    case MB_RETRYCANCEL:
        return IDRETRY;
    default:
        return IDOK;
    }
}

class HeadlessBackend final : public backend::Backend {
public:
    const char* Name() const override { return "headless"; }
    SIZE ScreenSize() const override { return kScreen; }
    void TopLevelCreated(HWND, const char*, SIZE) override {}
    void TopLevelDestroyed(HWND hwnd) override { Record().menuBarRedraws.erase(hwnd); }
    void TopLevelShown(HWND, bool) override {}
    void TopLevelPlaced(HWND, const RECT&) override {}
    void TopLevelTitleChanged(HWND, const char*) override {}
    void MenuBarChanged(HWND hwnd, HMENU) override { ++Record().menuBarRedraws[hwnd]; }
    void MenuChanged(HWND) override {}
    void Present(HWND, const RECT&) override {}
    void TopLevelActivated(HWND) override {}
    void CaptureChanged(HWND) override {}

    bool WaitForEvents(bool) override {
        auto& actions = Record().idleActions;
        if (actions.empty()) return false;
        const std::function<void()> action = std::move(actions.front());
        actions.pop_front();
        action();
        return true;
    }

    backend::FileDialogAnswer RunFileDialog(const backend::FileDialogRequest& request) override {
        Record().fileDialogs.push_back(request);
        // The program's windows are painted while the dialog is up.
        if (!backend::PumpModalMessages()) return {};
        auto& answers = Record().fileAnswers;
        if (answers.empty()) return {};
        const auto answer = std::move(answers.front());
        answers.pop_front();
        return answer(request);
    }

    int RunMessageBox(HWND owner, const std::string& text, const std::string& caption,
                      UINT type) override {
        Record().boxes.push_back(ShownMessageBox{owner, text, caption, type});
        auto& answers = Record().boxAnswers;
        if (answers.empty()) {
            // Unanswered, the box's only reader is the person at the terminal.
            std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
            return FirstButton(type);
        }
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

} // namespace

std::unique_ptr<backend::Backend> MakeHeadlessBackend() {
    return std::make_unique<HeadlessBackend>();
}

} // namespace gleamkit::headless
