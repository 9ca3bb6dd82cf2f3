// FileChooser: the platform's open and save file dialogs as one small object.
//
// Usage:
//   FileChooser* dialog = NewFileChooser("Select bitmap...", "", {});
//   dialog->Filter = "Bitmaps|*.bmp;*.dib|All files|*.*";
//   dialog->DefaultExtension = "bmp";
//   if (dialog->RunDialog()) Open(dialog->Filename);
//   Free(dialog);
// Filename and FilterIndex carry over from one RunDialog to the next, so the
// dialog opens with the last confirmed name and filter; a cancel (or a failed
// dialog) empties Filename and keeps FilterIndex.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "base/kit_object.h"
#include "platform/win32.h"

namespace gleamkit::winkit {

// Dialog options; option k is bit k of a ChooserOptions set.
enum class ChooserOption : uint8_t {
    CreatePrompt = 0,       // OFN_CREATEPROMPT
    ExtensionDifferent = 1, // OFN_EXTENSIONDIFFERENT
    FileMustExist = 2,      // OFN_FILEMUSTEXIST
    HideReadOnly = 3,       // OFN_HIDEREADONLY
    NoChangeDir = 4,        // OFN_NOCHANGEDIR
    NoDereferenceLinks = 5, // OFN_NODEREFERENCELINKS
    AllowMultiSelect = 6,   // OFN_ALLOWMULTISELECT
    NoNetworkButton = 7,    // OFN_NONETWORKBUTTON
    NoReadOnlyReturn = 8,   // OFN_NOREADONLYRETURN
    OverwritePrompt = 9,    // OFN_OVERWRITEPROMPT
    PathMustExist = 10,     // OFN_PATHMUSTEXIST
    ReadOnly = 11,          // OFN_READONLY
    NoValidate = 12,        // OFN_NOVALIDATE
};

// A set of ChooserOption values (16 bits).
class ChooserOptions {
public:
    constexpr ChooserOptions() = default;
    constexpr ChooserOptions(std::initializer_list<ChooserOption> options) {
        for (ChooserOption option : options) m_bits |= Bit(option);
    }
    constexpr bool Has(ChooserOption option) const { return (m_bits & Bit(option)) != 0; }
    constexpr bool Empty() const { return m_bits == 0; }
    constexpr uint16_t Bits() const { return m_bits; }
    friend constexpr bool operator==(ChooserOptions, ChooserOptions) = default;

private:
    static constexpr uint16_t Bit(ChooserOption option) {
        return static_cast<uint16_t>(1u << static_cast<unsigned>(option));
    }
    uint16_t m_bits = 0;
};

// The options a dialog made with the empty set gets. Starts as FileMustExist,
// HideReadOnly, OverwritePrompt, PathMustExist.
extern ChooserOptions DefaultChooserOptions;

// The platform flags for `options`, plus OFN_EXPLORER, OFN_LONGNAMES and
// OFN_ENABLESIZING, which every dialog gets.
DWORD DialogFlags(ChooserOptions options);

// "Desc|*.a;*.b|Desc2|*.c" as the platform's list: every "|" after the first
// character becomes a zero and the list ends with two zeros. Empty for an
// empty filter.
std::vector<char> PlatformFilterList(const std::string& filter);

class FileChooser : public KitObject {
public:
    // Pairs of description and pattern list, all separated by "|"; empty for none.
    std::string Filter;
    // 1-based number of the selected pair (0 selects the first); updated by a
    // confirmed RunDialog.
    int32_t FilterIndex = 0;
    // True: the open dialog; false: the save dialog.
    bool IsOpenDialog = true;
    // Starting folder; empty for the platform's choice.
    std::string InitialDir;
    // Extension (without dot) the platform adds to a typed name without one.
    std::string DefaultExtension;
    // In: the name shown at the start (cut to 261 characters, or 65519 with
    // AllowMultiSelect). Out: the chosen name; with AllowMultiSelect and
    // several files, the folder and the names separated by carriage returns.
    std::string Filename;
    // Dialog caption; empty for the platform's default caption.
    std::string Title;
    ChooserOptions Options;
    // Owner window; none for the application control's window.
    HWND OwnerWindow = nullptr;

    // Shows the dialog modally; true when the user confirmed a name. An
    // exception raised meanwhile by a handler of the program's windows is
    // raised here once the dialog has closed.
    bool RunDialog();
};

// A dialog with `title` and `initialDir` (none or empty: platform's choice) and
// `options` (the empty set: DefaultChooserOptions); an open dialog with
// everything else empty. The caller owns it and releases it with Free.
FileChooser* NewFileChooser(const char* title, const char* initialDir, ChooserOptions options);

} // namespace gleamkit::winkit
