// The effect commands, "Undo" and "Exit". Every effect command keeps one
// level of undo: the picture from just before it. A command whose operation
// fails (the library's error, or memory running out on a large picture)
// shows the error and leaves everything as it was before the command: the
// picture, the undo picture and the state of "Undo".
#include <exception>
#include <memory>
#include <new>
#include <string>
#include <utility>

#include "app/commands/command_table.h"
#include "app/main_form.h"
#include "app/picture_file.h"

namespace gleamkit::app {

namespace {

struct PictureFree {
    void operator()(bitmap::PixelBitmap* picture) const { Free(picture); }
};
using Holder = std::unique_ptr<bitmap::PixelBitmap, PictureFree>;

std::string FailureText(const std::exception& error) {
    if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr)
        return "Not enough memory for this command; the picture is unchanged.";
    return std::string(error.what()) + "\nThe picture is unchanged.";
}

// Asks for the second picture of a composition and reads it. Empty when the
// dialog was cancelled (nothing to say) or the file cannot be read (the error
// box has been shown).
Holder AskSecondPicture(MainForm& form) {
    if (!form.FileDialog->RunDialog()) return nullptr;
    std::string reason;
    Holder second(ReadPictureFile(form.FileDialog->Filename, reason));
    if (!second)
        ShowError(form, "Cannot read \"" + form.FileDialog->Filename + "\": " + reason + ".");
    return second;
}

} // namespace

void RunEffectCommand(void* record, KitObject*, int32_t index) {
    MainForm& form = *static_cast<MainForm*>(record);
    const Command* command = FindCommand(index);
    if (command == nullptr) return;
    Holder second;
    if (command->kind == CommandKind::SecondPicture) {
        second = AskSecondPicture(form);
        if (!second) return;
    }
    // The copy becomes the undo picture only once the operation has
    // succeeded; until then it is what a failure puts back.
    Holder before;
    bool started = false;
    try {
        before.reset(bitmap::NewPixelBitmap(0, 0));
        before->Assign(WorkBitmap);
        started = true;
        ApplyCommand(*command, *WorkBitmap, second.get());
    } catch (const std::exception& error) {
        if (started) {
            const Holder broken(WorkBitmap);
            WorkBitmap = before.release();
        }
        ShowError(form, FailureText(error));
        return;
    }
    Holder previousUndo(UndoBitmap);
    UndoBitmap = before.release();
    winkit::SetItemEnabled(form.MainMenu, kItemUndo, true);
    form.PaintBox->Invalidate();
}

void UndoCommand(void* record, KitObject*, int32_t) {
    MainForm& form = *static_cast<MainForm*>(record);
    WorkBitmap->Assign(UndoBitmap);
    form.PaintBox->Invalidate();
    winkit::SetItemEnabled(form.MainMenu, kItemUndo, false);
}

void ExitCommand(void* record, KitObject*, int32_t) {
    static_cast<MainForm*>(record)->Form->Close();
}

} // namespace gleamkit::app
