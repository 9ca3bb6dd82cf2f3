// GTK key events as Win32 virtual keys. The key is read without Shift, Lock
// or NumLock (the keyval of the key's unmodified level), so Ctrl+Shift+O is
// 'O' with modifiers, as the accelerator tables expect.
#include "platform/backend/gtk/gtk_backend.h"

#include "platform/backend/native_events.h"
#include "platform/user/user.h"

#include <gdk/gdkkeysyms.h>

namespace gleamkit::gtk {

namespace {

struct KeyPair {
    guint keyval;
    int virtualKey;
};

constexpr KeyPair kKeys[] = {
    {GDK_KEY_BackSpace, VK_BACK},
    {GDK_KEY_Tab, VK_TAB},
    {GDK_KEY_ISO_Left_Tab, VK_TAB},
    {GDK_KEY_Return, VK_RETURN},
    {GDK_KEY_KP_Enter, VK_RETURN},
    {GDK_KEY_Shift_L, VK_SHIFT},
    {GDK_KEY_Shift_R, VK_SHIFT},
    {GDK_KEY_Control_L, VK_CONTROL},
    {GDK_KEY_Control_R, VK_CONTROL},
    {GDK_KEY_Alt_L, VK_MENU},
    {GDK_KEY_Alt_R, VK_MENU},
    {GDK_KEY_Meta_L, VK_MENU},
    {GDK_KEY_Meta_R, VK_MENU},
    {GDK_KEY_Pause, VK_PAUSE},
    {GDK_KEY_Caps_Lock, VK_CAPITAL},
    {GDK_KEY_Escape, VK_ESCAPE},
    {GDK_KEY_space, VK_SPACE},
    {GDK_KEY_Page_Up, VK_PRIOR},
    {GDK_KEY_Page_Down, VK_NEXT},
    {GDK_KEY_End, VK_END},
    {GDK_KEY_Home, VK_HOME},
    {GDK_KEY_Left, VK_LEFT},
    {GDK_KEY_Up, VK_UP},
    {GDK_KEY_Right, VK_RIGHT},
    {GDK_KEY_Down, VK_DOWN},
    {GDK_KEY_Insert, VK_INSERT},
    {GDK_KEY_Delete, VK_DELETE},
    {GDK_KEY_KP_Multiply, VK_MULTIPLY},
    {GDK_KEY_KP_Add, VK_ADD},
    {GDK_KEY_KP_Subtract, VK_SUBTRACT},
    {GDK_KEY_KP_Decimal, VK_DECIMAL},
    {GDK_KEY_KP_Divide, VK_DIVIDE},
    {GDK_KEY_Num_Lock, VK_NUMLOCK},
    {GDK_KEY_Scroll_Lock, VK_SCROLL},
};

// The keyval of the key itself, without Shift, Lock and NumLock.
guint BaseKeyval(const GdkEventKey& event) {
    guint keyval = 0;
    GdkKeymap* keymap = gdk_keymap_get_for_display(gdk_display_get_default());
    if (gdk_keymap_translate_keyboard_state(keymap, event.hardware_keycode,
                                            static_cast<GdkModifierType>(0), event.group, &keyval,
                                            nullptr, nullptr, nullptr)) {
        return gdk_keyval_to_lower(keyval);
    }
    return gdk_keyval_to_lower(event.keyval);
}

} // namespace

int VirtualKeyOf(const GdkEventKey& event) {
    // Keypad digits keep their own keys whatever NumLock says.
    if (event.keyval >= GDK_KEY_KP_0 && event.keyval <= GDK_KEY_KP_9) {
        return VK_NUMPAD0 + static_cast<int>(event.keyval - GDK_KEY_KP_0);
    }
    const guint keyval = BaseKeyval(event);
    if (keyval >= GDK_KEY_a && keyval <= GDK_KEY_z)
        return 'A' + static_cast<int>(keyval - GDK_KEY_a);
    if (keyval >= GDK_KEY_0 && keyval <= GDK_KEY_9)
        return '0' + static_cast<int>(keyval - GDK_KEY_0);
    if (keyval >= GDK_KEY_F1 && keyval <= GDK_KEY_F12) {
        return VK_F1 + static_cast<int>(keyval - GDK_KEY_F1);
    }
    for (const KeyPair& pair : kKeys) {
        if (pair.keyval == keyval || pair.keyval == event.keyval) return pair.virtualKey;
    }
    return 0;
}

UINT ModifiersOf(guint state) {
    UINT modifiers = 0;
    if ((state & GDK_SHIFT_MASK) != 0) modifiers |= backend::kModShift;
    if ((state & GDK_CONTROL_MASK) != 0) modifiers |= backend::kModControl;
    if ((state & GDK_MOD1_MASK) != 0) modifiers |= backend::kModAlt;
    return modifiers;
}

} // namespace gleamkit::gtk
