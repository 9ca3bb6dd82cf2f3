// The failures the program survives: a file that cannot be read (told which
// and why, nothing changed), and an operation that raises (told, picture and
// undo as before, the program goes on).
#include "app_test_support.h"

#include <cstring>
#include <fstream>

#include "app/picture_file.h"

namespace gleamkit::app {
namespace {

using testing::AppTest;
using testing::PictureHolder;
using testing::SamePicture;

void Put32(std::string& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

// A file header and a 40-byte info header; no pixels.
std::string BitmapHeaders(uint32_t infoSize, int32_t width, int32_t height, uint16_t bits) {
    std::string bytes(54, '\0');
    bytes[0] = 'B';
    bytes[1] = 'M';
    Put32(bytes, 10, 54);                           // bfOffBits
    Put32(bytes, 14, infoSize);                     // biSize
    Put32(bytes, 18, static_cast<uint32_t>(width)); // biWidth
    Put32(bytes, 22, static_cast<uint32_t>(height));
    bytes[26] = 1; // biPlanes
    bytes[28] = static_cast<char>(bits);
    return bytes;
}

struct Unreadable {
    const char* name;
    std::string bytes;
    const char* reason;
};

const Unreadable kUnreadable[] = {
    {"empty.bmp", "", "empty file"},
    {"text.bmp", "just some words, no picture", "not a bitmap file"},
    {"v5.bmp", BitmapHeaders(124, 4, 4, 24), "unsupported bitmap header (124 bytes)"},
    {"huge.bmp", BitmapHeaders(40, 70000, 70000, 24), "too large (70000 x 70000)"},
    {"short.bmp", BitmapHeaders(40, 10, 10, 24), "damaged or cut short"},
    {"negative.bmp", BitmapHeaders(40, -5, 10, 24), "unsupported negative width"},
    {"header.bmp", std::string("BM\x10\0\0\0", 6), "cut short"},
    {"words.bmp", "BM followed by words", "damaged, or not a bitmap file"},
};

class FaultsTest : public AppTest {
protected:
    std::string WriteFile(const std::string& name, const std::string& bytes) {
        std::ofstream(PathOf(name), std::ios::binary) << bytes;
        return PathOf(name);
    }
};

TEST_F(FaultsTest, RefusedFilesAreExplained) {
    EXPECT_EQ(RefusalReason(PathOf("missing.bmp")), "not found");
    EXPECT_EQ(RefusalReason(PathOf("no/folder/x.bmp")), "not found");
    EXPECT_EQ(RefusalReason(m_dir.string()), "a folder, not a file");
    for (const Unreadable& file : kUnreadable) {
        const std::string path = WriteFile(file.name, file.bytes);
        std::string reason;
        EXPECT_EQ(ReadPictureFile(path, reason), nullptr) << file.name;
        EXPECT_EQ(reason, file.reason) << file.name;
    }
    // A header-only file of an empty picture is read but holds nothing.
    std::string reason;
    EXPECT_EQ(ReadPictureFile(WriteFile("zero.bmp", BitmapHeaders(40, 0, 0, 24)), reason), nullptr);
    EXPECT_EQ(reason, "the picture has no pixels");
}

TEST_F(FaultsTest, AnUnreadableFileKeepsThePictureAndUndoAndSaysWhy) {
    headless::QueueFileDialogAnswer(SampleFile("good.bmp", 40, 30));
    for (const Unreadable& file : kUnreadable)
        headless::QueueFileDialogAnswer(WriteFile(file.name, file.bytes));
    PictureHolder shown;
    PictureHolder undo;
    headless::QueueIdleAction([] { headless::PressKey('O', headless::kModControl); });
    headless::QueueIdleAction([this] {
        EXPECT_TRUE(headless::PickMenuItem(Window(), {"Effects", "Invert"}));
    });
    headless::QueueIdleAction([&] {
        shown = Snapshot();
        undo.reset(bitmap::NewPixelBitmap(0, 0));
        undo->Assign(UndoBitmap);
    });
    for (const Unreadable& file : kUnreadable) {
        headless::QueueIdleAction([] { headless::PressKey('O', headless::kModControl); });
        headless::QueueIdleAction([&, this] {
            SCOPED_TRACE(file.name);
            ASSERT_FALSE(headless::ShownMessageBoxes().empty());
            const headless::ShownMessageBox& box = headless::ShownMessageBoxes().back();
            EXPECT_EQ(box.text, "Cannot open \"" + PathOf(file.name) + "\": " + file.reason + ".");
            EXPECT_EQ(box.owner, Window());
            EXPECT_EQ(box.type & MB_ICONERROR, MB_ICONERROR);
            EXPECT_TRUE(SamePicture(*WorkBitmap, *shown));
            EXPECT_TRUE(SamePicture(*UndoBitmap, *undo));
            EXPECT_TRUE(Enabled(kItemUndo));
            EXPECT_EQ(ViewShows(*WorkBitmap), "");
        });
    }
    RunProgram();
    EXPECT_EQ(headless::ShownMessageBoxes().size(), std::size(kUnreadable));
}

TEST_F(FaultsTest, EffectsStayGrayedUntilAPictureIsActuallyLoaded) {
    headless::QueueFileDialogAnswer(WriteFile("text.bmp", "no picture"));
    headless::QueueFileDialogAnswer(SampleFile("good.bmp", 20, 20));
    headless::QueueIdleAction([] { headless::PressKey('O', headless::kModControl); });
    headless::QueueIdleAction([this] {
        EXPECT_EQ(headless::ShownMessageBoxes().size(), 1u);
        EXPECT_FALSE(Enabled(kItemEffects));
        EXPECT_TRUE(WorkBitmap->Empty());
        headless::PressKey('O', headless::kModControl);
    });
    headless::QueueIdleAction([this] { EXPECT_TRUE(Enabled(kItemEffects)); });
    RunProgram();
}

// "Strecth" raises the library's error on an empty picture; any raising
// operation takes the same road.
TEST_F(FaultsTest, AnOperationThatRaisesLeavesPictureAndUndoAsTheyWere) {
    headless::QueueFileDialogAnswer(SampleFile("good.bmp", 24, 16));
    PictureHolder undo;
    bitmap::PixelBitmap* loaded = nullptr;
    headless::QueueIdleAction([] { headless::PressKey('O', headless::kModControl); });
    headless::QueueIdleAction([this] {
        EXPECT_TRUE(headless::PickMenuItem(Window(), {"Effects", "Invert"}));
    });
    headless::QueueIdleAction([&, this] {
        undo.reset(bitmap::NewPixelBitmap(0, 0));
        undo->Assign(UndoBitmap);
        // Stand an empty picture in for the loaded one.
        loaded = WorkBitmap;
        WorkBitmap = bitmap::NewPixelBitmap(0, 0);
        EXPECT_TRUE(headless::PickMenuItem(Window(), {"Effects", "Strecth"}));
    });
    headless::QueueIdleAction([&, this] {
        ASSERT_EQ(headless::ShownMessageBoxes().size(), 1u);
        EXPECT_EQ(headless::ShownMessageBoxes()[0].text,
                  "Source bitmap too small\nThe picture is unchanged.");
        EXPECT_TRUE(WorkBitmap->Empty());
        EXPECT_TRUE(SamePicture(*UndoBitmap, *undo));
        EXPECT_TRUE(Enabled(kItemUndo));
        Free(WorkBitmap);
        WorkBitmap = loaded;
        // The program goes on: the next command works and can be undone.
        EXPECT_TRUE(headless::PickMenuItem(Window(), {"Effects", "Strecth"}));
    });
    headless::QueueIdleAction([this] {
        EXPECT_EQ(WorkBitmap->Width(), 48);
        EXPECT_TRUE(headless::PickMenuItem(Window(), {"Undo"}));
    });
    headless::QueueIdleAction([this] {
        EXPECT_EQ(WorkBitmap->Width(), 24);
        EXPECT_TRUE(headless::PickMenuItem(Window(), {"File", "Exit"}));
    });
    RunProgram();
}

TEST_F(FaultsTest, AFailureBeforeAnyUndoKeepsUndoGrayed) {
    // Effects are grayed without a picture; the handler is reached directly.
    RunEffectCommand(m_record, nullptr, 91);
    ASSERT_EQ(headless::ShownMessageBoxes().size(), 1u);
    EXPECT_FALSE(Enabled(kItemUndo));
    EXPECT_TRUE(UndoBitmap->Empty());
    EXPECT_TRUE(WorkBitmap->Empty());
    Free(m_record->Form);
}

} // namespace
} // namespace gleamkit::app
