// Shared pieces of the program's headless tests: a fixture that starts every
// test from a clean window manager, kit state and random sequence with a
// folder of picture files, and helpers that read the program's state the way
// a user sees it (menu states, the view's pixels).
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "effects/effect_common.h"
#include "platform/backend/headless/headless.h"
#include "tools/gleamfx/bmp_writer.h"
#include "tools/gleamfx/gleamfx.h"
#include "tools/sample/sample_picture.h"
#include "winkit/winkit.h"

namespace gleamkit::app::testing {

using tools::PictureHolder;

inline constexpr COLORREF kWorkspace = RGB(128, 128, 128);

class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::Reset();
        winkit::ResetApplication();
        fx::SetRandomState(0);
        m_dir = std::filesystem::temp_directory_path() /
                ("gleamkit_app_" + std::to_string(getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_dir);
        NewMainForm(m_record, nullptr);
    }
    void TearDown() override {
        winkit::ResetApplication();
        headless::Reset();
        std::filesystem::remove_all(m_dir);
    }

    std::string PathOf(const std::string& name) const { return (m_dir / name).string(); }

    // Writes the sample picture of that size as a 24-bit file; answers its path.
    std::string SampleFile(const std::string& name, int32_t width, int32_t height) {
        PictureHolder picture(tools::NewSamplePicture(width, height));
        std::string error;
        EXPECT_TRUE(tools::WriteBmp24(*picture, PathOf(name), error)) << error;
        return PathOf(name);
    }

    // Runs the program's loop until the scripted steps are done (a step per
    // wait for input); the form and everything it owns are freed afterwards.
    void RunProgram() { winkit::Run(m_record->Form); }

    MainForm& Form() { return *m_record; }
    HWND Window() { return m_record->Form->Handle(); }

    bool Enabled(int32_t item) {
        return !winkit::ItemState(winkit::FindItem(m_record->MainMenu, item), winkit::kItemGrayed);
    }

    // The view's pixel at (x, y) of the scroll box's client area.
    COLORREF ViewPixel(int x, int y) {
        POINT point{x, y};
        MapWindowPoints(m_record->ScrollBox->Handle(), Window(), &point, 1);
        return headless::ClientPixel(Window(), point.x, point.y);
    }

    RECT BoxClient() {
        RECT client{};
        GetClientRect(m_record->ScrollBox->Handle(), &client);
        return client;
    }

    // Whether the box's client area shows `picture` scrolled to the bars'
    // positions (the workspace colour beyond it); names the first mismatch.
    std::string ViewShows(bitmap::PixelBitmap& picture) {
        const RECT client = BoxClient();
        const int dx = GetScrollPos(m_record->ScrollBox->Handle(), SB_HORZ);
        const int dy = GetScrollPos(m_record->ScrollBox->Handle(), SB_VERT);
        for (int y = 0; y < client.bottom; ++y) {
            for (int x = 0; x < client.right; ++x) {
                const int px = x + dx;
                const int py = y + dy;
                const bool inside = px < picture.Width() && py < picture.Height();
                const COLORREF expected =
                    inside ? static_cast<COLORREF>(picture.PixelAt(px, py)) : kWorkspace;
                if (ViewPixel(x, y) != expected)
                    return "view pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                           ") differs";
            }
        }
        return "";
    }

    // A copy of the picture the program shows now.
    static PictureHolder Snapshot() {
        PictureHolder copy(bitmap::NewPixelBitmap(0, 0));
        copy->Assign(WorkBitmap);
        return copy;
    }

    MainForm* m_record = nullptr;
    std::filesystem::path m_dir;
};

// True when both pictures have the same size and the same 24-bit pixels.
inline bool SamePicture(bitmap::PixelBitmap& a, bitmap::PixelBitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int32_t y = 0; y < a.Height(); ++y)
        for (int32_t x = 0; x < a.Width(); ++x)
            if (a.PixelAt(x, y) != b.PixelAt(x, y)) return false;
    return true;
}

} // namespace gleamkit::app::testing
