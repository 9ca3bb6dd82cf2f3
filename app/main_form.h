// The program's main form: the record that holds its objects, the two
// program-wide pictures, the menu template with its item numbers, and the
// start-up that builds them all (NewMainForm). The command handlers live in
// effect_commands.cpp and open_command.cpp.
//
// Usage (the program entry does exactly this):
//   MainForm* record = nullptr;
//   NewMainForm(record, nullptr);
//   winkit::Run(record->Form);   // shows it, runs the loop, frees everything
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "base/color.h"
#include "base/kit_object.h"
#include "bitmap/pixel_bitmap.h"
#include "winkit/winkit.h"

namespace gleamkit::app {

// The application's record. It and FileDialog sit on Form's auto-free list,
// so they go when Form is destroyed; the menu and the two controls are Form's.
class MainForm : public KitObject {
public:
    winkit::Control* Form = nullptr;
    winkit::Menu* MainMenu = nullptr;
    winkit::Control* ScrollBox = nullptr;
    winkit::Control* PaintBox = nullptr;
    winkit::FileChooser* FileDialog = nullptr;
};

// The picture shown and changed, and the one level of undo. Made empty by
// NewMainForm, freed (work first) by Form's destroy event.
extern bitmap::PixelBitmap* WorkBitmap;
extern bitmap::PixelBitmap* UndoBitmap;

// Item numbers of the main menu used by the program itself.
inline constexpr int32_t kItemOpen = 1;
inline constexpr int32_t kItemExit = 3;
inline constexpr int32_t kItemUndo = 4;
inline constexpr int32_t kItemEffects = 5;

inline constexpr const char* kCaption = "Test Gleamkit";
inline constexpr int32_t kFormLeft = 192;
inline constexpr int32_t kFormTop = 110;
inline constexpr int32_t kClientWidth = 688;
inline constexpr int32_t kClientHeight = 426; // before the menu bar takes its share
// The application-workspace system colour behind and around the picture.
inline constexpr Color kWorkspaceColor = SystemColor(12);

// The 133 strings of the main menu, the empty string last.
std::span<const char* const> MainMenuTemplate();

// Builds the record, the form, the menu and its handlers, the file dialog,
// the view and the two empty pictures, in that order, and stores the record
// in `record`. `parent` is the form's parent window (the program passes none).
// The form's window exists afterwards, still hidden.
void NewMainForm(MainForm*& record, winkit::Control* parent);

// The paint handler of the view: sizes the paint box to the picture and draws
// it at (0, 0), or fills the area being painted with the workspace colour
// while there is no picture.
void PaintPicture(void* record, KitObject* sender, HDC context);

// The menu handlers (data: the record; the sender menu is not used).
void OpenBitmap(void* record, KitObject* sender, int32_t index);
void RunEffectCommand(void* record, KitObject* sender, int32_t index);
void UndoCommand(void* record, KitObject* sender, int32_t index);
void ExitCommand(void* record, KitObject* sender, int32_t index);

// Shows a task-modal error box owned by the main form.
void ShowError(MainForm& record, const std::string& text);

} // namespace gleamkit::app
