// The kit-wide state and the message loop: Run, ProcessMessages, Terminate,
// and the exception a handler left behind in the kit window procedure.
#include <exception>

#include "winkit/application.h"

namespace gleamkit::winkit {

namespace {

Control* g_applicationControl = nullptr;
int g_loopRunning = 0;
bool g_terminated = false;
std::exception_ptr g_pendingException;
KeyTranslationHook g_keyTranslationHook = nullptr;
RealignHook g_realignHook = nullptr;

} // namespace

Control* ApplicationControl() {
    return g_applicationControl;
}
void SetApplicationControl(Control* control) {
    g_applicationControl = control;
}
bool LoopRunning() {
    return g_loopRunning != 0;
}
bool Terminated() {
    return g_terminated;
}

void KeepPendingException() noexcept {
    if (!g_pendingException) g_pendingException = std::current_exception();
}

void RethrowPendingException() {
    if (!g_pendingException) return;
    std::exception_ptr pending = g_pendingException;
    g_pendingException = nullptr;
    std::rethrow_exception(pending);
}

void InstallKeyTranslationHook(KeyTranslationHook hook) {
    g_keyTranslationHook = hook;
}
KeyTranslationHook InstalledKeyTranslationHook() {
    return g_keyTranslationHook;
}
void InstallRealignHook(RealignHook hook) {
    g_realignHook = hook;
}
RealignHook InstalledRealignHook() {
    return g_realignHook;
}

bool ProcessMessage() {
    MSG message{};
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return false;
    if (message.message == WM_QUIT) {
        g_terminated = true;
    } else {
        TranslateMessage(&message);
        DispatchMessageA(&message);
        RethrowPendingException();
    }
    return message.message != 0;
}

void ProcessMessages() {
    while (ProcessMessage()) {
    }
}

void Run(Control*& main) {
    ++g_loopRunning;
    g_applicationControl = main;
    if (main) main->CreateWindowStep();
    RethrowPendingException();
    while (!g_terminated) {
        WaitMessage();
        ProcessMessages();
    }
    if (main) Terminate(main);
}

void Terminate(Control*& main) {
    const bool wasTerminated = g_terminated;
    g_terminated = true;
    g_loopRunning = 0;
    Control* application = g_applicationControl;
    g_applicationControl = nullptr;
    if (!application) return;

    application->HoldRef();
    struct Release {
        Control*& main;
        Control* application;
        ~Release() {
            main = nullptr;
            Free(application);
            application->DropRef();
        }
    } release{main, application};
    if (!wasTerminated) {
        ProcessMessages();
        application->SendToSelf(WM_CLOSE, 0, 0);
    }
}

void ResetApplication() {
    g_applicationControl = nullptr;
    g_loopRunning = 0;
    g_terminated = false;
    g_pendingException = nullptr;
}

} // namespace gleamkit::winkit
