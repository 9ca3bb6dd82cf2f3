// The file dialogs: checking the record, the filter list and its index, names
// resolved against the folder with the default extension, the must-exist and
// overwrite rules, the multiple-selection list, the buffer-too-small failure,
// and a modal owner that keeps being painted but takes no input.
#include "platform/tests/user_test_support.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <unistd.h>
#include <filesystem>
#include <string>

namespace {

using namespace usertest;
namespace headless = gleamkit::headless;
namespace fs = std::filesystem;

class FileDialogTest : public UserTest {
protected:
    void SetUp() override {
        UserTest::SetUp();
        folder = fs::temp_directory_path() / ("gleamkit_dialog_" + std::to_string(::getpid()));
        fs::create_directories(folder);
        for (const char* name : {"a.bmp", "b.bmp"})
            std::fclose(std::fopen((folder / name).c_str(), "wb"));
        ofn = OPENFILENAMEA{};
        ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
        ofn.lpstrFilter = kFilter;
        ofn.lpstrFile = buffer;
        ofn.nMaxFile = sizeof(buffer);
        ofn.lpstrInitialDir = dir.c_str();
        ofn.lpstrDefExt = "bmp";
        ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
    }
    void TearDown() override {
        fs::remove_all(folder);
        UserTest::TearDown();
    }

    static constexpr char kFilter[] = "Bitmaps\0*.bmp;*.dib\0All files\0*.*\0";
    fs::path folder;
    std::string dir = "";
    char buffer[262] = {};
    OPENFILENAMEA ofn{};
};

TEST_F(FileDialogTest, RecordIsCheckedBeforeAnythingShows) {
    ofn.lStructSize = 80;
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), CDERR_STRUCTSIZE);
    ofn.lStructSize = sizeof(OPENFILENAMEA);
    ofn.nMaxFile = 0;
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), CDERR_INITIALIZATION);
    ofn.nMaxFile = sizeof(buffer);
    ofn.lpstrFilter = "Bitmaps\0*.bmp\0Odd one\0"; // a description without patterns
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), CDERR_INITIALIZATION);
    ofn.lpstrFilter = kFilter;
    ofn.Flags |= OFN_ENABLEHOOK;
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), CDERR_NOHOOK);
    EXPECT_TRUE(headless::ShownFileDialogs().empty());
    EXPECT_FALSE(GetOpenFileNameA(nullptr));
}

TEST_F(FileDialogTest, FiltersAndIndexGoInAndComeOutAndTheExtensionIsAdded) {
    dir = folder.string();
    ofn.lpstrInitialDir = dir.c_str();
    ofn.nFilterIndex = 0;
    std::strcpy(buffer, "start.bmp");
    headless::QueueFileDialogAnswer("a", 2);
    ASSERT_TRUE(GetOpenFileNameA(&ofn)) << CommDlgExtendedError();
    const auto& shown = headless::ShownFileDialogs().back();
    ASSERT_EQ(shown.filters.size(), 2u);
    EXPECT_EQ(shown.filters[0].first, "Bitmaps");
    EXPECT_EQ(shown.filters[0].second, "*.bmp;*.dib");
    EXPECT_EQ(shown.filters[1].second, "*.*");
    EXPECT_EQ(shown.filterIndex, 1); // 0 selects the first pair
    EXPECT_EQ(shown.initialName, "start.bmp");
    EXPECT_EQ(shown.initialDir, dir);
    EXPECT_FALSE(shown.save);
    const std::string expected = (folder / "a.bmp").string();
    EXPECT_EQ(std::string(buffer), expected);
    EXPECT_EQ(ofn.nFilterIndex, 2u);
    EXPECT_STREQ(buffer + ofn.nFileOffset, "a.bmp");
    EXPECT_STREQ(buffer + ofn.nFileExtension, "bmp");
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    // A cancel answers FALSE with no error and leaves the index.
    headless::QueueFileDialogCancel();
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    EXPECT_EQ(ofn.nFilterIndex, 2u);
}

TEST_F(FileDialogTest, MissingFilesAreRefusedAndTheDialogStaysUp) {
    dir = folder.string();
    ofn.lpstrInitialDir = dir.c_str();
    headless::QueueFileDialogAnswer("missing.bmp");
    headless::QueueFileDialogAnswer("nowhere/b.bmp");
    headless::QueueFileDialogAnswer("b.bmp");
    ASSERT_TRUE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(std::string(buffer), (folder / "b.bmp").string());
    EXPECT_EQ(headless::ShownFileDialogs().size(), 3u);
    ASSERT_EQ(headless::ShownMessageBoxes().size(), 2u);
    EXPECT_NE(headless::ShownMessageBoxes()[0].text.find("File not found"), std::string::npos);
    EXPECT_NE(headless::ShownMessageBoxes()[1].text.find("Path does not exist"), std::string::npos);
    // Without the rule a missing name is fine (a save dialog's usual case).
    ofn.Flags = OFN_EXPLORER;
    headless::QueueFileDialogAnswer("new");
    ASSERT_TRUE(GetSaveFileNameA(&ofn));
    EXPECT_EQ(std::string(buffer), (folder / "new.bmp").string());
}

TEST_F(FileDialogTest, SaveAsksBeforeReplacingAnExistingFile) {
    dir = folder.string();
    ofn.lpstrInitialDir = dir.c_str();
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_EXPLORER;
    headless::QueueFileDialogAnswer("a.bmp");
    headless::QueueMessageBoxAnswer(IDNO);
    headless::QueueFileDialogAnswer("a.bmp");
    headless::QueueMessageBoxAnswer(IDYES);
    ASSERT_TRUE(GetSaveFileNameA(&ofn));
    EXPECT_EQ(headless::ShownMessageBoxes().size(), 2u);
    EXPECT_EQ(headless::ShownFileDialogs().size(), 2u);
    EXPECT_TRUE(headless::ShownFileDialogs()[0].save);
    EXPECT_EQ(headless::ShownFileDialogs()[1].initialName, "a.bmp"); // shown again
}

TEST_F(FileDialogTest, ANameThatDoesNotFitIsNotCut) {
    dir = folder.string();
    ofn.lpstrInitialDir = dir.c_str();
    const std::string full = (folder / "a.bmp").string();
    ofn.nMaxFile = static_cast<DWORD>(full.size()); // one short of the zero
    std::memset(buffer, 'x', sizeof(buffer));
    buffer[0] = '\0';
    headless::QueueFileDialogAnswer("a.bmp");
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), FNERR_BUFFERTOOSMALL);
    WORD needed = 0;
    std::memcpy(&needed, buffer, sizeof(needed));
    EXPECT_EQ(needed, full.size() + 1);
    EXPECT_EQ(buffer[2], 'x'); // nothing else written
    ofn.nMaxFile = static_cast<DWORD>(full.size() + 1);
    buffer[0] = '\0';
    headless::QueueFileDialogAnswer("a.bmp");
    EXPECT_TRUE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(std::string(buffer), full);
}

TEST_F(FileDialogTest, MultipleSelectionComesAsFolderThenNames) {
    dir = folder.string();
    ofn.lpstrInitialDir = dir.c_str();
    ofn.Flags |= OFN_ALLOWMULTISELECT;
    headless::QueueFileDialogAnswer(std::vector<std::string>{"a.bmp", "b.bmp"});
    ASSERT_TRUE(GetOpenFileNameA(&ofn));
    const std::string list(buffer, dir.size() + 1 + 6 + 6 + 1);
    EXPECT_EQ(list, dir + '\0' + "a.bmp" + '\0' + "b.bmp" + '\0' + '\0');
    EXPECT_EQ(ofn.nFileOffset, dir.size() + 1);
    // Several names without the flag are refused.
    ofn.Flags &= ~OFN_ALLOWMULTISELECT;
    headless::QueueFileDialogAnswer(std::vector<std::string>{"a.bmp", "b.bmp"});
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), FNERR_INVALIDFILENAME);
}

TEST_F(FileDialogTest, OwnerIsPaintedButTakesNoInputWhileTheDialogIsUp) {
    const HWND top = MakeTopLevel(100, 100);
    headless::RunPendingMessages();
    RECT part{0, 0, 10, 10};
    InvalidateRect(top, &part, TRUE);
    Log().clear();
    BOOL enabledDuring = TRUE;
    int paintsBeforeAnswer = 0;
    headless::QueueFileDialogAnswer([&](const gleamkit::backend::FileDialogRequest& request) {
        enabledDuring = IsWindowEnabled(top);
        paintsBeforeAnswer = CountOf(top, WM_PAINT);
        EXPECT_EQ(request.owner, top);
        headless::Click(top, 5, 5);
        headless::RunPendingMessages();
        return gleamkit::backend::FileDialogAnswer{};
    });
    ofn.hwndOwner = top;
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_FALSE(enabledDuring);
    EXPECT_EQ(paintsBeforeAnswer, 1);
    EXPECT_EQ(CountOf(top, WM_LBUTTONDOWN), 0);
    EXPECT_TRUE(IsWindowEnabled(top));
    ofn.hwndOwner = reinterpret_cast<HWND>(0x12345678900);
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), CDERR_DIALOGFAILURE);
}

TEST_F(FileDialogTest, AnExceptionInAPaintDuringTheDialogComesOutAfterIt) {
    const HWND top = MakeTopLevel(100, 100);
    headless::RunPendingMessages();
    InvalidateRect(top, nullptr, TRUE);
    TestHandler() = [](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_PAINT) throw std::runtime_error("paint failed");
        return std::nullopt;
    };
    headless::QueueFileDialogAnswer("a.bmp");
    ofn.hwndOwner = top;
    EXPECT_THROW(GetOpenFileNameA(&ofn), std::runtime_error);
    TestHandler() = nullptr;
    EXPECT_TRUE(IsWindowEnabled(top));
}

} // namespace
