// gleamfx end to end: the bitmap writer's bytes and round trip, the sample
// picture, each command's output, apply's wiring, options and reproducibility,
// and the exit statuses both through RunGleamfx and through the real binary.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <unistd.h>
#include <vector>

#include "effects/composition.h"
#include "effects/effect_common.h"
#include "effects/noise_tone.h"
#include "effects/parallel.h"
#include "effects/registry.h"
#include "effects/shake_ripple.h"
#include "platform/kernel/clock.h"
#include "tools/gleamfx/bmp_writer.h"
#include "tools/gleamfx/gleamfx.h"
#include "tools/sample/sample_picture.h"

namespace gleamkit::tools {
namespace {

namespace fs = std::filesystem;

struct Result {
    int status;
    std::string out;
    std::string err;
};

Result RunTool(std::vector<std::string> args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunGleamfx(args, out, err);
    return {status, out.str(), err.str()};
}

size_t LineCount(const std::string& text) {
    return std::count(text.begin(), text.end(), '\n');
}

std::vector<uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

uint32_t Le32(const std::vector<uint8_t>& bytes, size_t at) {
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) |
           (static_cast<uint32_t>(bytes[at + 3]) << 24);
}

// First differing pixel of two Bits24 pictures, or "" when they are equal.
std::string Difference(bitmap::PixelBitmap& a, bitmap::PixelBitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return "sizes differ";
    for (int32_t y = 0; y < a.Height(); ++y) {
        if (std::memcmp(a.ScanLine(y), b.ScanLine(y), static_cast<size_t>(a.Width()) * 3) != 0)
            return "row " + std::to_string(y) + " differs";
    }
    return "";
}

class GleamfxTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("gleamfx_test_" + std::to_string(getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string PathOf(const std::string& name) const { return (m_dir / name).string(); }

    // Writes the sample picture of the given size and answers its path.
    std::string SampleFile(const std::string& name, int32_t width, int32_t height) {
        PictureHolder picture(NewSamplePicture(width, height));
        std::string error;
        EXPECT_TRUE(WriteBmp24(*picture, PathOf(name), error)) << error;
        return PathOf(name);
    }

    fs::path m_dir;
};

TEST_F(GleamfxTest, WriterProducesABottomUpTwentyFourBitFileThatReadsBack) {
    PictureHolder picture(NewSamplePicture(37, 5)); // 111 bytes of pixels, 1 of padding
    std::string error;
    ASSERT_TRUE(WriteBmp24(*picture, PathOf("w.bmp"), error)) << error;
    const std::vector<uint8_t> bytes = ReadBytes(PathOf("w.bmp"));
    ASSERT_EQ(bytes.size(), 54u + 112u * 5u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(Le32(bytes, 2), bytes.size());     // bfSize
    EXPECT_EQ(Le32(bytes, 10), 54u);             // bfOffBits
    EXPECT_EQ(Le32(bytes, 14), 40u);             // biSize
    EXPECT_EQ(Le32(bytes, 18), 37u);             // biWidth
    EXPECT_EQ(Le32(bytes, 22), 5u);              // biHeight, positive: bottom-up
    EXPECT_EQ(bytes[26] | (bytes[27] << 8), 1);  // biPlanes
    EXPECT_EQ(bytes[28] | (bytes[29] << 8), 24); // biBitCount
    EXPECT_EQ(Le32(bytes, 30), 0u);              // BI_RGB
    EXPECT_EQ(Le32(bytes, 34), 112u * 5u);       // biSizeImage
    // The first row in the file is the picture's bottom row; padding is zero.
    EXPECT_EQ(std::memcmp(bytes.data() + 54, picture->ScanLine(4), 111), 0);
    EXPECT_EQ(bytes[54 + 111], 0);

    PictureHolder back = LoadPicture(PathOf("w.bmp"));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Layout(), bitmap::BitmapLayout::Bits24);
    EXPECT_EQ(Difference(*back, *picture), "");
}

TEST_F(GleamfxTest, WriterConvertsOtherLayoutsAndRefusesWhatItCannotWrite) {
    PictureHolder picture(NewSamplePicture(8, 4));
    PictureHolder original(bitmap::NewPixelBitmap(0, 0));
    original->Assign(picture.get());
    picture->SetLayout(bitmap::BitmapLayout::Bits32);
    std::string error;
    ASSERT_TRUE(WriteBmp24(*picture, PathOf("c.bmp"), error)) << error;
    PictureHolder back = LoadPicture(PathOf("c.bmp"));
    ASSERT_TRUE(back);
    EXPECT_EQ(Difference(*back, *original), "");

    PictureHolder empty(bitmap::NewPixelBitmap(0, 0));
    EXPECT_FALSE(WriteBmp24(*empty, PathOf("e.bmp"), error));
    EXPECT_FALSE(fs::exists(PathOf("e.bmp")));
    EXPECT_FALSE(WriteBmp24(*picture, PathOf("no/such/dir.bmp"), error));
}

TEST_F(GleamfxTest, SamplePictureIsDeterministicWithHardEdgesAndAnySize) {
    PictureHolder a(NewSamplePicture(200, 120));
    PictureHolder b(NewSamplePicture(200, 120));
    EXPECT_EQ(Difference(*a, *b), "");
    const bitmap::Bgr24 topLeft = a->Row24(0)[0];
    EXPECT_EQ(topLeft.Red, 255); // the first colour bar is pure red
    EXPECT_EQ(topLeft.Green, 0);
    const bitmap::Bgr24 bottomLeft = a->Row24(119)[0];
    EXPECT_EQ(bottomLeft.Red, 0); // the grey ramp starts black
    const bitmap::Bgr24 bottomRight = a->Row24(119)[199];
    EXPECT_EQ(bottomRight.Blue, 255); // and ends white

    PictureHolder tiny(NewSamplePicture(1, 1));
    EXPECT_EQ(tiny->Width(), 1);
    PictureHolder none(NewSamplePicture(0, 5));
    EXPECT_TRUE(none->Empty());
}

TEST_F(GleamfxTest, ListInfoConvertAndSampleCommands) {
    const Result list = RunTool({"list"});
    EXPECT_EQ(list.status, kExitOk);
    const std::string operations = list.out.substr(0, list.out.find("\n\n") + 1);
    EXPECT_EQ(LineCount(operations), fx::Operations().size());
    EXPECT_NE(list.out.find(" 37  Gaussian blur"), std::string::npos);
    EXPECT_NE(list.out.find("Contrast"), std::string::npos);
    EXPECT_NE(list.out.find("Amount:int=100"), std::string::npos);

    ASSERT_EQ(RunTool({"sample", PathOf("s.bmp"), "64x48"}).status, kExitOk);
    const Result info = RunTool({"info", PathOf("s.bmp")});
    EXPECT_EQ(info.status, kExitOk);
    EXPECT_NE(info.out.find("size: 64 x 48"), std::string::npos);
    EXPECT_NE(info.out.find("biBitCount: 24"), std::string::npos);
    EXPECT_NE(info.out.find("(bottom-up)"), std::string::npos);

    ASSERT_EQ(RunTool({"sample", PathOf("d.bmp")}).status, kExitOk);
    PictureHolder defaultSize = LoadPicture(PathOf("d.bmp"));
    ASSERT_TRUE(defaultSize);
    EXPECT_EQ(defaultSize->Width(), 640);
    EXPECT_EQ(defaultSize->Height(), 480);

    ASSERT_EQ(RunTool({"convert", PathOf("s.bmp"), PathOf("t.bmp")}).status, kExitOk);
    EXPECT_EQ(ReadBytes(PathOf("s.bmp")), ReadBytes(PathOf("t.bmp")));
}

TEST_F(GleamfxTest, ApplyUsesTheProgramValuesUnlessArgumentsAreGiven) {
    const std::string in = SampleFile("in.bmp", 40, 30);
    ASSERT_EQ(RunTool({"apply", in, PathOf("a.bmp"), "Contrast"}).status, kExitOk);
    PictureHolder expected = LoadPicture(in);
    fx::Contrast(*expected, 100);
    PictureHolder result = LoadPicture(PathOf("a.bmp"));
    ASSERT_TRUE(result);
    EXPECT_EQ(Difference(*result, *expected), "");

    ASSERT_EQ(RunTool({"apply", in, PathOf("b.bmp"), "Contrast", "0"}).status, kExitOk);
    EXPECT_EQ(ReadBytes(PathOf("b.bmp")), ReadBytes(in));
}

TEST_F(GleamfxTest, ApplySeedsEveryRunAlikeAndTimesOnRequest) {
    const std::string in = SampleFile("in.bmp", 33, 21);
    ASSERT_EQ(
        RunTool({"apply", "--seed", "77", in, PathOf("one.bmp"), "AddColorNoise", "60"}).status,
        kExitOk);
    const Result timed = RunTool({"apply", "--repeat", "3", "--time", "--seed", "77", in,
                                  PathOf("three.bmp"), "AddColorNoise", "60"});
    ASSERT_EQ(timed.status, kExitOk);
    EXPECT_EQ(ReadBytes(PathOf("one.bmp")), ReadBytes(PathOf("three.bmp")));
    EXPECT_NE(timed.err.find("AddColorNoise median "), std::string::npos) << timed.err;
    EXPECT_NE(timed.err.find(" ms) over 3 run(s)"), std::string::npos) << timed.err;
    EXPECT_NE(timed.err.find(" ms (cpu "), std::string::npos) << timed.err;
    EXPECT_EQ(LineCount(timed.err), 1u);

    PictureHolder expected = LoadPicture(in);
    fx::SetRandomState(77);
    fx::AddColorNoise(*expected, 60);
    PictureHolder result = LoadPicture(PathOf("one.bmp"));
    ASSERT_TRUE(result);
    EXPECT_EQ(Difference(*result, *expected), "");

    // Without --seed every run starts from the state at program start.
    ASSERT_EQ(RunTool({"apply", in, PathOf("zero.bmp"), "AddColorNoise"}).status, kExitOk);
    fx::SetRandomState(12345);
    ASSERT_EQ(RunTool({"apply", "--seed", "0", in, PathOf("seed0.bmp"), "AddColorNoise"}).status,
              kExitOk);
    EXPECT_EQ(ReadBytes(PathOf("zero.bmp")), ReadBytes(PathOf("seed0.bmp")));
}

TEST_F(GleamfxTest, ThreadCountsGiveTheSameBytesAndBadCountsAreUsageErrors) {
    const std::string in = SampleFile("in.bmp", 301, 203);
    const int32_t threadsBefore = fx::ThreadCount();
    ASSERT_EQ(RunTool({"apply", "--threads", "1", in, PathOf("one.bmp"), "Twist"}).status, kExitOk);
    for (const char* threads : {"2", "3", "256"}) {
        ASSERT_EQ(RunTool({"apply", "--threads", threads, in, PathOf("many.bmp"), "Twist"}).status,
                  kExitOk);
        EXPECT_EQ(ReadBytes(PathOf("one.bmp")), ReadBytes(PathOf("many.bmp"))) << threads;
    }
    EXPECT_EQ(fx::ThreadCount(), threadsBefore); // the setting ends with the command
    for (const char* bad : {"0", "-1", "257", "two", ""})
        EXPECT_EQ(RunTool({"apply", "--threads", bad, in, PathOf("bad.bmp"), "Twist"}).status,
                  kExitUsage)
            << bad;
}

// A rectangle may come as four words or one; a new-size operation's output
// takes the size of its first two arguments.
TEST_F(GleamfxTest, ApplyReadsRectanglesAndWritesNewSizes) {
    const std::string in = SampleFile("in.bmp", 60, 40);
    ASSERT_NE(fx::FindOperation("AntiAliasRect"), nullptr);
    ASSERT_EQ(
        RunTool({"apply", in, PathOf("r4.bmp"), "AntiAliasRect", "5", "6", "30", "20"}).status,
        kExitOk);
    ASSERT_EQ(RunTool({"apply", in, PathOf("r1.bmp"), "AntiAliasRect", "5,6,30,20"}).status,
              kExitOk);
    EXPECT_EQ(ReadBytes(PathOf("r4.bmp")), ReadBytes(PathOf("r1.bmp")));
    EXPECT_NE(ReadBytes(PathOf("r4.bmp")), ReadBytes(in));
    const Result three = RunTool({"apply", in, PathOf("r3.bmp"), "AntiAliasRect", "5", "6", "30"});
    EXPECT_EQ(three.status, kExitUsage);
    EXPECT_NE(three.err.find("four integers"), std::string::npos) << three.err;
    for (const fx::Operation& operation : fx::Operations()) {
        if (operation.wiring != fx::Wiring::IntoNewPicture) continue;
        const std::string out = PathOf(std::string(operation.name) + ".bmp");
        ASSERT_EQ(RunTool({"apply", in, out, std::string(operation.name), "90", "25"}).status,
                  kExitOk)
            << operation.name;
        PictureHolder result = LoadPicture(out);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->Width(), 90) << operation.name;
        EXPECT_EQ(result->Height(), 25) << operation.name;
    }
}

// Operations that read a second picture need --second, read it, and fail
// with status 1 when it cannot be read. Each is wired as the desktop program
// wires it: on pictures of different sizes its output equals a direct call
// with (copy, second, picture), or (second, copy, picture) for Plasma.
TEST_F(GleamfxTest, SecondPictureOperationsAreWiredAsTheProgramWiresThem) {
    using Direct = void (*)(bitmap::PixelBitmap & copy, bitmap::PixelBitmap & second,
                            bitmap::PixelBitmap & picture);
    const std::map<std::string, Direct> direct = {
        {"Blend",
         [](auto& copy, auto& second, auto& picture) { fx::Blend(copy, second, picture, 0.333L); }},
        {"FoldRight", [](auto& copy, auto& second,
                         auto& picture) { fx::FoldRight(copy, second, picture, 0.33L); }},
        {"Grow", [](auto& copy, auto& second,
                    auto& picture) { fx::Grow(copy, second, picture, 0.33L, 10, 10); }},
        {"Plasma", [](auto& copy, auto& second,
                      auto& picture) { fx::Plasma(second, copy, picture, 10.0L, 22.0L); }},
    };
    const std::string in = SampleFile("in.bmp", 30, 20);
    const std::string other = SampleFile("other.bmp", 24, 18);
    size_t walked = 0;
    for (const fx::Operation& operation : fx::Operations()) {
        if (!fx::NeedsSecondPicture(operation.wiring)) continue;
        ++walked;
        const std::string name(operation.name);
        const std::string out = PathOf(name + ".bmp");
        EXPECT_EQ(RunTool({"apply", in, PathOf("o.bmp"), name}).status, kExitUsage) << name;
        ASSERT_EQ(RunTool({"apply", "--second", other, in, out, name}).status, kExitOk) << name;
        EXPECT_EQ(
            RunTool({"apply", "--second", PathOf("missing.bmp"), in, PathOf("o.bmp"), name}).status,
            kExitFailure)
            << name;

        const auto call = direct.find(name);
        ASSERT_NE(call, direct.end()) << name << " has no direct call to compare with";
        PictureHolder picture = LoadPicture(in);
        PictureHolder copy = LoadPicture(in);
        PictureHolder second = LoadPicture(other);
        call->second(*copy, *second, *picture);
        PictureHolder result = LoadPicture(out);
        ASSERT_TRUE(result);
        EXPECT_EQ(Difference(*result, *picture), "") << name;
    }
    EXPECT_EQ(walked, direct.size());
}

// RippleRandom reseeds from the clock: --utc-time fixes its picture, and the
// same time gives the same picture.
TEST_F(GleamfxTest, FixedClockFixesRippleRandom) {
    const std::string in = SampleFile("in.bmp", 40, 30);
    const auto run = [&](const std::string& time, const std::string& out) {
        return RunTool({"apply", "--utc-time", time, in, PathOf(out), "RippleRandom"}).status;
    };
    ASSERT_EQ(run("10:20:30.456", "a.bmp"), kExitOk);
    ASSERT_EQ(run("10:20:30.456", "b.bmp"), kExitOk);
    ASSERT_EQ(run("10:20:30.457", "c.bmp"), kExitOk);
    EXPECT_EQ(ReadBytes(PathOf("a.bmp")), ReadBytes(PathOf("b.bmp")));
    EXPECT_NE(ReadBytes(PathOf("a.bmp")), ReadBytes(PathOf("c.bmp")));

    const SYSTEMTIME time{2000, 1, 6, 1, 10, 20, 30, 456};
    platform::SetFixedSystemTime(&time);
    PictureHolder expected = LoadPicture(in);
    fx::RippleRandom(*expected, 33);
    platform::SetFixedSystemTime(nullptr);
    PictureHolder result = LoadPicture(PathOf("a.bmp"));
    ASSERT_TRUE(result);
    EXPECT_EQ(Difference(*result, *expected), "");
}

// --utc-time holds the clock only while the operation runs.
TEST_F(GleamfxTest, FixedClockIsReleasedAfterTheCommand) {
    const std::string in = SampleFile("in.bmp", 8, 8);
    ASSERT_EQ(
        RunTool({"apply", "--utc-time", "01:02:03.004", in, PathOf("o.bmp"), "Contrast"}).status,
        kExitOk);
    SYSTEMTIME now{};
    GetSystemTime(&now);
    EXPECT_NE(now.wYear, 2000);
}

TEST_F(GleamfxTest, UsageErrorsExitWithTwoAndShowTheUsage) {
    const std::string in = SampleFile("in.bmp", 8, 8);
    const std::string out = PathOf("o.bmp");
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate"},
        {"list", "extra"},
        {"info"},
        {"sample", out, "0x5"},
        {"sample", out, "64x"},
        {"sample", out, "40000x10"},
        {"apply", in, out},
        {"apply", in, out, "NoSuchOperation"},
        {"apply", in, out, "Contrast", "abc"},
        {"apply", in, out, "Contrast", "1", "2"},
        {"apply", in, out, "ConvertToGrayscale", "1"},
        {"apply", "--bogus", in, out, "Contrast"},
        {"apply", "--repeat", "0", in, out, "Contrast"},
        {"apply", "--seed", "4294967296", in, out, "Contrast"},
        {"apply", "--utc-time", "25:00:00.000", in, out, "Contrast"},
        {"apply", "--utc-time", "12:00:00", in, out, "Contrast"},
        {"apply", "--second", in, in, out, "Contrast"},
        {"apply", in, out, "Contrast", "--seed"},
    };
    for (const auto& args : cases) {
        const Result result = RunTool(args);
        std::string joined;
        for (const auto& word : args) joined += word + ' ';
        EXPECT_EQ(result.status, kExitUsage) << joined;
        EXPECT_NE(result.err.find("usage: gleamfx"), std::string::npos) << joined;
        EXPECT_FALSE(fs::exists(out)) << joined;
    }
}

TEST_F(GleamfxTest, FileFailuresExitWithOneAndOneLine) {
    const std::string in = SampleFile("in.bmp", 8, 8);
    std::ofstream(PathOf("junk.bmp")) << "not a bitmap";
    const std::vector<std::vector<std::string>> cases = {
        {"info", PathOf("missing.bmp")},
        {"info", PathOf("junk.bmp")},
        {"convert", PathOf("missing.bmp"), PathOf("o.bmp")},
        {"apply", PathOf("junk.bmp"), PathOf("o.bmp"), "Contrast"},
        {"apply", in, PathOf("no/such/dir/o.bmp"), "Contrast"},
        {"sample", PathOf("no/such/dir/o.bmp")},
    };
    for (const auto& args : cases) {
        const Result result = RunTool(args);
        EXPECT_EQ(result.status, kExitFailure) << args[0] << ' ' << args[1];
        EXPECT_EQ(LineCount(result.err), 1u) << result.err;
        EXPECT_EQ(result.err.rfind("gleamfx: ", 0), 0u) << result.err;
    }
}

TEST_F(GleamfxTest, TheBinaryReportsTheSameStatuses) {
    const std::string binary = GLEAMFX_BINARY;
    const auto status = [&](const std::string& arguments) {
        const int raw = std::system((binary + ' ' + arguments + " >/dev/null 2>&1").c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    };
    EXPECT_EQ(status("list"), kExitOk);
    EXPECT_EQ(status(""), kExitUsage);
    EXPECT_EQ(status("apply only-one-word"), kExitUsage);
    EXPECT_EQ(status("info '" + PathOf("missing.bmp") + "'"), kExitFailure);
    EXPECT_EQ(status("sample '" + PathOf("bin.bmp") + "' 16x16"), kExitOk);
    EXPECT_TRUE(fs::exists(PathOf("bin.bmp")));
}

} // namespace
} // namespace gleamkit::tools
