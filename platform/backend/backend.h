// The one interface between the Win32-shaped window manager and a native
// backend (headless in memory, or GTK). Window records, the message queue,
// menus, accelerators and painting live above it, so both backends behave
// alike; a backend only mirrors top-level windows, shows their composed
// surfaces, turns native input into the Native* calls of native_events.h, and
// runs the modal file dialog and message boxes.
//
// Every call comes from the program's one thread. A backend never lets a C++
// exception out of a native callback: native callbacks only call the Native*
// functions (all noexcept), which queue work for the message loop.
#pragma once

#include "platform/win32_types.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace gleamkit::backend {

// What the native file dialog is asked to show. The window manager has checked
// the caller's record already and enforces the OFN_ rules on the answer.
struct FileDialogRequest {
    HWND owner = nullptr; // a top-level window (disabled while the dialog runs) or none
    bool save = false;    // the save dialog (else the open dialog)
    std::string title;    // empty: the backend's own caption ("Open" / "Save As")
    std::vector<std::pair<std::string, std::string>> filters; // (description, "*.a;*.b")
    int filterIndex = 1;          // 1-based pair selected at the start (1 when there are none)
    std::string initialDir;       // empty: the current directory
    std::string initialName;      // the name shown at the start (may hold a folder)
    std::string defaultExtension; // without a dot; empty for none
    bool multiSelect = false;
    bool fileMustExist = false; // the backend may refuse such names itself
};

// The user's answer. `paths` are as typed or chosen (relative ones are taken
// against initialDir); several only with multiSelect.
struct FileDialogAnswer {
    bool accepted = false;
    std::vector<std::string> paths;
    int filterIndex = 1; // 1-based pair in use when the dialog closed
};

class Backend {
public:
    virtual ~Backend() = default;

    // "headless" or "gtk".
    virtual const char* Name() const = 0;
    // The screen size in pixels (the work area top-level windows are placed in).
    virtual SIZE ScreenSize() const = 0;

    // A top-level window was made (hidden). `surface` is the size of its
    // composed image: the window less the frame, caption and menu bar that the
    // backend draws natively.
    virtual void TopLevelCreated(HWND hwnd, const char* title, SIZE surface) = 0;
    // The window is going; no call names it afterwards.
    virtual void TopLevelDestroyed(HWND hwnd) = 0;
    virtual void TopLevelShown(HWND hwnd, bool visible) = 0;
    // The window moved or changed size: `surfaceOnScreen` is where the composed
    // image sits in screen coordinates (its size is the image's new size).
    virtual void TopLevelPlaced(HWND hwnd, const RECT& surfaceOnScreen) = 0;
    virtual void TopLevelTitleChanged(HWND hwnd, const char* title) = 0;
    // The window's menu bar changed (SetMenu, DrawMenuBar): the backend rereads
    // it with GetMenu, GetMenuItemCount and GetMenuItemInfoA. `menu` may be NULL.
    virtual void MenuBarChanged(HWND hwnd, HMENU menu) = 0;
    // An item somewhere below the window's menu bar changed (text, state, a
    // radio mark) without a redraw being asked; the native mirror follows.
    virtual void MenuChanged(HWND hwnd) = 0;
    // Pixels of the composed image inside `area` (image coordinates) changed;
    // the backend shows them, now or at its next draw, reading them with
    // ReadTopLevelImage (native_events.h).
    virtual void Present(HWND hwnd, const RECT& area) = 0;
    // The keyboard focus moved into (or out of, NULL) a top-level window.
    virtual void TopLevelActivated(HWND hwnd) = 0;
    // The mouse is captured (a window holds it) or released.
    virtual void CaptureChanged(HWND captureTopLevel) = 0;

    // Waits for native events and turns them into Native* calls. With `block`
    // false it only handles what is pending. Answers false when nothing can
    // ever arrive (the headless backend with no scripted input left); the
    // window manager then posts WM_QUIT so that a waiting loop ends.
    virtual bool WaitForEvents(bool block) = 0;

    // Runs the modal file dialog. While it is up the backend keeps the
    // program's windows painted by calling PumpModalMessages (native_events.h)
    // and ends the dialog (answering not accepted) when that answers false.
    virtual FileDialogAnswer RunFileDialog(const FileDialogRequest& request) = 0;
    // Runs a modal message box and answers the button (IDOK, IDYES, ...).
    virtual int RunMessageBox(HWND owner, const std::string& text, const std::string& caption,
                              UINT type) = 0;
};

// The backend in use: the one installed, else a headless backend made on
// first use.
Backend& CurrentBackend();
// Installs `backend` (replacing the one in use). Call before the first window
// is made; windows made earlier are not told about the new backend.
void InstallBackend(std::unique_ptr<Backend> backend);

} // namespace gleamkit::backend
