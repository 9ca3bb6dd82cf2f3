// "Open bitmap..." (also Ctrl+O): reads the chosen file and shows it. A file
// that cannot be read changes nothing (picture, undo picture, menu) and the
// user is told which file and why; "Effects" is enabled by the first picture
// actually loaded.
#include <string>

#include "app/main_form.h"
#include "app/picture_file.h"
#include "platform/win32.h"

namespace gleamkit::app {

void OpenBitmap(void* record, KitObject*, int32_t) {
    MainForm& form = *static_cast<MainForm*>(record);
    if (!form.FileDialog->RunDialog()) return;
    const std::string path = form.FileDialog->Filename;
    std::string reason;
    bitmap::PixelBitmap* loaded = ReadPictureFile(path, reason);
    if (loaded == nullptr) {
        ShowError(form, "Cannot open \"" + path + "\": " + reason + ".");
        return;
    }
    // The new picture replaces the old object: the variable is what every
    // handler reads, so nothing else holds the old one.
    Free(WorkBitmap);
    WorkBitmap = loaded;
    winkit::SetItemEnabled(form.MainMenu, kItemEffects, true);
    form.PaintBox->Invalidate();
}

void ShowError(MainForm& form, const std::string& text) {
    MessageBoxA(form.Form->Handle(), text.c_str(), kCaption, MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

} // namespace gleamkit::app
