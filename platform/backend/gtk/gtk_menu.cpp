// The native menu bar: a GtkMenuBar mirrored from the window's menu handle
// through the public menu calls. "&" marks become mnemonics, the text after a
// tab is shown as the item's shortcut (the keys themselves are the platform's
// accelerators; GTK gets none), grayed items are insensitive, checked items
// show their check or radio mark. Choosing an item posts its command; the
// platform's state stays the truth, so GTK's own toggling is undone at once
// and the program's change comes back through MenuChanged.
#include "platform/backend/gtk/gtk_backend.h"

#include "platform/backend/native_events.h"
#include "platform/user/user.h"

#include <string>
#include <vector>

namespace gleamkit::gtk {

namespace {

enum class Kind { Separator, Plain, Check, Radio, SubMenu };

struct ItemInfo {
    Kind kind = Kind::Plain;
    UINT id = 0;
    HMENU subMenu = nullptr;
    bool grayed = false;
    std::string label;    // with GTK mnemonics
    std::string shortcut; // the text after the tab
};

// What GTK knows of a mirrored item.
struct ItemTag {
    HWND hwnd = nullptr;
    UINT id = 0;
    Kind kind = Kind::Plain;
};

constexpr const char* kTagKey = "gleamkit-item";

// Win32 caption marks as GTK's: "&x" marks the mnemonic, "&&" is an "&",
// and a plain "_" must not become one.
void SplitCaption(const std::string& caption, ItemInfo& info) {
    const size_t tab = caption.find('\t');
    const std::string text = caption.substr(0, tab);
    if (tab != std::string::npos) info.shortcut = caption.substr(tab + 1);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) {
            ++i;
            if (text[i] != '&') info.label += '_';
        }
        if (text[i] == '_') info.label += '_';
        info.label += text[i];
    }
}

std::vector<ItemInfo> ReadMenu(HMENU menu) {
    std::vector<ItemInfo> items;
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        char text[512] = {};
        MENUITEMINFOA raw{};
        raw.cbSize = sizeof(raw);
        raw.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        raw.dwTypeData = text;
        raw.cch = sizeof(text);
        ItemInfo info;
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &raw)) {
            info.kind = Kind::Separator;
        } else if ((raw.fType & MFT_SEPARATOR) != 0) {
            info.kind = Kind::Separator;
        } else {
            info.id = raw.wID;
            info.subMenu = raw.hSubMenu;
            info.grayed = (raw.fState & MFS_GRAYED) != 0;
            SplitCaption(text, info);
            if (raw.hSubMenu != nullptr) {
                info.kind = Kind::SubMenu;
            } else if ((raw.fState & MFS_CHECKED) != 0) {
                info.kind = (raw.fType & MFT_RADIOCHECK) != 0 ? Kind::Radio : Kind::Check;
            }
        }
        items.push_back(std::move(info));
    }
    return items;
}

NativeWindow* NativeOf(const ItemTag* tag) {
    return tag != nullptr ? FindNative(tag->hwnd) : nullptr;
}

void OnActivate(GtkMenuItem* item, gpointer) {
    const auto* tag = static_cast<const ItemTag*>(g_object_get_data(G_OBJECT(item), kTagKey));
    NativeWindow* native = NativeOf(tag);
    if (native == nullptr || native->mirroringMenu) return;
    if (tag->kind == Kind::Check || tag->kind == Kind::Radio) {
        native->mirroringMenu = true;
        gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), TRUE);
        native->mirroringMenu = false;
    }
    backend::NativeMenuCommand(native->hwnd, tag->id);
}

// A click on a bar item without a sub-menu: GTK's menu shell ignores a
// release soon after the press, so the command is taken here.
gboolean OnBarItemReleased(GtkWidget* item, GdkEventButton*, gpointer) {
    const auto* tag = static_cast<const ItemTag*>(g_object_get_data(G_OBJECT(item), kTagKey));
    NativeWindow* native = NativeOf(tag);
    if (native == nullptr) return FALSE;
    if (native->menuBar != nullptr) gtk_menu_shell_deactivate(GTK_MENU_SHELL(native->menuBar));
    backend::NativeMenuCommand(native->hwnd, tag->id);
    return TRUE;
}

// The key a shortcut text names ("Ctrl+O", "Shift+F5", "Del"); false when
// it names none GTK knows.
bool ParseShortcut(const std::string& text, guint* key, GdkModifierType* modifiers) {
    static const std::pair<const char*, const char*> kAliases[] = {
        {"Del", "Delete"},     {"Ins", "Insert"},          {"Esc", "Escape"},
        {"Enter", "Return"},   {"PgUp", "Page_Up"},        {"PgDn", "Page_Down"},
        {"Bksp", "BackSpace"}, {"Backspace", "BackSpace"}, {"Space", "space"}};
    unsigned mods = 0;
    std::string rest = text;
    for (size_t plus = rest.find('+'); plus != std::string::npos && plus + 1 < rest.size();
         plus = rest.find('+')) {
        const std::string part = rest.substr(0, plus);
        if (part == "Ctrl") {
            mods |= GDK_CONTROL_MASK;
        } else if (part == "Shift") {
            mods |= GDK_SHIFT_MASK;
        } else if (part == "Alt") {
            mods |= GDK_MOD1_MASK;
        } else {
            return false;
        }
        rest = rest.substr(plus + 1);
    }
    for (const auto& [alias, name] : kAliases) {
        if (rest == alias) rest = name;
    }
    *key = rest.size() == 1 ? gdk_unicode_to_keyval(static_cast<unsigned char>(rest[0]))
                            : gdk_keyval_from_name(rest.c_str());
    *key = gdk_keyval_to_lower(*key);
    *modifiers = static_cast<GdkModifierType>(mods);
    return *key != GDK_KEY_VoidSymbol && *key != 0;
}

// Shows the item's caption (with its mnemonic) and, right-aligned, its
// shortcut; the label takes no accelerator of its own.
void SetLabel(GtkWidget* item, const ItemInfo& info) {
    GtkWidget* child = gtk_bin_get_child(GTK_BIN(item));
    if (!GTK_IS_ACCEL_LABEL(child)) return;
    if (info.label != gtk_label_get_label(GTK_LABEL(child))) {
        gtk_label_set_text_with_mnemonic(GTK_LABEL(child), info.label.c_str());
    }
    guint key = 0;
    GdkModifierType modifiers{};
    if (info.shortcut.empty() || !ParseShortcut(info.shortcut, &key, &modifiers)) {
        key = 0;
        modifiers = static_cast<GdkModifierType>(0);
    }
    gtk_accel_label_set_accel(GTK_ACCEL_LABEL(child), key, modifiers);
}

GtkWidget* BuildMenu(HWND hwnd, HMENU menu, bool bar, int depth);

GtkWidget* BuildItem(HWND hwnd, const ItemInfo& info, bool onBar, int depth) {
    if (info.kind == Kind::Separator) return gtk_separator_menu_item_new();
    GtkWidget* item = nullptr;
    if (info.kind == Kind::Check || info.kind == Kind::Radio) {
        item = gtk_check_menu_item_new_with_mnemonic(info.label.c_str());
        gtk_check_menu_item_set_draw_as_radio(GTK_CHECK_MENU_ITEM(item), info.kind == Kind::Radio);
        gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), TRUE);
    } else {
        item = gtk_menu_item_new_with_mnemonic(info.label.c_str());
    }
    SetLabel(item, info);
    gtk_widget_set_sensitive(item, !info.grayed);
    g_object_set_data_full(G_OBJECT(item), kTagKey, new ItemTag{hwnd, info.id, info.kind},
                           [](gpointer tag) { delete static_cast<ItemTag*>(tag); });
    if (info.kind == Kind::SubMenu) {
        // Menus nest only as deep as anyone can follow; a cycle stops here.
        if (depth < 16) {
            gtk_menu_item_set_submenu(GTK_MENU_ITEM(item),
                                      BuildMenu(hwnd, info.subMenu, false, depth + 1));
        }
        return item;
    }
    g_signal_connect(item, "activate", G_CALLBACK(OnActivate), nullptr);
    if (onBar)
        g_signal_connect(item, "button-release-event", G_CALLBACK(OnBarItemReleased), nullptr);
    return item;
}

GtkWidget* BuildMenu(HWND hwnd, HMENU menu, bool bar, int depth) {
    GtkWidget* shell = bar ? gtk_menu_bar_new() : gtk_menu_new();
    for (const ItemInfo& info : ReadMenu(menu)) {
        gtk_menu_shell_append(GTK_MENU_SHELL(shell), BuildItem(hwnd, info, bar, depth));
    }
    return shell;
}

std::vector<GtkWidget*> ChildrenOf(GtkWidget* shell) {
    std::vector<GtkWidget*> children;
    GList* list = gtk_container_get_children(GTK_CONTAINER(shell));
    for (GList* node = list; node != nullptr; node = node->next) {
        children.push_back(GTK_WIDGET(node->data));
    }
    g_list_free(list);
    return children;
}

// Brings an already built shell up to date; false when its items differ in
// kind or number from the platform's (it must then be built again).
bool UpdateShell(GtkWidget* shell, HMENU menu, int depth) {
    const std::vector<ItemInfo> items = ReadMenu(menu);
    const std::vector<GtkWidget*> widgets = ChildrenOf(shell);
    if (items.size() != widgets.size() || depth >= 16) return false;
    for (size_t i = 0; i < items.size(); ++i) {
        const auto* tag =
            static_cast<const ItemTag*>(g_object_get_data(G_OBJECT(widgets[i]), kTagKey));
        const Kind kind = tag != nullptr ? tag->kind : Kind::Separator;
        if (kind != items[i].kind || (tag != nullptr && tag->id != items[i].id)) return false;
        if (kind == Kind::Separator) continue;
        SetLabel(widgets[i], items[i]);
        gtk_widget_set_sensitive(widgets[i], !items[i].grayed);
        if (kind == Kind::SubMenu) {
            GtkWidget* sub = gtk_menu_item_get_submenu(GTK_MENU_ITEM(widgets[i]));
            if (sub == nullptr || !UpdateShell(sub, items[i].subMenu, depth + 1)) return false;
        }
    }
    return true;
}

gboolean RefreshLater(gpointer data) {
    NativeWindow* native = FindNative(static_cast<HWND>(data));
    if (native == nullptr) return G_SOURCE_REMOVE;
    native->menuIdle = 0;
    try {
        const HMENU menu = GetMenu(native->hwnd);
        native->mirroringMenu = true;
        const bool updated =
            menu != nullptr && native->menuBar != nullptr && UpdateShell(native->menuBar, menu, 0);
        native->mirroringMenu = false;
        if (!updated) MirrorMenuBar(*native, menu);
    } catch (...) {
        // Out of memory while reading the menu: the mirror keeps its last state.
        native->mirroringMenu = false;
    }
    return G_SOURCE_REMOVE;
}

} // namespace

void MirrorMenuBar(NativeWindow& native, HMENU menu) {
    if (native.menuIdle != 0) {
        g_source_remove(native.menuIdle);
        native.menuIdle = 0;
    }
    if (native.menuBar != nullptr) {
        gtk_widget_destroy(native.menuBar);
        native.menuBar = nullptr;
    }
    if (menu == nullptr) return;
    native.mirroringMenu = true;
    native.menuBar = BuildMenu(native.hwnd, menu, true, 0);
    native.mirroringMenu = false;
    gtk_box_pack_start(GTK_BOX(native.box), native.menuBar, FALSE, FALSE, 0);
    gtk_widget_show_all(native.menuBar);
}

void RefreshMenuBar(NativeWindow& native) {
    // Programs change many items in a row; the mirror follows once they are done.
    if (native.menuIdle == 0) native.menuIdle = g_idle_add(RefreshLater, native.hwnd);
}

} // namespace gleamkit::gtk
