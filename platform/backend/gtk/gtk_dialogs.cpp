// Modal dialogs: the file chooser for GetOpenFileNameA/GetSaveFileNameA and
// the message dialog for MessageBoxA. Each runs its own loop that keeps the
// program's queue moving (its windows stay painted) instead of
// gtk_dialog_run, and ends with WM_QUIT. The OFN_ rules on the chosen names
// are the window manager's; the chooser only shows and answers.
#include "platform/backend/gtk/gtk_backend.h"

#include "platform/backend/native_events.h"
#include "platform/user/user.h"

#include <cctype>
#include <filesystem>
#include <vector>

namespace gleamkit::gtk {

namespace {

namespace fs = std::filesystem;

struct Outcome {
    bool done = false;
    int response = GTK_RESPONSE_NONE;
    int closeAnswer = 0; // what closing the dialog answers; 0: it cannot be closed
};

void OnResponse(GtkDialog*, gint response, gpointer data) {
    auto* outcome = static_cast<Outcome*>(data);
    if (response == GTK_RESPONSE_DELETE_EVENT) {
        if (outcome->closeAnswer == 0) return;
        response = outcome->closeAnswer;
    }
    outcome->response = response;
    outcome->done = true;
}

// Without a desktop window manager nothing gives a dialog the focus.
gboolean OnDialogMapped(GtkWidget* dialog, GdkEvent*, gpointer) {
    gtk_window_present(GTK_WINDOW(dialog));
    return FALSE;
}

// The owner's window; for a box without an owner (a task-modal error box)
// the program's active or first shown window, so the dialog still stands
// above the program as GTK expects.
GtkWindow* TopLevelWindow(HWND owner) {
    if (owner != nullptr) return GtkWindowOf(GetAncestor(owner, GA_ROOT));
    GtkWindow* chosen = nullptr;
    GList* windows = gtk_window_list_toplevels();
    for (GList* node = windows; node != nullptr; node = node->next) {
        GtkWindow* window = GTK_WINDOW(node->data);
        if (gtk_window_get_window_type(window) != GTK_WINDOW_TOPLEVEL ||
            !gtk_widget_get_visible(GTK_WIDGET(window))) {
            continue;
        }
        if (chosen == nullptr || gtk_window_is_active(window)) chosen = window;
    }
    g_list_free(windows);
    return chosen;
}

// Runs `dialog` until answered: the response (closing it answers
// `closeAnswer`, or is refused when that is 0), or GTK_RESPONSE_NONE when the
// program's loop ended meanwhile.
int RunDialog(GtkWidget* dialog, int closeAnswer) {
    Outcome outcome;
    outcome.closeAnswer = closeAnswer;
    g_signal_connect(dialog, "response", G_CALLBACK(OnResponse), &outcome);
    // Closing answers the dialog (GTK_RESPONSE_DELETE_EVENT) but must not
    // destroy it under the loop.
    g_signal_connect(dialog, "delete-event", G_CALLBACK(gtk_true), nullptr);
    g_signal_connect(dialog, "map-event", G_CALLBACK(OnDialogMapped), nullptr);
    const bool finished = RunModal(dialog, &outcome.done);
    gtk_widget_hide(dialog);
    return finished ? outcome.response : GTK_RESPONSE_NONE;
}

// Destroys a finished dialog and brings its owner back to the front, as
// Win32 reactivates the owner.
void CloseDialog(GtkWidget* dialog, GtkWindow* owner) {
    gtk_widget_destroy(dialog);
    if (owner != nullptr && gtk_widget_get_visible(GTK_WIDGET(owner))) gtk_window_present(owner);
}

// A pattern that matches either case, as the platform's file names do:
// "*.bmp" becomes "*.[bB][mM][pP]".
std::string CaseFreePattern(const std::string& pattern) {
    std::string result;
    for (const char c : pattern) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalpha(byte) != 0) {
            result += '[';
            result += static_cast<char>(std::tolower(byte));
            result += static_cast<char>(std::toupper(byte));
            result += ']';
        } else {
            result += c;
        }
    }
    return result;
}

void AddFilters(GtkFileChooser* chooser, const backend::FileDialogRequest& request) {
    int index = 0;
    for (const auto& [description, patterns] : request.filters) {
        GtkFileFilter* filter = gtk_file_filter_new();
        gtk_file_filter_set_name(filter, description.c_str());
        size_t start = 0;
        while (start <= patterns.size()) {
            size_t end = patterns.find(';', start);
            if (end == std::string::npos) end = patterns.size();
            std::string pattern = patterns.substr(start, end - start);
            while (!pattern.empty() && pattern.front() == ' ') pattern.erase(0, 1);
            while (!pattern.empty() && pattern.back() == ' ') pattern.pop_back();
            if (!pattern.empty()) {
                gtk_file_filter_add_pattern(filter, CaseFreePattern(pattern).c_str());
            }
            start = end + 1;
        }
        gtk_file_chooser_add_filter(chooser, filter);
        if (++index == request.filterIndex) gtk_file_chooser_set_filter(chooser, filter);
    }
}

// The folder and name shown at the start: the name may be a path of its own
// (relative ones are taken against the initial folder) or a folder.
void SetStartingPlace(GtkFileChooser* chooser, const backend::FileDialogRequest& request) {
    std::error_code error;
    fs::path folder =
        request.initialDir.empty() ? fs::current_path(error) : fs::path(request.initialDir);
    std::string name;
    if (!request.initialName.empty()) {
        const fs::path named = folder / request.initialName;
        if (fs::is_directory(named, error)) {
            folder = named;
        } else {
            folder = named.parent_path();
            name = named.filename().string();
        }
    }
    gtk_file_chooser_set_current_folder(chooser, folder.c_str());
    if (name.empty()) return;
    if (request.save) {
        gtk_file_chooser_set_current_name(chooser, name.c_str());
    } else if (fs::exists(folder / name, error)) {
        gtk_file_chooser_select_filename(chooser, (folder / name).c_str());
    }
}

backend::FileDialogAnswer ReadAnswer(GtkFileChooser* chooser) {
    backend::FileDialogAnswer answer;
    answer.accepted = true;
    GSList* names = gtk_file_chooser_get_filenames(chooser);
    for (GSList* node = names; node != nullptr; node = node->next) {
        answer.paths.emplace_back(static_cast<const char*>(node->data));
    }
    g_slist_free_full(names, g_free);
    GtkFileFilter* chosen = gtk_file_chooser_get_filter(chooser);
    GSList* filters = gtk_file_chooser_list_filters(chooser);
    const gint position = g_slist_index(filters, chosen);
    g_slist_free(filters);
    answer.filterIndex = position >= 0 ? position + 1 : 0;
    return answer;
}

struct Button {
    const char* label;
    int answer;
};

std::vector<Button> ButtonsOf(UINT type) {
    constexpr int kTryAgain = 10;
    constexpr int kContinue = 11;
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return {{"_OK", IDOK}, {"_Cancel", IDCANCEL}};
    case MB_ABORTRETRYIGNORE:
        return {{"_Abort", IDABORT}, {"_Retry", IDRETRY}, {"_Ignore", IDIGNORE}};
    case MB_YESNOCANCEL:
        return {{"_Yes", IDYES}, {"_No", IDNO}, {"_Cancel", IDCANCEL}};
    case MB_YESNO:
        return {{"_Yes", IDYES}, {"_No", IDNO}};
    case MB_RETRYCANCEL:
        return {{"_Retry", IDRETRY}, {"_Cancel", IDCANCEL}};
    case 6: // MB_CANCELTRYCONTINUE
        return {{"_Cancel", IDCANCEL}, {"_Try Again", kTryAgain}, {"_Continue", kContinue}};
    default:
        return {{"_OK", IDOK}};
    }
}

GtkMessageType MessageTypeOf(UINT type) {
    switch (type & 0xF0) {
    case MB_ICONERROR:
        return GTK_MESSAGE_ERROR;
    case MB_ICONQUESTION:
        return GTK_MESSAGE_QUESTION;
    case MB_ICONWARNING:
        return GTK_MESSAGE_WARNING;
    case MB_ICONINFORMATION:
        return GTK_MESSAGE_INFO;
    default:
        return GTK_MESSAGE_OTHER;
    }
}

} // namespace

bool RunModal(GtkWidget* dialog, const bool* done) {
    gtk_widget_show(dialog);
    while (!*done) {
        g_main_context_iteration(nullptr, TRUE);
        if (!backend::PumpModalMessages()) return false;
    }
    return true;
}

backend::FileDialogAnswer RunFileChooser(const backend::FileDialogRequest& request) {
    const GtkFileChooserAction action =
        request.save ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN;
    const std::string title = !request.title.empty() ? request.title
                              : request.save         ? "Save As"
                                                     : "Open";
    GtkWindow* owner = TopLevelWindow(request.owner);
    GtkWidget* dialog =
        gtk_file_chooser_dialog_new(title.c_str(), owner, action, "_Cancel", GTK_RESPONSE_CANCEL,
                                    request.save ? "_Save" : "_Open", GTK_RESPONSE_ACCEPT, nullptr);
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    gtk_file_chooser_set_local_only(chooser, TRUE);
    gtk_file_chooser_set_select_multiple(chooser, request.multiSelect && !request.save);
    // The window manager asks before overwriting (OFN_OVERWRITEPROMPT).
    gtk_file_chooser_set_do_overwrite_confirmation(chooser, FALSE);
    AddFilters(chooser, request);
    SetStartingPlace(chooser, request);

    backend::FileDialogAnswer answer;
    if (RunDialog(dialog, GTK_RESPONSE_CANCEL) == GTK_RESPONSE_ACCEPT) answer = ReadAnswer(chooser);
    CloseDialog(dialog, owner);
    return answer;
}

int RunMessageDialog(HWND owner, const std::string& text, const std::string& caption, UINT type) {
    const std::vector<Button> buttons = ButtonsOf(type);
    int closeAnswer = 0; // closing the box answers Cancel (or OK when it is the only button)
    for (const Button& button : buttons) {
        if (button.answer == IDCANCEL) closeAnswer = IDCANCEL;
    }
    if (buttons.size() == 1) closeAnswer = IDOK;
    GtkWindow* parent = TopLevelWindow(owner);
    GtkWidget* dialog = gtk_message_dialog_new(parent, GTK_DIALOG_MODAL, MessageTypeOf(type),
                                               GTK_BUTTONS_NONE, "%s", text.c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), caption.c_str());
    for (const Button& button : buttons) {
        gtk_dialog_add_button(GTK_DIALOG(dialog), button.label, button.answer);
    }
    const size_t defaultButton = (type >> 8) & 0xF;
    if (defaultButton < buttons.size()) {
        gtk_dialog_set_default_response(GTK_DIALOG(dialog), buttons[defaultButton].answer);
    }
    const int response = RunDialog(dialog, closeAnswer);
    CloseDialog(dialog, parent);
    if (response > 0) return response;
    // The program's loop ended while the box was up: it answers as closed.
    return closeAnswer != 0 ? closeAnswer : buttons.front().answer;
}

} // namespace gleamkit::gtk
