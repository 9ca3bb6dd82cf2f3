// The GTK 3 backend: top-level windows, drawing the composed image, and
// keyboard, mouse and window events turned into native input. The program's
// own loop drives GTK: waiting for events is one main-context iteration.
#include "platform/backend/gtk/gtk_backend.h"

#include "platform/backend/native_events.h"
#include "platform/user/user.h"

#include <cairo.h>

#include <algorithm>
#include <map>

namespace gleamkit::gtk {

namespace {

std::map<HWND, std::unique_ptr<NativeWindow>>& Windows() {
    static std::map<HWND, std::unique_ptr<NativeWindow>> windows;
    return windows;
}

HWND HwndOf(gpointer data) {
    return static_cast<HWND>(data);
}

// Shows the composed image; parts the image does not cover yet (the window
// grew and the program has not repainted) show the button face.
gboolean OnDraw(GtkWidget* widget, cairo_t* cr, gpointer data) {
    const backend::TopLevelImage image = backend::ReadTopLevelImage(HwndOf(data));
    cairo_set_source_rgb(cr, 212 / 255.0, 208 / 255.0, 200 / 255.0);
    cairo_paint(cr);
    if (image.bits == nullptr || image.width <= 0 || image.height <= 0) return TRUE;
    // 32-bit BGRX rows are cairo's RGB24 on a little-endian machine; cairo only
    // reads the pixels of a source surface.
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        const_cast<unsigned char*>(image.bits), CAIRO_FORMAT_RGB24, image.width, image.height,
        image.stride);
    if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
        cairo_set_source_surface(cr, surface, 0, 0);
        cairo_rectangle(cr, 0, 0, std::min(image.width, gtk_widget_get_allocated_width(widget)),
                        std::min(image.height, gtk_widget_get_allocated_height(widget)));
        cairo_fill(cr);
    }
    cairo_surface_destroy(surface);
    return TRUE;
}

POINT PointOf(double x, double y) {
    return POINT{static_cast<LONG>(x), static_cast<LONG>(y)};
}

// The modifier keys the window manager was told are down. A menu or dialog
// that holds the keyboard takes their releases, so before each key the
// window manager's view is brought back in line with GTK's.
struct HeldModifier {
    int virtualKey;
    UINT modifier;
    bool down;
};

HeldModifier g_modifiers[] = {{VK_SHIFT, backend::kModShift, false},
                              {VK_CONTROL, backend::kModControl, false},
                              {VK_MENU, backend::kModAlt, false}};

void ReleaseModifiersNotIn(HWND hwnd, UINT held) {
    for (HeldModifier& modifier : g_modifiers) {
        if (modifier.down && (held & modifier.modifier) == 0) {
            modifier.down = false;
            backend::NativeKey(hwnd, modifier.virtualKey, false);
        }
    }
}

void Key(HWND hwnd, int virtualKey, bool down) {
    for (HeldModifier& modifier : g_modifiers) {
        if (modifier.virtualKey == virtualKey) modifier.down = down;
    }
    backend::NativeKey(hwnd, virtualKey, down);
}

gboolean OnButton(GtkWidget* widget, GdkEventButton* event, gpointer data) {
    // The window manager tells double clicks itself; GTK's extra events for
    // them are not presses of their own.
    if (event->type != GDK_BUTTON_PRESS && event->type != GDK_BUTTON_RELEASE) return TRUE;
    backend::MouseButton button = backend::MouseButton::Left;
    if (event->button == 2) button = backend::MouseButton::Middle;
    if (event->button == 3) button = backend::MouseButton::Right;
    if (event->button > 3) return FALSE;
    const bool down = event->type == GDK_BUTTON_PRESS;
    if (down) gtk_widget_grab_focus(widget);
    ReleaseModifiersNotIn(HwndOf(data), ModifiersOf(event->state));
    backend::NativeMouseButton(HwndOf(data), PointOf(event->x, event->y), button, down,
                               ModifiersOf(event->state));
    return TRUE;
}

gboolean OnMotion(GtkWidget*, GdkEventMotion* event, gpointer data) {
    backend::NativeMouseMove(HwndOf(data), PointOf(event->x, event->y), ModifiersOf(event->state));
    return TRUE;
}

// Whole notches only: the drawing area does not ask for smooth scrolling.
gboolean OnScroll(GtkWidget*, GdkEventScroll* event, gpointer data) {
    int delta = 0;
    if (event->direction == GDK_SCROLL_UP) delta = WHEEL_DELTA;
    if (event->direction == GDK_SCROLL_DOWN) delta = -WHEEL_DELTA;
    if (delta != 0) {
        backend::NativeMouseWheel(HwndOf(data), PointOf(event->x, event->y), delta,
                                  ModifiersOf(event->state));
    }
    return TRUE;
}

// Modifier keys go through as their own key events; a key that is one of the
// program's accelerators is taken at once (GTK must not give it to the menu
// bar too); any other key also goes on to GTK, so F10 and Alt reach the bar.
gboolean OnKey(GtkWidget*, GdkEventKey* event, gpointer data) {
    const int virtualKey = VirtualKeyOf(*event);
    if (virtualKey == 0) return FALSE;
    const bool down = event->type == GDK_KEY_PRESS;
    const HWND hwnd = HwndOf(data);
    const UINT modifiers = ModifiersOf(event->state);
    ReleaseModifiersNotIn(hwnd, modifiers);
    const bool accelerator = down && backend::NativeKeyIsAccelerator(virtualKey, modifiers);
    Key(hwnd, virtualKey, down);
    return accelerator ? TRUE : FALSE;
}

gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
    backend::NativeCloseRequest(HwndOf(data));
    return TRUE; // the window manager decides; the window stays until destroyed
}

gboolean OnFocus(GtkWidget*, GdkEventFocus* event, gpointer data) {
    // Keys released while another window had the keyboard were never seen.
    if (event->in == 0) ReleaseModifiersNotIn(HwndOf(data), 0);
    backend::NativeActivated(HwndOf(data), event->in != 0);
    return FALSE;
}

// Without a desktop window manager nothing gives a new window the focus.
gboolean OnMap(GtkWidget* widget, GdkEvent*, gpointer) {
    gtk_window_present(GTK_WINDOW(widget));
    return FALSE;
}

gboolean ReleaseViewSize(gpointer data) {
    if (NativeWindow* native = FindNative(HwndOf(data))) {
        native->sizeIdle = 0;
        gtk_widget_set_size_request(native->view, -1, -1);
    }
    return G_SOURCE_REMOVE;
}

// While the window manager sizes the window, the drawing area asks for the
// image's size exactly; once it has it, the request is dropped (outside the
// allocation) so the user may make the window smaller again. A size the user
// gave the window goes to the window manager.
void OnViewAllocated(GtkWidget*, GdkRectangle* allocation, gpointer data) {
    NativeWindow* native = FindNative(HwndOf(data));
    if (native == nullptr) return;
    const bool fits =
        allocation->width == native->image.cx && allocation->height == native->image.cy;
    if (native->fitting) {
        if (fits && native->sizeIdle == 0) {
            native->fitting = false;
            native->sizeIdle = g_idle_add(ReleaseViewSize, native->hwnd);
        }
        return;
    }
    if (!fits) backend::NativeResized(native->hwnd, allocation->width, allocation->height);
}

gboolean OnConfigure(GtkWidget*, GdkEventConfigure* event, gpointer data) {
    NativeWindow* native = FindNative(HwndOf(data));
    if (native == nullptr || native->view == nullptr) return FALSE;
    int x = 0;
    int y = 0;
    gtk_widget_translate_coordinates(native->view, native->window, 0, 0, &x, &y);
    const POINT origin{event->x + x, event->y + y};
    if (origin.x != native->origin.x || origin.y != native->origin.y) {
        native->origin = origin;
        backend::NativeMoved(native->hwnd, origin);
    }
    return FALSE;
}

int MenuBarHeight(const NativeWindow& native) {
    if (native.menuBar == nullptr) return 0;
    int minimum = 0;
    int natural = 0;
    gtk_widget_get_preferred_height(native.menuBar, &minimum, &natural);
    return natural;
}

// Asks GTK for a window whose drawing area has the image's size.
void FitWindowToImage(NativeWindow& native) {
    native.fitting = true;
    gtk_widget_set_size_request(native.view, std::max<int>(native.image.cx, 1),
                                std::max<int>(native.image.cy, 1));
    gtk_window_resize(GTK_WINDOW(native.window), 1, 1);
}

void Connect(GtkWidget* widget, const char* signal, GCallback callback, HWND hwnd) {
    g_signal_connect(widget, signal, callback, hwnd);
}

NativeWindow* MakeNativeWindow(HWND hwnd, const char* title, SIZE surface) {
    auto native = std::make_unique<NativeWindow>();
    native->hwnd = hwnd;
    native->image = surface;
    native->window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(native->window), title);
    native->box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_container_add(GTK_CONTAINER(native->window), native->box);
    native->view = gtk_drawing_area_new();
    gtk_widget_set_can_focus(native->view, TRUE);
    gtk_widget_add_events(native->view, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                                            GDK_POINTER_MOTION_MASK | GDK_SCROLL_MASK);
    gtk_box_pack_end(GTK_BOX(native->box), native->view, TRUE, TRUE, 0);
    Connect(native->view, "draw", G_CALLBACK(OnDraw), hwnd);
    Connect(native->view, "button-press-event", G_CALLBACK(OnButton), hwnd);
    Connect(native->view, "button-release-event", G_CALLBACK(OnButton), hwnd);
    Connect(native->view, "motion-notify-event", G_CALLBACK(OnMotion), hwnd);
    Connect(native->view, "scroll-event", G_CALLBACK(OnScroll), hwnd);
    Connect(native->view, "size-allocate", G_CALLBACK(OnViewAllocated), hwnd);
    Connect(native->window, "key-press-event", G_CALLBACK(OnKey), hwnd);
    Connect(native->window, "key-release-event", G_CALLBACK(OnKey), hwnd);
    Connect(native->window, "delete-event", G_CALLBACK(OnDelete), hwnd);
    Connect(native->window, "focus-in-event", G_CALLBACK(OnFocus), hwnd);
    Connect(native->window, "focus-out-event", G_CALLBACK(OnFocus), hwnd);
    Connect(native->window, "map-event", G_CALLBACK(OnMap), hwnd);
    Connect(native->window, "configure-event", G_CALLBACK(OnConfigure), hwnd);
    gtk_widget_show_all(native->box);
    FitWindowToImage(*native);
    NativeWindow* made = native.get();
    Windows()[hwnd] = std::move(native);
    return made;
}

class GtkBackend final : public backend::Backend {
public:
    const char* Name() const override { return "gtk"; }

    SIZE ScreenSize() const override {
        GdkMonitor* monitor = gdk_display_get_primary_monitor(gdk_display_get_default());
        if (monitor == nullptr) monitor = gdk_display_get_monitor(gdk_display_get_default(), 0);
        GdkRectangle area{0, 0, 1024, 768};
        if (monitor != nullptr) gdk_monitor_get_workarea(monitor, &area);
        return SIZE{area.width, area.height};
    }

    void TopLevelCreated(HWND hwnd, const char* title, SIZE surface) override {
        MakeNativeWindow(hwnd, title, surface);
    }

    void TopLevelDestroyed(HWND hwnd) override {
        const auto found = Windows().find(hwnd);
        if (found == Windows().end()) return;
        std::unique_ptr<NativeWindow> native = std::move(found->second);
        Windows().erase(found);
        if (native->sizeIdle != 0) g_source_remove(native->sizeIdle);
        if (native->menuIdle != 0) g_source_remove(native->menuIdle);
        gtk_widget_destroy(native->window);
    }

    void TopLevelShown(HWND hwnd, bool visible) override {
        NativeWindow* native = FindNative(hwnd);
        if (native == nullptr) return;
        if (visible) {
            FitWindowToImage(*native);
            gtk_widget_show(native->window);
        } else {
            gtk_widget_hide(native->window);
        }
    }

    void TopLevelPlaced(HWND hwnd, const RECT& surfaceOnScreen) override {
        NativeWindow* native = FindNative(hwnd);
        if (native == nullptr) return;
        const SIZE size{surfaceOnScreen.right - surfaceOnScreen.left,
                        surfaceOnScreen.bottom - surfaceOnScreen.top};
        if (size.cx != native->image.cx || size.cy != native->image.cy) {
            native->image = size;
            if (gtk_widget_get_allocated_width(native->view) != size.cx ||
                gtk_widget_get_allocated_height(native->view) != size.cy) {
                FitWindowToImage(*native);
            }
        }
        const POINT origin{surfaceOnScreen.left, surfaceOnScreen.top};
        if (origin.x != native->origin.x || origin.y != native->origin.y) {
            native->origin = origin;
            gtk_window_move(GTK_WINDOW(native->window), std::max<int>(origin.x, 0),
                            std::max(origin.y - MenuBarHeight(*native), 0));
        }
    }

    void TopLevelTitleChanged(HWND hwnd, const char* title) override {
        if (GtkWindow* window = GtkWindowOf(hwnd)) gtk_window_set_title(window, title);
    }

    void MenuBarChanged(HWND hwnd, HMENU menu) override {
        NativeWindow* native = FindNative(hwnd);
        if (native == nullptr) return;
        MirrorMenuBar(*native, menu);
        FitWindowToImage(*native);
    }

    void MenuChanged(HWND hwnd) override {
        if (NativeWindow* native = FindNative(hwnd)) RefreshMenuBar(*native);
    }

    void Present(HWND hwnd, const RECT& area) override {
        NativeWindow* native = FindNative(hwnd);
        if (native == nullptr) return;
        gtk_widget_queue_draw_area(native->view, area.left, area.top, area.right - area.left,
                                   area.bottom - area.top);
    }

    void TopLevelActivated(HWND hwnd) override {
        NativeWindow* native = FindNative(hwnd);
        if (native == nullptr || !gtk_widget_get_visible(native->window)) return;
        if (!gtk_window_is_active(GTK_WINDOW(native->window))) {
            gtk_window_present(GTK_WINDOW(native->window));
        }
    }

    // GTK holds the pointer for the window a button was pressed in until it
    // is released, which is what capture asks for.
    void CaptureChanged(HWND) override {}

    bool WaitForEvents(bool block) override {
        g_main_context_iteration(nullptr, block ? TRUE : FALSE);
        return true;
    }

    backend::FileDialogAnswer RunFileDialog(const backend::FileDialogRequest& request) override {
        return RunFileChooser(request);
    }

    int RunMessageBox(HWND owner, const std::string& text, const std::string& caption,
                      UINT type) override {
        return RunMessageDialog(owner, text, caption, type);
    }
};

} // namespace

NativeWindow* FindNative(HWND hwnd) {
    const auto found = Windows().find(hwnd);
    return found == Windows().end() ? nullptr : found->second.get();
}

GtkWindow* GtkWindowOf(HWND hwnd) {
    NativeWindow* native = FindNative(hwnd);
    return native != nullptr ? GTK_WINDOW(native->window) : nullptr;
}

bool OpenDisplay(int* argc, char*** argv) {
    // The program draws no GL; probing for it on a fresh X server costs a
    // large library load and much of the start-up time.
    g_setenv("GDK_GL", "disable", FALSE);
    return gtk_init_check(argc, argv) != FALSE;
}

std::unique_ptr<backend::Backend> MakeGtkBackend() {
    return std::make_unique<GtkBackend>();
}

} // namespace gleamkit::gtk
