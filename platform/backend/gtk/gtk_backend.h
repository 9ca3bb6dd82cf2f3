// The GTK 3 backend's pieces, shared by its files (the only code that
// includes GTK headers). One GtkWindow per top-level window: a menu bar
// mirrored from the window's menu handle above a drawing area that shows the
// composed client image. GTK callbacks only queue input (native_events.h) and
// never let an exception out.
#pragma once

#include "platform/backend/backend.h"

#include <gtk/gtk.h>

#include <memory>
#include <string>

namespace gleamkit::gtk {

// Opens the display (gtk_init_check). False when none can be opened.
bool OpenDisplay(int* argc, char*** argv);
std::unique_ptr<backend::Backend> MakeGtkBackend();

// The window-manager side of a top-level window the backend mirrors.
struct NativeWindow {
    HWND hwnd = nullptr;
    GtkWidget* window = nullptr;
    GtkWidget* box = nullptr;
    GtkWidget* menuBar = nullptr; // NULL while the window has no menu
    GtkWidget* view = nullptr;    // the drawing area (image coordinates)
    SIZE image{};                 // the composed image's size as the window manager has it
    POINT origin{};               // where the window manager placed the image on screen
    bool mirroringMenu = false;   // menu signals are ours while set
    bool fitting = false;         // the drawing area asks for the image's size
    guint sizeIdle = 0;           // the idle source that ends `fitting`'s request
    guint menuIdle = 0;           // the idle source that refreshes the menu bar
};

// The native window of `hwnd`, or NULL.
NativeWindow* FindNative(HWND hwnd);
// The toplevel GtkWindow of `hwnd`'s native window, or NULL.
GtkWindow* GtkWindowOf(HWND hwnd);

// Menu bar (gtk_menu.cpp): rebuilds the bar from the window's menu handle,
// or updates labels, sensitivity and marks in place when only they changed.
void MirrorMenuBar(NativeWindow& native, HMENU menu);
void RefreshMenuBar(NativeWindow& native);

// Keys (gtk_keys.cpp): the Win32 virtual key of a key event (0 when the key
// has none) and the held modifiers as backend::kMod* bits.
int VirtualKeyOf(const GdkEventKey& event);
UINT ModifiersOf(guint state);

// Dialogs (gtk_dialogs.cpp).
backend::FileDialogAnswer RunFileChooser(const backend::FileDialogRequest& request);
int RunMessageDialog(HWND owner, const std::string& text, const std::string& caption, UINT type);

// Runs a modal dialog's loop: iterates GTK and the program's queue until
// `*done` is set; false when the program's loop ended meanwhile (WM_QUIT or
// an exception), the dialog then counts as cancelled.
bool RunModal(GtkWidget* dialog, const bool* done);

} // namespace gleamkit::gtk
