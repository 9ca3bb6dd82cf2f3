// The public BMP test suite in ../shared/bmpsuite: every file loads, loads
// with undecoded compressed rows, or is rejected, as the suite's README for
// this reader says; where the README leaves a choice, our choice (skip the
// palette surplus; read a short file's rows that are there) is asserted.
// Loaded uncompressed pictures are compared, as 24-bit, with ImageMagick's
// decoder when its binary is installed. Skips when the suite is absent.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "bitmap/dib_header.h"
#include "bitmap/stream.h"
#include "bitmap/tests/test_support.h"

namespace gleamkit::bitmap {
namespace {

namespace fs = std::filesystem;
using testing::Picture;

enum class Outcome { Loads, LoadsCompressed, Rejected };

struct Expected {
    Outcome outcome;
    BitmapLayout layout; // of the loaded picture
};

constexpr BitmapLayout B1 = BitmapLayout::Bits1, B4 = BitmapLayout::Bits4, B8 = BitmapLayout::Bits8,
                       B15 = BitmapLayout::Bits15, B16 = BitmapLayout::Bits16,
                       B24 = BitmapLayout::Bits24, B32 = BitmapLayout::Bits32,
                       Cu = BitmapLayout::Custom, None = BitmapLayout::Device;
constexpr Outcome L = Outcome::Loads, C = Outcome::LoadsCompressed, R = Outcome::Rejected;

const std::map<std::string, Expected>& Table() {
    static const std::map<std::string, Expected> table = {
        {"g/pal1.bmp", {L, B1}},
        {"g/pal1bg.bmp", {L, B1}},
        {"g/pal1wb.bmp", {L, B1}},
        {"g/pal4.bmp", {L, B4}},
        {"g/pal4gs.bmp", {L, B4}},
        {"g/pal4rle.bmp", {C, B4}},
        {"g/pal8-0.bmp", {L, B8}},
        {"g/pal8.bmp", {L, B8}},
        {"g/pal8gs.bmp", {L, B8}},
        {"g/pal8nonsquare.bmp", {L, B8}},
        {"g/pal8os2.bmp", {L, B8}},
        {"g/pal8rle.bmp", {C, B8}},
        {"g/pal8topdown.bmp", {L, B8}},
        {"g/pal8v4.bmp", {R, None}},
        {"g/pal8v5.bmp", {R, None}},
        {"g/pal8w124.bmp", {L, B8}},
        {"g/pal8w125.bmp", {L, B8}},
        {"g/pal8w126.bmp", {L, B8}},
        {"g/rgb16-565.bmp", {L, B16}},
        {"g/rgb16-565pal.bmp", {L, B16}},
        {"g/rgb16.bmp", {L, B15}},
        {"g/rgb16bfdef.bmp", {L, B16}},
        {"g/rgb24.bmp", {L, B24}},
        {"g/rgb24pal.bmp", {L, B24}},
        {"g/rgb32.bmp", {L, B32}},
        {"g/rgb32bf.bmp", {L, B32}},
        {"g/rgb32bfdef.bmp", {L, B32}},
        {"q/pal1huffmsb.bmp", {R, None}},
        {"q/pal1p1.bmp", {L, B1}},
        {"q/pal2.bmp", {L, Cu}},
        {"q/pal2color.bmp", {L, Cu}},
        {"q/pal4rlecut.bmp", {C, B4}},
        {"q/pal4rletrns.bmp", {C, B4}},
        {"q/pal8offs.bmp", {L, B8}}, // our choice: surplus skipped
        {"q/pal8os2-hs.bmp", {L, B8}},
        {"q/pal8os2-sz.bmp", {L, B8}},
        {"q/pal8os2sp.bmp", {L, B8}},
        {"q/pal8os2v2-16.bmp", {R, None}},
        {"q/pal8os2v2-40sz.bmp", {L, B8}},
        {"q/pal8os2v2-sz.bmp", {R, None}},
        {"q/pal8os2v2.bmp", {R, None}},
        {"q/pal8oversizepal.bmp", {L, B8}}, // our choice: surplus skipped
        {"q/pal8rlecut.bmp", {C, B8}},
        {"q/pal8rletrns.bmp", {C, B8}},
        {"q/rgb16-231.bmp", {L, B16}},
        {"q/rgb16-3103.bmp", {L, B16}},
        {"q/rgb16faketrns.bmp", {L, B15}},
        {"q/rgb24jpeg.bmp", {R, None}},
        {"q/rgb24largepal.bmp", {L, B24}}, // our choice: surplus skipped
        {"q/rgb24lprof.bmp", {R, None}},
        {"q/rgb24png.bmp", {R, None}},
        {"q/rgb24rle24.bmp", {R, None}},
        {"q/rgb32-111110.bmp", {L, B32}},
        {"q/rgb32-7187.bmp", {L, B32}},
        {"q/rgb32-xbgr.bmp", {R, None}},
        {"q/rgb32fakealpha.bmp", {L, B32}},
        {"q/rgb32h52.bmp", {R, None}},
        {"q/rgba16-1924.bmp", {R, None}},
        {"q/rgba16-4444.bmp", {R, None}},
        {"q/rgba16-5551.bmp", {R, None}},
        {"q/rgba32-1.bmp", {R, None}},
        {"q/rgba32-1010102.bmp", {R, None}},
        {"q/rgba32-2.bmp", {R, None}},
        {"q/rgba32-61754.bmp", {R, None}},
        {"q/rgba32-81284.bmp", {R, None}},
        {"q/rgba32abf.bmp", {L, B32}},
        {"q/rgba32h56.bmp", {R, None}},
        {"q/rgba64.bmp", {L, Cu}},
        {"b/badbitcount.bmp", {R, None}}, // 30 MB of rows declared in 1 KB
        {"b/badbitssize.bmp", {L, B1}},
        {"b/baddens1.bmp", {L, B1}},
        {"b/baddens2.bmp", {L, B1}},
        {"b/badfilesize.bmp", {L, B1}},
        {"b/badheadersize.bmp", {R, None}},
        {"b/badpalettesize.bmp", {L, B8}},
        {"b/badplanes.bmp", {L, B1}},
        {"b/badrle.bmp", {C, B8}},
        {"b/badrle4.bmp", {C, B4}},
        {"b/badrle4bis.bmp", {C, B4}},
        {"b/badrle4ter.bmp", {C, B4}},
        {"b/badrlebis.bmp", {C, B8}},
        {"b/badrleter.bmp", {C, B8}},
        {"b/badwidth.bmp", {R, None}},
        {"b/pal8badindex.bmp", {L, B8}},
        {"b/reallybig.bmp", {R, None}},
        {"b/rgb16-880.bmp", {L, B16}},
        {"b/rletopdown.bmp", {C, B8}},
        {"b/shortfile.bmp", {L, B1}}, // the rows that are there, the rest zero
    };
    return table;
}

fs::path SuiteFolder() {
    if (const char* folder = std::getenv("GLEAMKIT_SHARED_DIR"))
        return fs::path(folder) / "bmpsuite";
    return fs::path(GLEAMKIT_SHARED_DIR) / "bmpsuite";
}

// Every .bmp of the suite as "group/name".
std::vector<std::string> SuiteFiles() {
    std::vector<std::string> files;
    for (const char* group : {"g", "q", "b"}) {
        const fs::path folder = SuiteFolder() / group;
        if (!fs::is_directory(folder)) continue;
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.path().extension() == ".bmp")
                files.push_back(std::string(group) + "/" + entry.path().filename().string());
    }
    return files;
}

class BmpSuiteTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::is_directory(SuiteFolder())) GTEST_SKIP() << "no " << SuiteFolder();
    }
    std::string PathOf(const std::string& name) const { return (SuiteFolder() / name).string(); }
};

TEST_F(BmpSuiteTest, EveryFileLoadsOrIsRejectedAsExpected) {
    const std::vector<std::string> files = SuiteFiles();
    EXPECT_EQ(files.size(), Table().size());
    for (const std::string& name : files) {
        const auto found = Table().find(name);
        ASSERT_NE(found, Table().end()) << name << " is not in the table";
        const Expected expected = found->second;
        Picture picture(NewPixelBitmap(0, 0));
        Stream* stream = NewReadFileStream(PathOf(name).c_str());
        const bool loaded = picture->LoadFromStream(*stream);
        const uint32_t position = stream->Position();
        Free(stream);
        if (expected.outcome == Outcome::Rejected) {
            EXPECT_FALSE(loaded) << name;
            EXPECT_TRUE(picture->Empty()) << name;
            EXPECT_EQ(position, 0u) << name;
            continue;
        }
        ASSERT_TRUE(loaded) << name;
        EXPECT_EQ(picture->Layout(), expected.layout) << name;
        EXPECT_EQ(picture->Storage(), StorageKind::Dib) << name;
        EXPECT_EQ(picture->RowMemorySize(),
                  static_cast<int32_t>(picture->ScanLineBytes()) * picture->Height())
            << name;
        const bool compressed = dib::Compression(picture->HeaderBlock()) == 1 ||
                                dib::Compression(picture->HeaderBlock()) == 2;
        EXPECT_EQ(compressed, expected.outcome == Outcome::LoadsCompressed) << name;
    }
}

TEST_F(BmpSuiteTest, HeaderAndTableDetails) {
    auto load = [&](const char* name) {
        auto* picture = NewPixelBitmap(0, 0);
        EXPECT_TRUE(picture->LoadFromFile(PathOf(name).c_str())) << name;
        return picture;
    };
    auto entry = [](PixelBitmap& picture, int index) {
        return dib::Get<uint32_t>(picture.HeaderBlock(), dib::kColorTableOffset + 4 * index);
    };
    {
        Picture topDown(load("g/pal8topdown.bmp"));
        EXPECT_EQ(dib::Height(topDown->HeaderBlock()), -64);
        EXPECT_EQ(topDown->ScanLine(0), topDown->RowMemory());
    }
    {
        Picture plain(load("g/rgb16.bmp")), masked(load("g/rgb16-565.bmp"));
        EXPECT_EQ(entry(*plain, 0), 0u);
        EXPECT_EQ(entry(*masked, 0), 0xF800u);
        EXPECT_EQ(entry(*masked, 1), 0x07E0u);
        EXPECT_EQ(entry(*masked, 2), 0x001Fu);
        EXPECT_EQ(entry(*masked, 3), 0u);
    }
    {
        // Masks, then a 1024-byte palette skipped before the rows.
        Picture withPalette(load("g/rgb16-565pal.bmp")), without(load("g/rgb16-565.bmp"));
        EXPECT_EQ(entry(*withPalette, 3), 0u);
        EXPECT_EQ(std::memcmp(withPalette->RowMemory(), without->RowMemory(), 16384), 0);
    }
    {
        Picture core(load("g/pal8os2.bmp")), info(load("g/pal8-0.bmp"));
        EXPECT_EQ(dib::Get<uint32_t>(core->HeaderBlock(), 0), 40u);
        EXPECT_EQ(std::memcmp(core->RowMemory(), info->RowMemory(), 8192), 0);
        for (int i = 0; i < 252; ++i) ASSERT_EQ(entry(*core, i), entry(*info, i)) << i;
        Picture shortCore(load("q/pal8os2sp.bmp"));
        EXPECT_EQ(entry(*shortCore, 251), entry(*info, 251));
        EXPECT_EQ(entry(*shortCore, 252), 0u);
    }
    {
        Picture pal8(load("g/pal8.bmp"));
        EXPECT_NE(entry(*pal8, 251), 0u);
        for (int i = 252; i < 256; ++i) EXPECT_EQ(entry(*pal8, i), 0u) << i;
        Picture badIndex(load("b/pal8badindex.bmp"));
        EXPECT_EQ(entry(*badIndex, 101), 0u);
    }
    {
        // Oversized palettes: the rows come from where the file put them.
        Picture reference(load("g/pal8.bmp")), offset(load("q/pal8offs.bmp")),
            oversize(load("q/pal8oversizepal.bmp"));
        EXPECT_EQ(std::memcmp(offset->RowMemory(), reference->RowMemory(), 8192), 0);
        EXPECT_EQ(std::memcmp(oversize->RowMemory(), reference->RowMemory(), 8192), 0);
        Picture rgb(load("g/rgb24.bmp")), largePalette(load("q/rgb24largepal.bmp"));
        EXPECT_EQ(std::memcmp(largePalette->RowMemory(), rgb->RowMemory(), 24576), 0);
    }
    {
        Picture planes(load("b/badplanes.bmp"));
        EXPECT_EQ(planes->RequestedLayout(), BitmapLayout::Custom);
        Picture cut(load("b/shortfile.bmp"));
        EXPECT_EQ(cut->RowMemory()[1023], 0);
    }
}

// ImageMagick's decoding of `path` as 8-bit RGB samples, or empty when it
// fails.
std::vector<uint8_t> DecodeWithImageMagick(const std::string& path, int* width, int* height) {
    const std::string command =
        "/usr/bin/convert-im6.q16 '" + path + "' -depth 8 ppm:- 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return {};
    std::vector<uint8_t> data;
    uint8_t buffer[65536];
    size_t got;
    while ((got = fread(buffer, 1, sizeof(buffer), pipe)) > 0)
        data.insert(data.end(), buffer, buffer + got);
    pclose(pipe);
    // The header is text: "P6", width, height, maximum, one whitespace byte.
    const std::string head(data.begin(), data.begin() + std::min<size_t>(data.size(), 64));
    int maxValue = 0, consumed = 0;
    if (std::sscanf(head.c_str(), "P6 %d %d %d%n", width, height, &maxValue, &consumed) != 3 ||
        maxValue != 255)
        return {};
    data.erase(data.begin(), data.begin() + consumed + 1);
    if (data.size() != static_cast<size_t>(*width) * *height * 3) return {};
    return data;
}

// Where our decoding may differ from ImageMagick's, and by how much. Both
// widen 5- and 6-bit channels by repeating their high bits, so the ordinary
// 16-bit files match exactly. For other mask widths ImageMagick shifts without
// repeating (a 1-bit channel's 1 becomes 128, a 3-bit 7 becomes 224, so white
// is not white) and scales channels wider than 8 bits slightly differently;
// we repeat high bits when widening and keep the top 8 when narrowing.
const std::map<std::string, int>& Tolerances() {
    static const std::map<std::string, int> tolerances = {
        {"q/rgb16-231.bmp", 127},  // 2-3-1 masks
        {"q/rgb16-3103.bmp", 31},  // 3-10-3 masks
        {"q/rgb32-111110.bmp", 1}, // 11-11-10 masks
        {"q/rgb32-7187.bmp", 2},   // 7-18-7 masks
    };
    return tolerances;
}

// Files ImageMagick refuses (a wrong size field, an absurd palette count,
// planes other than 1, a cut file, a palette past 256 entries, compression 6);
// there is no reference to compare with.
const std::set<std::string> kRefusedByImageMagick = {
    "b/badfilesize.bmp", "b/badpalettesize.bmp",  "b/badplanes.bmp",
    "b/shortfile.bmp",   "q/pal8oversizepal.bmp", "q/rgba32abf.bmp"};

TEST_F(BmpSuiteTest, UncompressedPicturesMatchImageMagick) {
    if (!fs::exists("/usr/bin/convert-im6.q16")) GTEST_SKIP() << "no ImageMagick";
    for (const auto& [name, expected] : Table()) {
        if (expected.outcome != Outcome::Loads || expected.layout == BitmapLayout::Custom ||
            kRefusedByImageMagick.count(name))
            continue;
        Picture picture(NewPixelBitmap(0, 0));
        ASSERT_TRUE(picture->LoadFromFile(PathOf(name).c_str()));
        // b/pal8badindex.bmp uses indices past its 101 palette entries; we
        // show those as the zeroed entries (black), ImageMagick otherwise.
        Picture indices(NewPixelBitmap(0, 0));
        const bool shortPalette = name == "b/pal8badindex.bmp";
        if (shortPalette) indices->Assign(picture.get());
        picture->SetLayout(BitmapLayout::Bits24);
        int width = 0, height = 0;
        const std::vector<uint8_t> reference = DecodeWithImageMagick(PathOf(name), &width, &height);
        ASSERT_FALSE(reference.empty()) << name << ": ImageMagick does not decode it";
        ASSERT_EQ(width, picture->Width()) << name;
        ASSERT_EQ(height, picture->Height()) << name;
        const auto tolerance = Tolerances().find(name);
        const int allowed = tolerance == Tolerances().end() ? 0 : tolerance->second;
        int largest = 0;
        for (int y = 0; y < height; ++y) {
            const Bgr24* row = picture->Row24(y);
            for (int x = 0; x < width; ++x) {
                if (shortPalette && indices->ScanLine(y)[x] >= 101) continue;
                const uint8_t* rgb = &reference[(static_cast<size_t>(y) * width + x) * 3];
                for (int d : {row[x].Red - rgb[0], row[x].Green - rgb[1], row[x].Blue - rgb[2]})
                    largest = std::max(largest, std::abs(d));
            }
        }
        EXPECT_LE(largest, allowed) << name;
        if (allowed > 0) {
            EXPECT_GT(largest, 0) << name << " now matches: drop its tolerance";
        }
    }
}

} // namespace
} // namespace gleamkit::bitmap
