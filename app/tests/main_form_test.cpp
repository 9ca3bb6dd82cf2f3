// The program's states as a user meets them: the start state, opening through
// Ctrl+O and through the menu, the view and its scroll range, effects with
// their one level of undo, and the shut-down that frees everything once.
#include "app_test_support.h"

#include "app/commands/command_table.h"
#include "bitmap/draw_tool.h"

namespace gleamkit::app {
namespace {

using testing::AppTest;
using testing::kWorkspace;
using testing::PictureHolder;
using testing::SamePicture;

class MainFormTest : public AppTest {};

std::vector<std::string>& Destroyed() {
    static std::vector<std::string> names;
    return names;
}

void RecordDestroy(void* name, KitObject*) {
    Destroyed().push_back(static_cast<const char*>(name));
}

TEST_F(MainFormTest, StartsWithItsCaptionSizeGrayedMenusAndAnEmptyView) {
    headless::QueueIdleAction([this] {
        char caption[64] = {};
        GetWindowTextA(Window(), caption, sizeof caption);
        EXPECT_STREQ(caption, "Test Gleamkit");
        RECT outer{};
        GetWindowRect(Window(), &outer);
        EXPECT_EQ(outer.left, 192);
        EXPECT_EQ(outer.top, 110);
        RECT client{};
        GetClientRect(Window(), &client);
        EXPECT_EQ(client.right, 688);
        EXPECT_EQ(client.bottom, 426 - GetSystemMetrics(SM_CYMENU));

        winkit::Menu* bar = Form().MainMenu;
        ASSERT_EQ(bar->DirectItemCount(), 3);
        EXPECT_EQ(bar->DirectItem(0)->Caption(), "File");
        EXPECT_EQ(bar->DirectItem(1)->Caption(), "Undo");
        EXPECT_EQ(bar->DirectItem(2)->Caption(), "Effects");
        EXPECT_EQ(winkit::ItemCount(bar), 100);
        EXPECT_TRUE(Enabled(kItemOpen));
        EXPECT_FALSE(Enabled(kItemUndo));
        EXPECT_FALSE(Enabled(kItemEffects));
        EXPECT_EQ(Form().Form->Font()->GetFontHeight(), -11);
        EXPECT_STREQ(Form().Form->Font()->GetFontName(), "Tahoma");

        // Only the workspace colour, over the whole box.
        EXPECT_EQ(Form().PaintBox->FullRect(), MakeRect(0, 0, 32, 32));
        const RECT box = BoxClient();
        for (int y = 0; y < box.bottom; y += 7)
            for (int x = 0; x < box.right; x += 7) ASSERT_EQ(ViewPixel(x, y), kWorkspace);
        EXPECT_FALSE(headless::PickMenuItem(Window(), {"Undo"}));
    });
    RunProgram();
}

TEST_F(MainFormTest, CtrlOAndTheMenuItemRunTheSameOpenCommand) {
    const std::string first = SampleFile("first.bmp", 40, 30);
    const std::string second = SampleFile("second.bmp", 50, 20);
    headless::QueueFileDialogAnswer(first);
    headless::QueueFileDialogAnswer(second);
    headless::QueueIdleAction([] { headless::PressKey('O', headless::kModControl); });
    headless::QueueIdleAction([this] {
        EXPECT_EQ(WorkBitmap->Width(), 40);
        EXPECT_TRUE(Enabled(kItemEffects));
        EXPECT_TRUE(headless::PickMenuItem(Window(), {"File", "Open bitmap..."}));
    });
    headless::QueueIdleAction([&] {
        EXPECT_EQ(WorkBitmap->Width(), 50);
        EXPECT_EQ(ViewShows(*WorkBitmap), "");
        const auto& dialogs = headless::ShownFileDialogs();
        ASSERT_EQ(dialogs.size(), 2u);
        for (const auto& dialog : dialogs) {
            EXPECT_EQ(dialog.title, "Select bitmap...");
            EXPECT_EQ(dialog.defaultExtension, "bmp");
            EXPECT_TRUE(dialog.fileMustExist);
            ASSERT_EQ(dialog.filters.size(), 2u);
            EXPECT_EQ(dialog.filters[0].second, "*.bmp;*.dib");
            EXPECT_EQ(dialog.filters[1].first, "All files");
            EXPECT_EQ(dialog.owner, Window());
        }
        // The second dialog starts with the name confirmed in the first.
        EXPECT_EQ(dialogs[1].initialName, first);
        // No undo copy is taken by opening.
        EXPECT_FALSE(Enabled(kItemUndo));
    });
    RunProgram();
}

TEST_F(MainFormTest, ALargePictureSizesTheViewAndIsReachableByScrolling) {
    headless::QueueFileDialogAnswer(SampleFile("large.bmp", 1000, 800));
    headless::QueueIdleAction([] { headless::PressKey('O', headless::kModControl); });
    headless::QueueIdleAction([this] {
        EXPECT_EQ(Form().PaintBox->FullRect(), MakeRect(0, 0, 1000, 800));
        SCROLLINFO horizontal{};
        horizontal.cbSize = sizeof horizontal;
        horizontal.fMask = SIF_ALL;
        SCROLLINFO vertical = horizontal;
        GetScrollInfo(Form().ScrollBox->Handle(), SB_HORZ, &horizontal);
        GetScrollInfo(Form().ScrollBox->Handle(), SB_VERT, &vertical);
        // Both bars show: the picture is larger than the box either way.
        EXPECT_LT(static_cast<int>(horizontal.nPage), horizontal.nMax - horizontal.nMin + 1);
        EXPECT_LT(static_cast<int>(vertical.nPage), vertical.nMax - vertical.nMin + 1);
        EXPECT_EQ(ViewShows(*WorkBitmap), "");
        // Scrolled to the far ends, the last column and row are in view.
        for (int i = 0; i < 10; ++i) {
            SendMessageA(Form().ScrollBox->Handle(), WM_HSCROLL, SB_PAGEDOWN, 0);
            SendMessageA(Form().ScrollBox->Handle(), WM_VSCROLL, SB_PAGEDOWN, 0);
        }
    });
    headless::QueueIdleAction([this] {
        const RECT box = BoxClient();
        EXPECT_EQ(ViewPixel(box.right - 1, box.bottom - 1),
                  static_cast<COLORREF>(WorkBitmap->PixelAt(999, 799)));
        EXPECT_EQ(ViewShows(*WorkBitmap), "");
    });
    RunProgram();
}

TEST_F(MainFormTest, StrecthDoublesTheViewAndUndoShrinksItBack) {
    headless::QueueFileDialogAnswer(SampleFile("small.bmp", 60, 45));
    headless::QueueIdleAction([] { headless::PressKey('O', headless::kModControl); });
    headless::QueueIdleAction([this] {
        EXPECT_TRUE(headless::PickMenuItem(Window(), {"Effects", "Strecth"}));
    });
    headless::QueueIdleAction([this] {
        EXPECT_TRUE(Enabled(kItemUndo));
        EXPECT_EQ(Form().PaintBox->FullRect(), MakeRect(0, 0, 120, 90));
        EXPECT_EQ(ViewShows(*WorkBitmap), "");
        EXPECT_TRUE(headless::PickMenuItem(Window(), {"Undo"}));
    });
    headless::QueueIdleAction([this] {
        EXPECT_FALSE(Enabled(kItemUndo));
        EXPECT_EQ(Form().PaintBox->FullRect(), MakeRect(0, 0, 60, 45));
        EXPECT_EQ(ViewShows(*WorkBitmap), "");
    });
    RunProgram();
}

TEST_F(MainFormTest, UndoGivesBackThePictureFromBeforeTheLastEffectOnly) {
    headless::QueueFileDialogAnswer(SampleFile("p.bmp", 31, 17));
    PictureHolder afterFirst;
    headless::QueueIdleAction([] { headless::PressKey('O', headless::kModControl); });
    headless::QueueIdleAction([this] {
        EXPECT_TRUE(headless::PickMenuItem(Window(), {"Effects", "Invert"}));
    });
    headless::QueueIdleAction([&] {
        afterFirst = Snapshot();
        EXPECT_TRUE(headless::PickMenuItem(Window(), {"Effects", "Add mono noise"}));
    });
    headless::QueueIdleAction([&] {
        EXPECT_FALSE(SamePicture(*WorkBitmap, *afterFirst));
        EXPECT_TRUE(headless::PickMenuItem(Window(), {"Undo"}));
    });
    headless::QueueIdleAction([&] {
        EXPECT_TRUE(SamePicture(*WorkBitmap, *afterFirst));
        EXPECT_EQ(ViewShows(*WorkBitmap), "");
        // Undo is not undoable: the item is grayed until the next effect.
        EXPECT_FALSE(Enabled(kItemUndo));
        EXPECT_FALSE(headless::PickMenuItem(Window(), {"Undo"}));
    });
    RunProgram();
}

TEST_F(MainFormTest, OpeningKeepsUndoWhichThenBringsBackTheEarlierPicture) {
    headless::QueueFileDialogAnswer(SampleFile("a.bmp", 30, 20));
    headless::QueueFileDialogAnswer(SampleFile("b.bmp", 70, 50));
    PictureHolder first;
    headless::QueueIdleAction([] { headless::PressKey('O', headless::kModControl); });
    headless::QueueIdleAction([&] {
        first = Snapshot();
        EXPECT_TRUE(headless::PickMenuItem(Window(), {"Effects", "Invert"}));
    });
    headless::QueueIdleAction([] { headless::PressKey('O', headless::kModControl); });
    headless::QueueIdleAction([this] {
        EXPECT_EQ(WorkBitmap->Width(), 70);
        EXPECT_TRUE(Enabled(kItemUndo));
        EXPECT_TRUE(headless::PickMenuItem(Window(), {"Undo"}));
    });
    headless::QueueIdleAction([&] {
        EXPECT_TRUE(SamePicture(*WorkBitmap, *first));
        EXPECT_EQ(Form().PaintBox->FullRect(), MakeRect(0, 0, 30, 20));
    });
    RunProgram();
}

TEST_F(MainFormTest, ExitFreesThePicturesTheDialogAndTheRecordOnceInOrder) {
    Destroyed().clear();
    headless::QueueFileDialogAnswer(SampleFile("p.bmp", 12, 12));
    headless::QueueIdleAction([] { headless::PressKey('O', headless::kModControl); });
    headless::QueueIdleAction([this] {
        EXPECT_TRUE(headless::PickMenuItem(Window(), {"Effects", "Invert"}));
    });
    headless::QueueIdleAction([this] {
        WorkBitmap->OnDestroy = {RecordDestroy, const_cast<char*>("work")};
        UndoBitmap->OnDestroy = {RecordDestroy, const_cast<char*>("undo")};
        Form().FileDialog->OnDestroy = {RecordDestroy, const_cast<char*>("dialog")};
        Form().OnDestroy = {RecordDestroy, const_cast<char*>("record")};
        EXPECT_TRUE(headless::PickMenuItem(Window(), {"File", "Exit"}));
    });
    RunProgram();
    EXPECT_EQ(Destroyed(), (std::vector<std::string>{"work", "undo", "dialog", "record"}));
    EXPECT_EQ(WorkBitmap, nullptr);
    EXPECT_EQ(UndoBitmap, nullptr);
}

} // namespace
} // namespace gleamkit::app
