// The file dialog object: what reaches the platform (filter list, flags, name
// box, owner, save or open) and what comes back (name, filter index, cancel).
#include <array>
#include <fstream>
#include <string>

#include "kit_test_support.h"
#include "winkit/file_chooser.h"

namespace gleamkit::winkit {
namespace {

using testing::KitTest;

class FileChooserTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        m_folder = ::testing::TempDir();
        if (!m_folder.empty() && m_folder.back() != '/') m_folder += '/';
        m_chooser = NewFileChooser("Select bitmap...", "", {});
        m_chooser->Filter = "Bitmaps|*.bmp;*.dib|All files|*.*";
        m_chooser->DefaultExtension = "bmp";
    }
    void TearDown() override {
        Free(m_chooser);
        KitTest::TearDown();
    }
    void QueueFileDialogCancelAndRun() {
        headless::QueueFileDialogCancel();
        EXPECT_FALSE(m_chooser->RunDialog());
    }
    std::string MakeFile(const std::string& name) {
        const std::string path = m_folder + name;
        std::ofstream(path) << "BM";
        return path;
    }

    std::string m_folder;
    FileChooser* m_chooser = nullptr;
};

TEST_F(FileChooserTest, FilterReachesThePlatformAsZeroSeparatedPairs) {
    const std::vector<char> list = PlatformFilterList("Bitmaps|*.bmp;*.dib|All files|*.*");
    constexpr char kExpected[] = "Bitmaps\0*.bmp;*.dib\0All files\0*.*\0";
    EXPECT_EQ(std::string(list.begin(), list.end()), std::string(kExpected, sizeof(kExpected)));
    EXPECT_TRUE(PlatformFilterList("").empty());
    // A bar as the very first character is text, not a separator.
    const std::vector<char> leading = PlatformFilterList("|a|b");
    EXPECT_EQ(std::string(leading.begin(), leading.end()), std::string("|a\0b\0\0", 6));

    QueueFileDialogCancelAndRun();
    const auto& shown = headless::ShownFileDialogs();
    ASSERT_EQ(shown.size(), 1u);
    ASSERT_EQ(shown[0].filters.size(), 2u);
    EXPECT_EQ(shown[0].filters[0], (std::pair<std::string, std::string>{"Bitmaps", "*.bmp;*.dib"}));
    EXPECT_EQ(shown[0].filters[1], (std::pair<std::string, std::string>{"All files", "*.*"}));
    EXPECT_EQ(shown[0].title, "Select bitmap...");
    EXPECT_EQ(shown[0].defaultExtension, "bmp");
    EXPECT_FALSE(shown[0].save);
    EXPECT_TRUE(shown[0].fileMustExist);
}

TEST_F(FileChooserTest, OptionsBecomeExactlyTheirFlagsPlusTheThreeAlwaysAdded) {
    constexpr DWORD kAlways = OFN_EXPLORER | OFN_LONGNAMES | OFN_ENABLESIZING;
    EXPECT_EQ(DialogFlags({ChooserOption::FileMustExist, ChooserOption::HideReadOnly,
                           ChooserOption::PathMustExist}),
              OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | kAlways);
    EXPECT_EQ(DialogFlags({}), kAlways);
    const std::array<std::pair<ChooserOption, DWORD>, 13> table = {{
        {ChooserOption::CreatePrompt, 0x2000},
        {ChooserOption::ExtensionDifferent, 0x400},
        {ChooserOption::FileMustExist, 0x1000},
        {ChooserOption::HideReadOnly, 0x4},
        {ChooserOption::NoChangeDir, 0x8},
        {ChooserOption::NoDereferenceLinks, 0x100000},
        {ChooserOption::AllowMultiSelect, 0x200},
        {ChooserOption::NoNetworkButton, 0x20000},
        {ChooserOption::NoReadOnlyReturn, 0x8000},
        {ChooserOption::OverwritePrompt, 0x2},
        {ChooserOption::PathMustExist, 0x800},
        {ChooserOption::ReadOnly, 0x1},
        {ChooserOption::NoValidate, 0x100},
    }};
    for (const auto& [option, flag] : table)
        EXPECT_EQ(DialogFlags({option}), flag | kAlways) << static_cast<int>(option);

    // The empty set asks for the defaults; any other set is kept exactly.
    EXPECT_EQ(m_chooser->Options, DefaultChooserOptions);
    EXPECT_EQ(DialogFlags(DefaultChooserOptions), OFN_FILEMUSTEXIST | OFN_HIDEREADONLY |
                                                      OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST |
                                                      kAlways);
    FileChooser* own = NewFileChooser(nullptr, nullptr, {ChooserOption::NoValidate});
    EXPECT_EQ(own->Options, ChooserOptions{ChooserOption::NoValidate});
    EXPECT_TRUE(own->IsOpenDialog);
    EXPECT_EQ(own->FilterIndex, 0);
    Free(own);
}

TEST_F(FileChooserTest, CancelEmptiesTheNameAndKeepsTheFilterIndex) {
    const std::string picture = MakeFile("chosen.bmp");
    headless::QueueFileDialogAnswer(picture, 2);
    ASSERT_TRUE(m_chooser->RunDialog());
    EXPECT_EQ(m_chooser->Filename, picture);
    EXPECT_EQ(m_chooser->FilterIndex, 2);

    // The next dialog opens with the confirmed name and filter.
    headless::QueueFileDialogCancel();
    EXPECT_FALSE(m_chooser->RunDialog());
    const auto& shown = headless::ShownFileDialogs();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].initialName, picture);
    EXPECT_EQ(shown[1].filterIndex, 2);
    EXPECT_EQ(m_chooser->Filename, "");
    EXPECT_EQ(m_chooser->FilterIndex, 2);
}

TEST_F(FileChooserTest, LongNameIsCutToTheNameBox) {
    m_chooser->Filename = std::string(300, 'n');
    QueueFileDialogCancelAndRun();
    ASSERT_EQ(headless::ShownFileDialogs().size(), 1u);
    EXPECT_EQ(headless::ShownFileDialogs()[0].initialName, std::string(261, 'n'));
}

TEST_F(FileChooserTest, SaveDialogAndOwnerFollowTheSettings) {
    Control* form = NewForm(nullptr, "Owner");
    HWND window = form->WindowHandle();
    SetApplicationControl(form);
    m_chooser->IsOpenDialog = false;
    QueueFileDialogCancelAndRun();
    ASSERT_EQ(headless::ShownFileDialogs().size(), 1u);
    EXPECT_TRUE(headless::ShownFileDialogs()[0].save);
    EXPECT_EQ(headless::ShownFileDialogs()[0].owner, window);
    SetApplicationControl(nullptr);
    Free(form);
}

TEST_F(FileChooserTest, MultipleSelectionJoinsTheNamesWithCarriageReturns) {
    m_chooser->Options = {ChooserOption::AllowMultiSelect, ChooserOption::FileMustExist};
    const std::string first = MakeFile("one.bmp");
    const std::string second = MakeFile("two.bmp");
    headless::QueueFileDialogAnswer(std::vector<std::string>{first, second}, 1);
    ASSERT_TRUE(m_chooser->RunDialog());
    EXPECT_TRUE(headless::ShownFileDialogs()[0].multiSelect);
    std::string folder = m_folder;
    if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    EXPECT_EQ(m_chooser->Filename, folder + "\rone.bmp\rtwo.bmp");
}

} // namespace
} // namespace gleamkit::winkit
