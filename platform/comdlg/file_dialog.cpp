// GetOpenFileNameA and GetSaveFileNameA over the backend's file dialog. The
// record is checked here, the backend only shows the dialog; the OFN_ rules on
// the chosen names (must exist, overwrite prompt, default extension) are
// enforced here too, so that every backend behaves alike. A refused name
// keeps the dialog up (the backend is asked again, with the name shown).
#include "platform/comdlg/comdlg.h"

#include "platform/backend/backend.h"
#include "platform/user/modal.h"
#include "platform/user/user.h"

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

DWORD g_lastError = 0;

namespace fs = std::filesystem;
using gleamkit::backend::FileDialogAnswer;
using gleamkit::backend::FileDialogRequest;

// The longest filter list read: a list without its double zero is refused
// rather than followed through memory.
constexpr size_t kMaxFilterBytes = 65536;

bool ParseFilters(LPCSTR list, std::vector<std::pair<std::string, std::string>>& filters) {
    if (list == nullptr) return true;
    size_t offset = 0;
    std::vector<std::string> texts;
    while (offset < kMaxFilterBytes) {
        const size_t length = strnlen(list + offset, kMaxFilterBytes - offset);
        if (offset + length >= kMaxFilterBytes) return false;
        if (length == 0) break;
        texts.emplace_back(list + offset, length);
        offset += length + 1;
    }
    if (texts.size() % 2 != 0) return false;
    for (size_t i = 0; i < texts.size(); i += 2) filters.emplace_back(texts[i], texts[i + 1]);
    return true;
}

bool HasExtension(const std::string& path) {
    const std::string name = fs::path(path).filename().string();
    return name.find('.') != std::string::npos;
}

std::string Resolve(const std::string& typed, const FileDialogRequest& request) {
    fs::path path(typed);
    if (path.is_relative()) {
        fs::path folder =
            request.initialDir.empty() ? fs::current_path() : fs::path(request.initialDir);
        const fs::path shownFolder = fs::path(request.initialName).parent_path();
        if (request.initialDir.empty() && !shownFolder.empty()) folder = shownFolder;
        path = folder / path;
    }
    std::string resolved = path.lexically_normal().string();
    if (!request.defaultExtension.empty() && !HasExtension(resolved)) {
        resolved += "." + request.defaultExtension;
    }
    return resolved;
}

bool IsFolder(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

bool Exists(const std::string& path) {
    std::error_code error;
    return fs::exists(path, error);
}

// The dialog's own answer to a name that breaks a rule; false keeps it up.
bool AcceptName(HWND owner, const std::string& path, DWORD flags, bool save) {
    const std::string folder = fs::path(path).parent_path().string();
    if ((flags & (OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST)) != 0 &&
        !IsFolder(folder.empty() ? "." : folder)) {
        MessageBoxA(owner, (path + "\nPath does not exist.\nCheck the path and try again.").c_str(),
                    save ? "Save As" : "Open", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (IsFolder(path)) return false; // choosing a folder opens it
    const bool exists = Exists(path);
    if ((flags & OFN_FILEMUSTEXIST) != 0 && !exists) {
        MessageBoxA(owner, (path + "\nFile not found.\nCheck the file name and try again.").c_str(),
                    "Open", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (save && (flags & OFN_OVERWRITEPROMPT) != 0 && exists) {
        return MessageBoxA(owner, (path + " already exists.\nDo you want to replace it?").c_str(),
                           "Confirm Save As", MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
    }
    if (!save && (flags & OFN_CREATEPROMPT) != 0 && !exists) {
        return MessageBoxA(owner, (path + "\nThis file does not exist.\nCreate the file?").c_str(),
                           "Open", MB_YESNO | MB_ICONQUESTION) == IDYES;
    }
    return true;
}

struct Result {
    std::string text; // what goes into lpstrFile, zeros included
    size_t fileOffset = 0;
    size_t extensionOffset = 0;
};

Result BuildResult(const std::vector<std::string>& paths, bool multiSelect) {
    Result result;
    if (paths.size() == 1) {
        result.text = paths.front();
        const size_t slash = result.text.find_last_of('/');
        result.fileOffset = slash == std::string::npos ? 0 : slash + 1;
        const size_t dot = result.text.find_last_of('.');
        result.extensionOffset =
            dot != std::string::npos && dot > result.fileOffset ? dot + 1 : result.text.size();
        result.text += '\0';
        if (multiSelect) result.text += '\0';
        return result;
    }
    // Several files: the folder, then each name, each ended by a zero, and a
    // final zero.
    const std::string folder = fs::path(paths.front()).parent_path().string();
    result.text = folder + '\0';
    result.fileOffset = result.text.size();
    for (const std::string& path : paths) result.text += fs::path(path).filename().string() + '\0';
    result.text += '\0';
    return result;
}

bool SameFolder(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        if (fs::path(path).parent_path() != fs::path(paths.front()).parent_path()) return false;
    }
    return true;
}

BOOL Fail(DWORD error) {
    g_lastError = error;
    return FALSE;
}

BOOL Deliver(OPENFILENAMEA* ofn, const Result& result, int filterIndex) {
    if (result.text.size() > ofn->nMaxFile) {
        // Not cut: the caller learns the size it needs in the first two bytes.
        if (ofn->nMaxFile >= 2) {
            const WORD needed = static_cast<WORD>(std::min<size_t>(result.text.size(), 0xFFFF));
            std::memcpy(ofn->lpstrFile, &needed, sizeof(needed));
        }
        return Fail(FNERR_BUFFERTOOSMALL);
    }
    std::memcpy(ofn->lpstrFile, result.text.data(), result.text.size());
    ofn->nFileOffset = static_cast<WORD>(std::min<size_t>(result.fileOffset, 0xFFFF));
    ofn->nFileExtension = static_cast<WORD>(std::min<size_t>(result.extensionOffset, 0xFFFF));
    ofn->nFilterIndex = static_cast<DWORD>(filterIndex);
    if (ofn->lpstrFileTitle != nullptr && ofn->nMaxFileTitle > 0) {
        const std::string title = result.text.c_str() + result.fileOffset;
        const size_t count = std::min<size_t>(title.size(), ofn->nMaxFileTitle - 1);
        std::memcpy(ofn->lpstrFileTitle, title.data(), count);
        ofn->lpstrFileTitle[count] = '\0';
    }
    return TRUE;
}

bool BuildRequest(const OPENFILENAMEA& ofn, bool save, FileDialogRequest& request) {
    if (!ParseFilters(ofn.lpstrFilter, request.filters)) return false;
    request.owner = ofn.hwndOwner;
    request.save = save;
    request.title = ofn.lpstrTitle != nullptr ? ofn.lpstrTitle : "";
    const int pairs = static_cast<int>(request.filters.size());
    const int index = static_cast<int>(ofn.nFilterIndex);
    request.filterIndex = (index >= 1 && index <= pairs) ? index : 1;
    request.initialDir = ofn.lpstrInitialDir != nullptr ? ofn.lpstrInitialDir : "";
    request.initialName.assign(ofn.lpstrFile, strnlen(ofn.lpstrFile, ofn.nMaxFile));
    // Only the first three characters of the default extension are used.
    request.defaultExtension =
        ofn.lpstrDefExt != nullptr ? std::string(ofn.lpstrDefExt, strnlen(ofn.lpstrDefExt, 3)) : "";
    request.multiSelect = (ofn.Flags & OFN_ALLOWMULTISELECT) != 0;
    request.fileMustExist = (ofn.Flags & OFN_FILEMUSTEXIST) != 0;
    return true;
}

BOOL RunFileDialog(OPENFILENAMEA* ofn, bool save) {
    g_lastError = 0;
    if (ofn == nullptr) return Fail(CDERR_INITIALIZATION);
    if (ofn->lStructSize != OPENFILENAME_SIZE_VERSION_400A &&
        ofn->lStructSize != sizeof(OPENFILENAMEA)) {
        return Fail(CDERR_STRUCTSIZE);
    }
    if ((ofn->Flags & OFN_ENABLEHOOK) != 0) return Fail(CDERR_NOHOOK);
    if ((ofn->Flags & (OFN_ENABLETEMPLATE | OFN_ENABLETEMPLATEHANDLE)) != 0) {
        return Fail(CDERR_NOTEMPLATE);
    }
    if (ofn->lpstrFile == nullptr || ofn->nMaxFile == 0) return Fail(CDERR_INITIALIZATION);
    if (ofn->hwndOwner != nullptr && !IsWindow(ofn->hwndOwner)) return Fail(CDERR_DIALOGFAILURE);
    FileDialogRequest request;
    if (!BuildRequest(*ofn, save, request)) return Fail(CDERR_INITIALIZATION);

    auto& backend = gleamkit::backend::CurrentBackend();
    for (;;) {
        FileDialogAnswer answer;
        {
            user_detail::ModalScope modal(ofn->hwndOwner, false);
            answer = backend.RunFileDialog(request);
        }
        user_detail::RethrowModalException();
        if (!answer.accepted || answer.paths.empty()) return FALSE;
        std::vector<std::string> paths;
        for (const std::string& typed : answer.paths) paths.push_back(Resolve(typed, request));
        if (paths.size() > 1 && (!request.multiSelect || !SameFolder(paths))) {
            return Fail(FNERR_INVALIDFILENAME);
        }
        bool accepted = true;
        for (const std::string& path : paths) {
            accepted = accepted && AcceptName(ofn->hwndOwner, path, ofn->Flags, save);
        }
        if (!accepted) {
            request.initialName = answer.paths.front();
            continue;
        }
        const int pairs = static_cast<int>(request.filters.size());
        const int filterIndex = pairs == 0 ? 0
                                           : (answer.filterIndex >= 1 && answer.filterIndex <= pairs
                                                  ? answer.filterIndex
                                                  : request.filterIndex);
        return Deliver(ofn, BuildResult(paths, request.multiSelect), filterIndex);
    }
}

} // namespace

BOOL GetOpenFileNameA(OPENFILENAMEA* ofn) {
    return RunFileDialog(ofn, false);
}

BOOL GetSaveFileNameA(OPENFILENAMEA* ofn) {
    return RunFileDialog(ofn, true);
}

DWORD CommDlgExtendedError() {
    return g_lastError;
}
