// The file dialog object: options to platform flags, the "|" filter to the
// platform's zero-separated list, the name buffer, and the answer back into
// Filename and FilterIndex.
#include "winkit/file_chooser.h"

#include <algorithm>
#include <array>

#include "winkit/application.h"

namespace gleamkit::winkit {

namespace {

// Platform flag of option k, indexed by the option's bit number.
constexpr std::array<DWORD, 13> kOptionFlags = {
    OFN_CREATEPROMPT,     OFN_EXTENSIONDIFFERENT, OFN_FILEMUSTEXIST,    OFN_HIDEREADONLY,
    OFN_NOCHANGEDIR,      OFN_NODEREFERENCELINKS, OFN_ALLOWMULTISELECT, OFN_NONETWORKBUTTON,
    OFN_NOREADONLYRETURN, OFN_OVERWRITEPROMPT,    OFN_PATHMUSTEXIST,    OFN_READONLY,
    OFN_NOVALIDATE,
};

constexpr DWORD kAlwaysFlags = OFN_EXPLORER | OFN_LONGNAMES | OFN_ENABLESIZING;
// The classic record, without the later extension fields.
constexpr DWORD kRecordSize = 76;
// Name buffer sizes: one path of up to 261 characters, or a multiple
// selection of up to 65519.
constexpr DWORD kSingleNameBuffer = 262;
constexpr DWORD kMultiNameBuffer = 65520;
constexpr char kNameSeparator = '\r';

HWND DialogOwner(HWND ownerWindow) {
    if (ownerWindow) return ownerWindow;
    Control* application = ApplicationControl();
    return application ? application->Handle() : nullptr;
}

// Between the names of a multiple selection the platform puts zeros, and two
// after the last; the names are joined with carriage returns instead.
void JoinSelectedNames(std::vector<char>& names) {
    for (size_t i = 0; i + 1 < names.size(); ++i) {
        if (names[i] != '\0') continue;
        if (names[i + 1] == '\0') return;
        names[i] = kNameSeparator;
    }
}

} // namespace

ChooserOptions DefaultChooserOptions = {ChooserOption::FileMustExist, ChooserOption::HideReadOnly,
                                        ChooserOption::OverwritePrompt,
                                        ChooserOption::PathMustExist};

DWORD DialogFlags(ChooserOptions options) {
    DWORD flags = kAlwaysFlags;
    for (size_t bit = 0; bit < kOptionFlags.size(); ++bit)
        if (options.Has(static_cast<ChooserOption>(bit))) flags |= kOptionFlags[bit];
    return flags;
}

std::vector<char> PlatformFilterList(const std::string& filter) {
    if (filter.empty()) return {};
    std::vector<char> list(filter.begin(), filter.end());
    for (size_t i = 1; i < list.size(); ++i)
        if (list[i] == '|') list[i] = '\0';
    list.push_back('\0');
    list.push_back('\0');
    return list;
}

FileChooser* NewFileChooser(const char* title, const char* initialDir, ChooserOptions options) {
    auto* chooser = new FileChooser();
    chooser->Title = title ? title : "";
    chooser->InitialDir = initialDir ? initialDir : "";
    chooser->Options = options.Empty() ? DefaultChooserOptions : options;
    return chooser;
}

bool FileChooser::RunDialog() {
    const bool multiSelect = Options.Has(ChooserOption::AllowMultiSelect);
    const DWORD bufferSize = multiSelect ? kMultiNameBuffer : kSingleNameBuffer;
    std::vector<char> names(bufferSize, '\0');
    std::copy_n(Filename.begin(), std::min<size_t>(Filename.size(), bufferSize - 1), names.begin());
    const std::vector<char> filterList = PlatformFilterList(Filter);

    OPENFILENAMEA record{};
    record.lStructSize = kRecordSize;
    record.hwndOwner = DialogOwner(OwnerWindow);
    record.hInstance = GetModuleHandleA(nullptr);
    record.lpstrFilter = filterList.empty() ? nullptr : filterList.data();
    record.nFilterIndex = static_cast<DWORD>(FilterIndex);
    record.lpstrFile = names.data();
    record.nMaxFile = bufferSize;
    record.lpstrInitialDir = InitialDir.empty() ? nullptr : InitialDir.c_str();
    record.lpstrTitle = Title.empty() ? nullptr : Title.c_str();
    record.Flags = DialogFlags(Options);
    record.lpstrDefExt = DefaultExtension.c_str();
    record.lCustData = reinterpret_cast<LPARAM>(this);

    const BOOL confirmed = IsOpenDialog ? GetOpenFileNameA(&record) : GetSaveFileNameA(&record);
    // Whatever the platform wrote, the text ends inside the buffer.
    names.back() = '\0';
    if (confirmed) {
        FilterIndex = static_cast<int32_t>(record.nFilterIndex);
        if (multiSelect) JoinSelectedNames(names);
        Filename = names.data();
    } else {
        Filename.clear();
    }
    RethrowPendingException();
    return confirmed != 0;
}

} // namespace gleamkit::winkit
