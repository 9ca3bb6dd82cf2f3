// The registry as gleamfx and the benchmarks use it: argument texts read
// strictly, every row's program values readable, and every operation safe to
// run with them on tiny pictures, keeping the size its wiring promises.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "base/error.h"
#include "effects/registry.h"
#include "effects/tests/test_pictures.h"

namespace gleamkit::fx {
namespace {

using testing::MakePattern;
using testing::PicturePtr;

TEST(ParseArgTest, IntegersAreStrictDecimalsInTheSignedRange) {
    ArgValue value;
    const std::pair<const char*, int32_t> good[] = {{"100", 100},
                                                    {"-50", -50},
                                                    {"+7", 7},
                                                    {"0", 0},
                                                    {"2147483647", INT32_MAX},
                                                    {"-2147483648", INT32_MIN}};
    for (const auto& [text, expected] : good) {
        ASSERT_TRUE(ParseArg(ParamKind::Int, text, value)) << text;
        EXPECT_EQ(value.i, expected);
    }
    for (const char* text : {"", "2147483648", "-2147483649", "12x", " 1", "1 ", "0x10", "1.5", "+",
                             "-", "+-1", "++1"})
        EXPECT_FALSE(ParseArg(ParamKind::Int, text, value)) << '"' << text << '"';
}

TEST(ParseArgTest, FloatsAreFiniteDecimalsAtExtendedPrecision) {
    ArgValue value;
    ASSERT_TRUE(ParseArg(ParamKind::Float, "0.333", value));
    EXPECT_EQ(value.f, 0.333L); // the extended value nearest to the decimal
    EXPECT_NE(value.f, static_cast<long double>(0.333));
    ASSERT_TRUE(ParseArg(ParamKind::Float, "-50", value));
    EXPECT_EQ(value.f, -50.0L);
    ASSERT_TRUE(ParseArg(ParamKind::Float, "1e3", value));
    EXPECT_EQ(value.f, 1000.0L);
    ASSERT_TRUE(ParseArg(ParamKind::Float, ".5", value));
    EXPECT_EQ(value.f, 0.5L);
    for (const char* text : {"", ".", "inf", "nan", "0x1p3", "1e99999", "3.0f", "1,5", " 2"})
        EXPECT_FALSE(ParseArg(ParamKind::Float, text, value)) << '"' << text << '"';
}

TEST(ParseArgTest, ColoursTakeHexadecimalOrTheirDecimalPattern) {
    ArgValue value;
    const std::pair<const char*, int32_t> good[] = {
        {"0x00FF0000", 0x00FF0000},
        {"0xFFFFFF", 0x00FFFFFF},
        {"0Xff", 0xFF},
        {"0xFFFFFFFF", -1},
        {"16711680", 0x00FF0000},
        {"-1", -1},
        {"4294967295", -1},
        {"0x80000005", static_cast<int32_t>(0x80000005u)}};
    for (const auto& [text, expected] : good) {
        ASSERT_TRUE(ParseArg(ParamKind::Color, text, value)) << text;
        EXPECT_EQ(value.i, expected) << text;
    }
    for (const char* text : {"", "0x", "0x123456789", "0xGG", "4294967296", "red", "#FF0000"})
        EXPECT_FALSE(ParseArg(ParamKind::Color, text, value)) << '"' << text << '"';
}

TEST(ParseArgTest, RectanglesAreFourIntegers) {
    ArgValue value;
    ASSERT_TRUE(ParseArg(ParamKind::Rect, "25 15 50 30", value));
    EXPECT_EQ(value.rect, MakeRect(25, 15, 50, 30));
    ASSERT_TRUE(ParseArg(ParamKind::Rect, "-1,0,\t2,  3", value));
    EXPECT_EQ(value.rect, MakeRect(-1, 0, 2, 3));
    for (const char* text : {"", "1 2 3", "1 2 3 4 5", "1 2 x 4", "1 2 3 99999999999"})
        EXPECT_FALSE(ParseArg(ParamKind::Rect, text, value)) << '"' << text << '"';
}

TEST(RegistryTest, NamesAreUniqueAndFoundExactly) {
    std::set<std::string_view> names;
    for (const Operation& operation : Operations()) {
        EXPECT_TRUE(names.insert(operation.name).second) << operation.name;
        EXPECT_EQ(FindOperation(operation.name), &operation);
        EXPECT_NE(operation.invoke, nullptr) << operation.name;
    }
    EXPECT_NE(FindOperation("Contrast"), nullptr);
    EXPECT_EQ(FindOperation("contrast"), nullptr);
    EXPECT_EQ(FindOperation(""), nullptr);
}

// The pictures one operation gets, as the desktop program wires them; runs it
// with the program's values and checks the size the wiring promises.
void RunWithProgramValues(const Operation& operation, int32_t width, int32_t height) {
    SCOPED_TRACE(std::string(operation.name) + " on " + std::to_string(width) + "x" +
                 std::to_string(height));
    PicturePtr picture = MakePattern(width, height);
    PicturePtr second = MakePattern(width + 3, height + 2);
    std::vector<ArgValue> args;
    ASSERT_TRUE(ProgramArgs(operation, *picture, args));
    ASSERT_EQ(args.size(), operation.params.size());
    const WiredRun run(operation, *picture, second.get());
    try {
        run.Invoke(args);
    } catch (const Error&) {
        return; // a clear error is an allowed answer to a tiny picture
    }
    if (operation.wiring == Wiring::IntoNewPicture) {
        EXPECT_EQ(picture->Width(), args[0].i);
        EXPECT_EQ(picture->Height(), args[1].i);
    } else if (NeedsSecondPicture(operation.wiring)) {
        // A composition takes each side from one of its two pictures.
        EXPECT_TRUE(picture->Width() == width || picture->Width() == second->Width())
            << picture->Width();
        EXPECT_TRUE(picture->Height() == height || picture->Height() == second->Height())
            << picture->Height();
    } else {
        EXPECT_EQ(picture->Width(), width);
        EXPECT_EQ(picture->Height(), height);
    }
}

TEST(RegistryTest, EveryOperationRunsWithTheProgramValuesOnSmallPictures) {
    ASSERT_FALSE(Operations().empty());
    for (const Operation& operation : Operations()) {
        RunWithProgramValues(operation, 13, 9);
        RunWithProgramValues(operation, 1, 1);
    }
}

} // namespace
} // namespace gleamkit::fx
