// gleamfx command: every menu command gives the same bytes as `apply` of the
// operation its row names with the program's values (two separate
// transcriptions of the program's arguments that must agree), second
// pictures and options are checked, and failures end with the right status.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "app/commands/command_table.h"
#include "tools/gleamfx/bmp_writer.h"
#include "tools/gleamfx/gleamfx.h"
#include "tools/sample/sample_picture.h"

namespace gleamkit::tools {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status;
    std::string err;
};

Outcome Gleamfx(std::vector<std::string> args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunGleamfx(args, out, err);
    return {status, err.str()};
}

std::string Bytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The arguments `apply` needs where the row passes other values than the
// registry's program values (the items of one sub-menu share an operation).
const std::map<int32_t, std::vector<std::string>> kApplyArgs = {
    {12, {"10", "100", "0"}}, {13, {"10", "100", "1"}}, {14, {"10", "100", "2"}},
    {17, {"0", "0"}},         {18, {"1", "1"}},         {19, {"2", "2"}}};

class CommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("gleamfx_command_" + std::to_string(getpid()));
        fs::create_directories(m_dir);
        // Odd sizes: rows need padding and no side divides evenly.
        WriteSample("in.bmp", 53, 37);
        WriteSample("second.bmp", 29, 41);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string PathOf(const std::string& name) const { return (m_dir / name).string(); }
    void WriteSample(const std::string& name, int32_t width, int32_t height) {
        PictureHolder picture(NewSamplePicture(width, height));
        std::string error;
        ASSERT_TRUE(WriteBmp24(*picture, PathOf(name), error)) << error;
    }

    fs::path m_dir;
};

TEST_F(CommandTest, EveryCommandMatchesApplyOfItsOperation) {
    for (const app::Command& command : app::Commands()) {
        const std::string index = std::to_string(command.index);
        const std::string name(command.call.substr(0, command.call.find('(')));
        const bool second = command.kind == app::CommandKind::SecondPicture;
        std::vector<std::string> viaCommand = {"command", "--seed", "12345", "--utc-time",
                                               "01:02:03.004"};
        std::vector<std::string> viaApply = {"apply", "--seed", "12345", "--utc-time",
                                             "01:02:03.004"};
        if (second) {
            for (auto* args : {&viaCommand, &viaApply}) {
                args->push_back("--second");
                args->push_back(PathOf("second.bmp"));
            }
        }
        viaCommand.insert(viaCommand.end(), {PathOf("in.bmp"), PathOf("c.bmp"), index});
        viaApply.insert(viaApply.end(), {PathOf("in.bmp"), PathOf("a.bmp"), name});
        if (const auto extra = kApplyArgs.find(command.index); extra != kApplyArgs.end())
            viaApply.insert(viaApply.end(), extra->second.begin(), extra->second.end());

        const Outcome byCommand = Gleamfx(viaCommand);
        ASSERT_EQ(byCommand.status, kExitOk) << index << ": " << byCommand.err;
        const Outcome byApply = Gleamfx(viaApply);
        ASSERT_EQ(byApply.status, kExitOk) << name << ": " << byApply.err;
        EXPECT_TRUE(Bytes(PathOf("c.bmp")) == Bytes(PathOf("a.bmp"))) << index << " " << name;
    }
}

TEST_F(CommandTest, StrecthDoublesBothSides) {
    ASSERT_EQ(Gleamfx({"command", PathOf("in.bmp"), PathOf("s.bmp"), "91"}).status, kExitOk);
    PictureHolder stretched = LoadPicture(PathOf("s.bmp"));
    ASSERT_TRUE(stretched);
    EXPECT_EQ(stretched->Width(), 106);
    EXPECT_EQ(stretched->Height(), 74);
}

TEST_F(CommandTest, SeedMakesNoiseReproducibleAndDifferent) {
    const auto noise = [&](const std::string& seed, const std::string& out) {
        EXPECT_EQ(Gleamfx({"command", "--seed", seed, PathOf("in.bmp"), PathOf(out), "6"}).status,
                  kExitOk);
        return Bytes(PathOf(out));
    };
    EXPECT_EQ(noise("7", "a.bmp"), noise("7", "b.bmp"));
    EXPECT_NE(noise("7", "a.bmp"), noise("8", "b.bmp"));
}

TEST_F(CommandTest, RefusesWhatIsNoMenuCommandAndReportsUnreadableFiles) {
    const std::string in = PathOf("in.bmp");
    const std::string out = PathOf("o.bmp");
    // Parents, separators, the file items, "Undo" and numbers beyond the menu.
    for (const char* index : {"0", "1", "3", "4", "5", "11", "28", "100", "-6", "6x", ""})
        EXPECT_EQ(Gleamfx({"command", in, out, index}).status, kExitUsage) << index;
    EXPECT_EQ(Gleamfx({"command", in, out}).status, kExitUsage);
    EXPECT_EQ(Gleamfx({"command", in, out, "6", "7"}).status, kExitUsage);
    EXPECT_EQ(Gleamfx({"command", "--seed", "x", in, out, "6"}).status, kExitUsage);
    EXPECT_EQ(Gleamfx({"command", "--second", in, in, out, "6"}).status, kExitUsage);
    EXPECT_EQ(Gleamfx({"command", "--repeat", "3", in, out, "6"}).status, kExitUsage);

    const Outcome missing = Gleamfx({"command", PathOf("none.bmp"), out, "41"});
    EXPECT_EQ(missing.status, kExitFailure);
    EXPECT_NE(missing.err.find("none.bmp"), std::string::npos);
    EXPECT_FALSE(fs::exists(out));
}

// Sample files in every depth read back in that layout with the sample's
// colours, up to what the depth can hold: exact at 24 and 32 bits, and the
// palette's own colours at 8 bits (the colour bars are palette colours).
TEST_F(CommandTest, SampleWritesEveryDepthTheReaderTakes) {
    const struct {
        const char* bits;
        bitmap::BitmapLayout layout;
    } kDepths[] = {{"1", bitmap::BitmapLayout::Bits1},   {"4", bitmap::BitmapLayout::Bits4},
                   {"8", bitmap::BitmapLayout::Bits8},   {"16", bitmap::BitmapLayout::Bits16},
                   {"24", bitmap::BitmapLayout::Bits24}, {"32", bitmap::BitmapLayout::Bits32}};
    PictureHolder sample(NewSamplePicture(37, 21));
    for (const auto& depth : kDepths) {
        const std::string path = PathOf(std::string("d") + depth.bits + ".bmp");
        ASSERT_EQ(Gleamfx({"sample", path, "37x21", depth.bits}).status, kExitOk) << depth.bits;
        PictureHolder back = LoadPicture(path);
        ASSERT_TRUE(back) << depth.bits;
        EXPECT_EQ(back->Layout(), depth.layout) << depth.bits;
        EXPECT_EQ(back->Width(), 37);
        EXPECT_EQ(back->Height(), 21);
        PictureHolder converted(bitmap::NewPixelBitmap(0, 0));
        converted->Assign(sample.get());
        converted->SetLayout(depth.layout);
        for (int32_t y = 0; y < 21; ++y)
            for (int32_t x = 0; x < 37; ++x)
                ASSERT_EQ(back->PixelAt(x, y), converted->PixelAt(x, y)) << depth.bits;
    }
    EXPECT_EQ(Gleamfx({"sample", PathOf("x.bmp"), "8x8", "7"}).status, kExitUsage);
    EXPECT_EQ(Gleamfx({"sample", PathOf("x.bmp"), "8x8", "24", "1"}).status, kExitUsage);
}

} // namespace
} // namespace gleamkit::tools
