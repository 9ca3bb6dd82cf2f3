// Everyday pictures in gleamfx: PNGs of every colour type and depth reduce to
// 24 bits by the documented rule, an RGB PNG survives a round trip unchanged,
// JPEGs read (grey ones as grey), damaged files fail with one clear line and
// leave no output, and the batch command writes one file per input.
#include <gtest/gtest.h>

#include <png.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <unistd.h>
#include <vector>

#include "tools/gleamfx/batch.h"
#include "tools/gleamfx/gleamfx.h"
#include "tools/gleamfx/picture_files.h"
#include "tools/sample/sample_picture.h"

// After the platform's headers: jpeglib.h defines TRUE and FALSE as macros.
#include <jpeglib.h>

namespace gleamkit::tools {
namespace {

namespace fs = std::filesystem;

// Writes a PNG of `colorType` and `bitDepth` whose raw row bytes come from
// `sample(x, y)` (one call per sample, in file order), with an optional
// palette and transparency chunk. libpng errors abort the test program.
struct PngForm {
    int colorType;
    int bitDepth;
    int samplesPerPixel;
    std::vector<png_color> palette;
    std::vector<png_byte> paletteAlpha;
};

void WriteTestPng(const std::string& path, int width, int height, const PngForm& form,
                  const std::function<int(int x, int y, int s)>& sample) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, form.bitDepth, form.colorType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!form.palette.empty())
        png_set_PLTE(png, info, form.palette.data(), static_cast<int>(form.palette.size()));
    if (!form.paletteAlpha.empty())
        png_set_tRNS(png, info, form.paletteAlpha.data(),
                     static_cast<int>(form.paletteAlpha.size()), nullptr);
    png_write_info(png, info);
    const int bitsPerRow = width * form.samplesPerPixel * form.bitDepth;
    std::vector<png_byte> row(static_cast<size_t>((bitsPerRow + 7) / 8));
    for (int y = 0; y < height; ++y) {
        std::fill(row.begin(), row.end(), 0);
        int bit = 0;
        for (int x = 0; x < width; ++x)
            for (int s = 0; s < form.samplesPerPixel; ++s, bit += form.bitDepth) {
                const int value = sample(x, y, s);
                if (form.bitDepth == 16) {
                    row[bit / 8] = static_cast<png_byte>(value >> 8);
                    row[bit / 8 + 1] = static_cast<png_byte>(value);
                } else {
                    row[bit / 8] |= static_cast<png_byte>(value << (8 - form.bitDepth - bit % 8));
                }
            }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

void WriteTestJpeg(const std::string& path, int width, int height, bool grey) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = width;
    info.image_height = height;
    info.input_components = grey ? 1 : 3;
    info.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(static_cast<size_t>(width * info.input_components));
    while (info.next_scanline < info.image_height) {
        // Flat halves: left dark red (or dark grey), right light.
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < info.input_components; ++c)
                row[x * info.input_components + c] =
                    static_cast<JSAMPLE>(x < width / 2 ? (c == 0 ? 160 : 40) : 220);
        JSAMPROW pointer = row.data();
        jpeg_write_scanlines(&info, &pointer, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
}

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};

Rgb PixelOf(bitmap::PixelBitmap& picture, int x, int y) {
    const bitmap::Bgr24 pixel = picture.Row24(y)[x];
    return {pixel.Red, pixel.Green, pixel.Blue};
}

std::ostream& operator<<(std::ostream& out, const Rgb& rgb) {
    return out << '(' << rgb.r << ", " << rgb.g << ", " << rgb.b << ')';
}

class PictureFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("gleamfx_files_" + std::to_string(getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string PathOf(const std::string& name) const { return (m_dir / name).string(); }

    PictureHolder Read(const std::string& name) {
        std::string error;
        PictureHolder picture = ReadPicture(PathOf(name), error);
        EXPECT_TRUE(picture) << name << ": " << error;
        return picture;
    }
    int Run(std::vector<std::string> args, std::string* errText = nullptr) {
        std::ostringstream out, err;
        const int status = RunGleamfx(args, out, err);
        if (errText != nullptr) *errText = err.str();
        return status;
    }

    fs::path m_dir;
};

TEST_F(PictureFilesTest, ExtensionsChooseTheKindInAnyCase) {
    EXPECT_EQ(KindOfPath("a/b.PNG"), FileKind::Png);
    EXPECT_EQ(KindOfPath("b.jpeg"), FileKind::Jpeg);
    EXPECT_EQ(KindOfPath("b.JPG"), FileKind::Jpeg);
    EXPECT_EQ(KindOfPath("b.bmp"), FileKind::Bitmap);
    EXPECT_EQ(KindOfPath("dir.png/file"), FileKind::Bitmap);
}

// Each PNG form against the pixel the rule gives for it.
TEST_F(PictureFilesTest, EveryPngFormReducesToTwentyFourBitsByTheRule) {
    struct Case {
        const char* name;
        PngForm form;
        std::function<int(int, int, int)> sample;
        Rgb expected; // at (1, 0)
    };
    const std::vector<Case> cases = {
        {"rgb8",
         {PNG_COLOR_TYPE_RGB, 8, 3, {}, {}},
         [](int x, int, int s) { return 10 * x + s; },
         {10, 11, 12}},
        {"rgb16",
         {PNG_COLOR_TYPE_RGB, 16, 3, {}, {}},
         [](int x, int, int s) {
             return x * (s == 0 ? 32896 : s == 1 ? 32767 : 65535);
         },
         {128, 127, 255}}, // round(v * 255 / 65535)
        {"grey1",
         {PNG_COLOR_TYPE_GRAY, 1, 1, {}, {}},
         [](int x, int, int) { return x % 2; },
         {255, 255, 255}},
        {"grey4",
         {PNG_COLOR_TYPE_GRAY, 4, 1, {}, {}},
         [](int x, int, int) { return 5 * x; },
         {85, 85, 85}},
        {"grey16",
         {PNG_COLOR_TYPE_GRAY, 16, 1, {}, {}},
         [](int x, int, int) { return 257 * 77 * x; },
         {77, 77, 77}},
        {"palette",
         {PNG_COLOR_TYPE_PALETTE, 8, 1, {{1, 2, 3}, {200, 100, 50}}, {}},
         [](int x, int, int) { return x; },
         {200, 100, 50}},
        {"palette-alpha",
         {PNG_COLOR_TYPE_PALETTE, 2, 1, {{1, 2, 3}, {200, 100, 50}}, {255, 0}},
         [](int x, int, int) { return x; },
         {255, 255, 255}}, // index 1 fully transparent
        {"rgba",
         {PNG_COLOR_TYPE_RGB_ALPHA, 8, 4, {}, {}},
         [](int, int, int s) { return s == 3 ? 128 : 0; },
         {127, 127, 127}},
        {"grey-alpha16",
         {PNG_COLOR_TYPE_GRAY_ALPHA, 16, 2, {}, {}},
         // alpha 32768 scales to 128; (100 * 128 + 255 * 127 + 127) / 255 = 177
         [](int, int, int s) { return s == 1 ? 32768 : 100 * 257; },
         {177, 177, 177}},
    };
    for (const Case& c : cases) {
        const std::string name = std::string(c.name) + ".png";
        WriteTestPng(PathOf(name), 3, 2, c.form, c.sample);
        PictureHolder picture = Read(name);
        if (!picture) continue;
        EXPECT_EQ(picture->Layout(), bitmap::BitmapLayout::Bits24) << c.name;
        EXPECT_EQ(picture->Width(), 3) << c.name;
        EXPECT_EQ(PixelOf(*picture, 1, 0), c.expected) << c.name;
    }
}

TEST_F(PictureFilesTest, ApngReadAndWrittenBackIsPixelIdentical) {
    PictureHolder sample(NewSamplePicture(67, 41));
    std::string error;
    ASSERT_TRUE(WritePicture(*sample, PathOf("a.png"), error)) << error;
    ASSERT_EQ(Run({"convert", PathOf("a.png"), PathOf("b.png")}), kExitOk);
    ASSERT_EQ(Run({"convert", PathOf("b.png"), PathOf("c.bmp")}), kExitOk);
    for (const char* name : {"a.png", "b.png", "c.bmp"}) {
        PictureHolder back = Read(name);
        ASSERT_TRUE(back);
        back->SetLayout(bitmap::BitmapLayout::Bits24);
        for (int y = 0; y < 41; ++y)
            for (int x = 0; x < 67; ++x)
                ASSERT_EQ(PixelOf(*back, x, y), PixelOf(*sample, x, y)) << name << x << ',' << y;
    }
    EXPECT_EQ(Run({"apply", PathOf("a.png"), PathOf("twist.png"), "Twist"}), kExitOk);
    EXPECT_TRUE(fs::exists(PathOf("twist.png")));
}

TEST_F(PictureFilesTest, JpegsReadInColourAndGrey) {
    WriteTestJpeg(PathOf("colour.jpg"), 32, 16, false);
    WriteTestJpeg(PathOf("grey.JPEG"), 32, 16, true);
    PictureHolder colour = Read("colour.jpg");
    PictureHolder grey = Read("grey.JPEG");
    ASSERT_TRUE(colour && grey);
    EXPECT_EQ(colour->Width(), 32);
    EXPECT_EQ(colour->Height(), 16);
    const Rgb red = PixelOf(*colour, 3, 8);
    EXPECT_NEAR(red.r, 160, 4);
    EXPECT_NEAR(red.g, 40, 4);
    const Rgb light = PixelOf(*grey, 28, 8);
    EXPECT_NEAR(light.r, 220, 3);
    EXPECT_EQ(light.r, light.g);
    EXPECT_EQ(light.g, light.b);
    EXPECT_EQ(Run({"apply", PathOf("colour.jpg"), PathOf("out.bmp"), "Contrast"}), kExitOk);
    std::string err;
    EXPECT_EQ(Run({"convert", PathOf("colour.jpg"), PathOf("out.jpg")}, &err), kExitFailure);
    EXPECT_NE(err.find("not JPEG"), std::string::npos) << err;
}

// Cut short, a flipped byte inside compressed data, or no such format at all:
// exit 1, one line naming the file, and no output left behind.
TEST_F(PictureFilesTest, DamagedPngAndJpegFilesFailWithOneLineAndNoOutput) {
    PictureHolder sample(NewSamplePicture(40, 30));
    std::string error;
    ASSERT_TRUE(WritePicture(*sample, PathOf("good.png"), error)) << error;
    WriteTestJpeg(PathOf("good.jpg"), 40, 30, false);
    const auto bytesOf = [&](const std::string& name) {
        std::ifstream file(PathOf(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    };
    const auto save = [&](const std::string& name, const std::string& bytes) {
        std::ofstream(PathOf(name), std::ios::binary) << bytes;
    };
    const std::string png = bytesOf("good.png");
    const std::string jpeg = bytesOf("good.jpg");
    save("cut.png", png.substr(0, png.size() / 2));
    std::string flipped = png;
    flipped[png.size() / 2] = static_cast<char>(flipped[png.size() / 2] ^ 0x55);
    save("flipped.png", flipped);
    save("cut.jpg", jpeg.substr(0, jpeg.size() / 2));
    save("text.png", "not a picture");
    save("text.jpg", "not a picture");
    for (const char* name : {"cut.png", "flipped.png", "cut.jpg", "text.png", "text.jpg"}) {
        std::string err;
        EXPECT_EQ(Run({"apply", PathOf(name), PathOf("out.png"), "Twist"}, &err), kExitFailure)
            << name;
        EXPECT_EQ(err.rfind("gleamfx: cannot read " + PathOf(name) + ": bad ", 0), 0u) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_FALSE(fs::exists(PathOf("out.png"))) << name;
    }
}

TEST_F(PictureFilesTest, BatchWritesOneFilePerInputAndReportsFailures) {
    std::string error;
    PictureHolder sample(NewSamplePicture(24, 16));
    ASSERT_TRUE(WritePicture(*sample, PathOf("a.png"), error)) << error;
    ASSERT_TRUE(WritePicture(*sample, PathOf("b.bmp"), error)) << error;
    WriteTestJpeg(PathOf("c.jpg"), 24, 16, false);
    std::ofstream(PathOf("bad.png")) << "junk";
    const std::string out = PathOf("out");

    std::ostringstream err;
    std::vector<std::string> args = {
        out, "Contrast", "50", "--", PathOf("a.png"), PathOf("b.bmp"), PathOf("c.jpg")};
    ASSERT_EQ(RunBatch(args, err, false), kExitOk) << err.str();
    EXPECT_EQ(err.str(), "");
    for (const char* name : {"out/a.png", "out/b.bmp", "out/c.png"})
        EXPECT_TRUE(fs::exists(PathOf(name))) << name;
    // The same file as a single apply gives.
    ASSERT_EQ(Run({"apply", PathOf("b.bmp"), PathOf("single.bmp"), "Contrast", "50"}), kExitOk);
    PictureHolder single = Read("single.bmp");
    PictureHolder batched = Read("out/b.bmp");
    ASSERT_TRUE(single && batched);
    EXPECT_EQ(PixelOf(*single, 5, 5), PixelOf(*batched, 5, 5));

    std::ostringstream mixed;
    args = {out, "Invert", "--", PathOf("bad.png"), PathOf("a.png")};
    EXPECT_EQ(RunBatch(args, mixed, true), kExitFailure);
    EXPECT_NE(mixed.str().find("cannot read " + PathOf("bad.png")), std::string::npos);
    EXPECT_NE(mixed.str().find("1 of 2 file(s) written"), std::string::npos) << mixed.str();
    EXPECT_FALSE(fs::exists(PathOf("out/bad.png")));

    const std::vector<std::vector<std::string>> usage = {
        {out, "Invert"},
        {out, "--", PathOf("a.png")},
        {out, "Invert", "--"},
        {out, "NoSuchOperation", "--", PathOf("a.png")},
        {out, "Invert", "--", PathOf("a.png"), PathOf("out/a.png")},
        {m_dir.string(), "Invert", "--", PathOf("a.png")},
    };
    for (const auto& words : usage) {
        std::ostringstream text;
        EXPECT_EQ(RunBatch(words, text, false), kExitUsage) << words[1];
    }
}

} // namespace
} // namespace gleamkit::tools
