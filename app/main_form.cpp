// Start-up of the main form in its fixed order, the menu template, the paint
// handler and the destroy step that frees the two pictures.
#include "app/main_form.h"

#include "app/commands/command_table.h"
#include "bitmap/canvas.h"
#include "bitmap/draw_tool.h"

namespace gleamkit::app {

bitmap::PixelBitmap* WorkBitmap = nullptr;
bitmap::PixelBitmap* UndoBitmap = nullptr;

namespace {

// clang-format off
constexpr const char* kMenuTemplate[] = {
    "File", "(", "Open bitmap...\tCtrl+O", "-", "Exit", ")", "Undo", "Effects", "(",
    "Add color noise", "Add mono noise", "AntiAliasing", "Blend", "Button", "Oval button", "(",
    "Rimmed", "Round", "Double round", ")", "Contrast", "Convolve", "(", "Convolve E",
    "Convolve I", "Convolve M", ")", "Darkness", "Embossing", "Exclude color", "Extract color",
    "Filter", "(", "Red", "Green", "Blue", "-", "X Red", "X Green", "X Blue", ")", "Fish eye",
    "Flip", "(", "Vertical", "Horizontal", ")", "FoldRight", "Gaussian blur",
    "Convert to grayscale", "Grow", "Height map", "Invert", "Keep", "(", "Red", "Green", "Blue",
    ")", "Lightness", "Make seamless clip", "Marble", "(", "Marble 1", "Marble 2", "Marble 3",
    "Marble 4", "Marble 5", "Marble 6", "Marble 7", "Marble 8", ")", "Mask oval", "Mirror", "(",
    "Horizontal", "Vertical", ")", "Mosaic", "Plasma", "Posterize", "Opaque", "(", "Semi",
    "Quarto", ")", "Ripple", "(", "Tooth", "Triangle", "Random", ")", "Saturation", "Seamless",
    "Shadow", "(", "Down left", "Down right", "Up left", "Up right", ")", "Shake", "(",
    "Vertical", "Horizontal", ")", "Smooth", "(", "Resize", "Rotate", ")", "Solarize", "Split",
    "(", "Blur", "Light", ")", "Spot light", "Spray", "Squeeze horizontal", "Strecth",
    "Texturize", "(", "Overlap", "Tile", ")", "Tile", "Trace", "Triangles", "Twist", "Wave", ")",
    "",
};
// clang-format on
static_assert(std::size(kMenuTemplate) == 133);

constexpr uint32_t kVirtualKeyControl = 9; // FVIRTKEY | FCONTROL
constexpr uint32_t kKeyO = 0x4F;
constexpr int32_t kFontHeight = -11;
constexpr int32_t kFirstViewSide = 32;

// Form's destroy event: the pictures go before the auto-free list runs.
void FreePictures(void*, KitObject*) {
    FreeAndNull(WorkBitmap);
    FreeAndNull(UndoBitmap);
}

void SetHandler(winkit::Menu* menu, int32_t item, winkit::ItemChosenEvent::Procedure procedure,
                MainForm* record) {
    const winkit::ItemChosenEvent handler{procedure, record};
    winkit::SetItemHandlers(menu, item, {&handler, 1});
}

void BuildMenu(MainForm* record) {
    winkit::Menu* menu = winkit::NewMenu(record->Form, kMenuTemplate, {});
    record->MainMenu = menu;
    SetHandler(menu, kItemOpen, OpenBitmap, record);
    winkit::SetItemAccelerator(menu, kItemOpen, winkit::PackAccelerator(kVirtualKeyControl, kKeyO));
    SetHandler(menu, kItemExit, ExitCommand, record);
    winkit::SetItemEnabled(menu, kItemUndo, false);
    winkit::SetItemEnabled(menu, kItemEffects, false);
    SetHandler(menu, kItemUndo, UndoCommand, record);
    for (const Command& command : Commands())
        SetHandler(menu, command.index, RunEffectCommand, record);
}

winkit::FileChooser* NewBitmapDialog() {
    using winkit::ChooserOption;
    winkit::FileChooser* dialog = winkit::NewFileChooser(
        "Select bitmap...", "",
        {ChooserOption::FileMustExist, ChooserOption::HideReadOnly, ChooserOption::PathMustExist});
    dialog->Filter = "Bitmaps|*.bmp;*.dib|All files|*.*";
    dialog->DefaultExtension = "bmp";
    return dialog;
}

} // namespace

std::span<const char* const> MainMenuTemplate() {
    return kMenuTemplate;
}

void NewMainForm(MainForm*& record, winkit::Control* parent) {
    record = new MainForm();
    MainForm* form = record;

    form->Form = winkit::NewForm(parent, kCaption);
    form->Form->SetPosition(kFormLeft, kFormTop);
    form->Form->SetClientSize(kClientWidth, kClientHeight);
    winkit::SetApplicationControl(form->Form);
    AddOwned(form->Form, form);

    form->Form->Font()->SetFontHeight(kFontHeight);
    form->Form->Font()->SetFontName("Tahoma");
    form->Form->SetChildMargin(0);
    form->Form->OnDestroy = {FreePictures, form};

    BuildMenu(form);

    form->FileDialog = NewBitmapDialog();
    AddOwned(form->Form, form->FileDialog);

    form->ScrollBox = winkit::NewScrollingBox(form->Form, winkit::ScrollEdge::Lowered);
    form->ScrollBox->SetAlign(winkit::Align::Client);
    form->ScrollBox->SetColor(kWorkspaceColor);

    form->PaintBox = winkit::NewPaintBox(form->ScrollBox);
    form->PaintBox->SetSize(kFirstViewSide, kFirstViewSide);
    winkit::SetOnPaint(*form->PaintBox, PaintPicture, form);

    form->FileDialog->OwnerWindow = form->Form->WindowHandle();

    WorkBitmap = bitmap::NewPixelBitmap(0, 0);
    UndoBitmap = bitmap::NewPixelBitmap(0, 0);
}

void PaintPicture(void*, KitObject* sender, HDC context) {
    auto* view = static_cast<winkit::Control*>(sender);
    if (WorkBitmap != nullptr && WorkBitmap->Width() > 0 && WorkBitmap->Height() > 0) {
        view->SetSize(WorkBitmap->Width(), WorkBitmap->Height());
        WorkBitmap->Draw(context, 0, 0);
        return;
    }
    bitmap::Canvas* canvas = view->Canvas();
    canvas->Brush()->SetColor(kWorkspaceColor);
    canvas->FillRect(canvas->ClipBounds());
}

} // namespace gleamkit::app
