// Effect commands run from the menu with the program's fixed arguments: the
// colour "Exclude color" takes from the picture, the "Marble" numbers, and
// the program itself started and left without a display of its own.
#include "app_test_support.h"

#include <cstdlib>
#include <fstream>

#include "app/commands/command_table.h"
#include "effects/button_mask.h"
#include "effects/composition.h"
#include "effects/marble.h"

namespace gleamkit::app {
namespace {

using testing::AppTest;
using testing::PictureHolder;
using testing::SamePicture;

class CommandsTest : public AppTest {};

TEST_F(CommandsTest, ExcludeColorBlackensExactlyTheColourAtTenTen) {
    // The sample's colour bars repeat the colour at (10, 10) in a wide area,
    // while the neighbouring grid lines and bars differ from it.
    headless::QueueFileDialogAnswer(SampleFile("bars.bmp", 64, 48));
    PictureHolder before;
    headless::QueueIdleAction([] { headless::PressKey('O', headless::kModControl); });
    headless::QueueIdleAction([&, this] {
        before = Snapshot();
        EXPECT_TRUE(headless::PickMenuItem(Window(), {"Effects", "Exclude color"}));
    });
    headless::QueueIdleAction([&] {
        const Color excluded = before->PixelAt(10, 10);
        int blackened = 0;
        for (int32_t y = 0; y < before->Height(); ++y) {
            for (int32_t x = 0; x < before->Width(); ++x) {
                const Color was = before->PixelAt(x, y);
                const Color now = WorkBitmap->PixelAt(x, y);
                if (was == excluded) {
                    ASSERT_EQ(now, 0) << x << ", " << y;
                    ++blackened;
                } else {
                    ASSERT_EQ(now, was) << x << ", " << y;
                }
            }
        }
        EXPECT_GT(blackened, 1);
        EXPECT_NE(excluded, 0);
    });
    RunProgram();
}

// Marble 2 passes 2 and 2.0, Marble 7 passes 4 and 4.0, the others 3 and 3.0.
TEST_F(CommandsTest, MarbleItemsPassTheirScaleAndTurbulence) {
    using MarbleFn = void (*)(bitmap::PixelBitmap&, bitmap::PixelBitmap&, int32_t, long double);
    const struct {
        int32_t index;
        MarbleFn marble;
        int32_t scale;
        long double turbulence;
    } kMarbles[] = {
        {49, fx::Marble1, 3, 3.0L}, {50, fx::Marble2, 2, 2.0L}, {51, fx::Marble3, 3, 3.0L},
        {52, fx::Marble4, 3, 3.0L}, {53, fx::Marble5, 3, 3.0L}, {54, fx::Marble6, 3, 3.0L},
        {55, fx::Marble7, 4, 4.0L}, {56, fx::Marble8, 3, 3.0L},
    };
    PictureHolder source(tools::NewSamplePicture(45, 33));
    for (const auto& row : kMarbles) {
        PictureHolder viaCommand(bitmap::NewPixelBitmap(0, 0));
        viaCommand->Assign(source.get());
        ApplyCommand(*FindCommand(row.index), *viaCommand, nullptr);
        PictureHolder direct(bitmap::NewPixelBitmap(0, 0));
        direct->Assign(source.get());
        PictureHolder copy(bitmap::NewPixelBitmap(0, 0));
        copy->Assign(source.get());
        row.marble(*copy, *direct, row.scale, row.turbulence);
        EXPECT_TRUE(SamePicture(*viaCommand, *direct)) << "Marble " << row.index - 48;
    }
    Free(m_record->Form);
}

TEST_F(CommandsTest, SpotLightOnAHundredBySixtyLightsTwentyFiveFifteenToFiftyThirty) {
    PictureHolder viaCommand(tools::NewSamplePicture(100, 60));
    PictureHolder direct(tools::NewSamplePicture(100, 60));
    ApplyCommand(*FindCommand(88), *viaCommand, nullptr);
    fx::SpotLight(*direct, -50, MakeRect(25, 15, 50, 30));
    EXPECT_TRUE(SamePicture(*viaCommand, *direct));
    Free(m_record->Form);
}

TEST_F(CommandsTest, BlendAsksForTheSecondPictureAndCombinesBoth) {
    const std::string second = SampleFile("second.bmp", 50, 70);
    headless::QueueFileDialogAnswer(SampleFile("first.bmp", 40, 30));
    headless::QueueFileDialogAnswer(second);
    PictureHolder expected;
    headless::QueueIdleAction([] { headless::PressKey('O', headless::kModControl); });
    headless::QueueIdleAction([&, this] {
        expected = Snapshot();
        PictureHolder copy = Snapshot();
        PictureHolder other = tools::LoadPicture(second);
        fx::Blend(*copy, *other, *expected, 0.333L);
        EXPECT_TRUE(headless::PickMenuItem(Window(), {"Effects", "Blend"}));
    });
    headless::QueueIdleAction([&, this] {
        EXPECT_EQ(headless::ShownFileDialogs().size(), 2u);
        EXPECT_TRUE(SamePicture(*WorkBitmap, *expected));
        EXPECT_TRUE(Enabled(kItemUndo));
        EXPECT_EQ(ViewShows(*WorkBitmap), "");
    });
    RunProgram();
}

// For each of the four compositions: a cancelled dialog and an unreadable
// second file change nothing, and only the unreadable file is told.
TEST_F(CommandsTest, SecondPictureCommandsChangeNothingWithoutASecondPicture) {
    std::ofstream(PathOf("words.bmp")) << "not a picture";
    headless::QueueFileDialogAnswer(SampleFile("first.bmp", 40, 30));
    PictureHolder shown;
    headless::QueueIdleAction([] { headless::PressKey('O', headless::kModControl); });
    headless::QueueIdleAction([&] { shown = Snapshot(); });
    for (const char* caption : {"Blend", "FoldRight", "Grow", "Plasma"}) {
        headless::QueueIdleAction([this, caption] {
            headless::QueueFileDialogCancel();
            EXPECT_TRUE(headless::PickMenuItem(Window(), {"Effects", caption}));
        });
        headless::QueueIdleAction([this, caption] {
            headless::QueueFileDialogAnswer(PathOf("words.bmp"));
            EXPECT_TRUE(headless::PickMenuItem(Window(), {"Effects", caption}));
        });
        headless::QueueIdleAction([&, this, caption] {
            SCOPED_TRACE(caption);
            EXPECT_TRUE(SamePicture(*WorkBitmap, *shown));
            EXPECT_TRUE(UndoBitmap->Empty());
            EXPECT_FALSE(Enabled(kItemUndo));
            ASSERT_FALSE(headless::ShownMessageBoxes().empty());
            EXPECT_EQ(headless::ShownMessageBoxes().back().text,
                      "Cannot read \"" + PathOf("words.bmp") + "\": not a bitmap file.");
        });
    }
    RunProgram();
    EXPECT_EQ(headless::ShownMessageBoxes().size(), 4u);
    EXPECT_EQ(headless::ShownFileDialogs().size(), 9u);
}

// Without scripted input the headless program's loop ends at once: the
// program builds its form, runs and shuts down with status 0.
TEST(ProgramBinary, StartsAndEndsCleanlyWithoutADisplay) {
    const std::string command =
        std::string("GLEAMKIT_BACKEND=headless ") + GLEAMKIT_PROGRAM + " > /dev/null 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
} // namespace gleamkit::app
