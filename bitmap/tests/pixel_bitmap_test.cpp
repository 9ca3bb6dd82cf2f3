// PixelBitmap's storage rules: row addressing, layout changes and their
// conversions, size changes, the move into a DIB section, copying and
// clearing.
#include <gtest/gtest.h>

#include <cstring>
#include <new>

#include "bitmap/dib_header.h"
#include "bitmap/pixel_memory.h"
#include "bitmap/tests/test_support.h"
#include "platform/win32.h"

namespace gleamkit::bitmap {
namespace {

using testing::NewPicture24;
using testing::Picture;
using testing::PixelOf;
using testing::SamePixels;

// Colours every palette holds exactly: black, white, the primaries and their
// pairwise mixes at full strength.
constexpr Color kExactColours[] = {0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00,
                                   0xFF0000, 0x00FFFF, 0xFF00FF, 0xFFFF00};

Color Pattern(int32_t x, int32_t y) {
    return kExactColours[(x * 3 + y * 5) % 8];
}

TEST(PixelBitmapTest, RowsArePaddedToWordsAndStoredBottomUp) {
    Picture picture(NewPixelBitmap(3, 2));
    EXPECT_EQ(picture->ScanLine(0), nullptr); // a device bitmap has no rows
    picture->SetLayout(BitmapLayout::Bits24);
    EXPECT_EQ(picture->Storage(), StorageKind::Dib);
    EXPECT_EQ(picture->ScanLineBytes(), 12u);
    EXPECT_EQ(picture->RowMemorySize(), 24);
    EXPECT_EQ(picture->ScanLine(0), picture->RowMemory() + 12);
    EXPECT_EQ(picture->ScanLine(1), picture->RowMemory());

    Picture narrow(NewPixelBitmap(1, 1));
    narrow->SetLayout(BitmapLayout::Bits1);
    EXPECT_EQ(narrow->ScanLineBytes(), 4u);
    Picture wider(NewPixelBitmap(33, 1));
    wider->SetLayout(BitmapLayout::Bits1);
    EXPECT_EQ(wider->ScanLineBytes(), 8u);
}

TEST(PixelBitmapTest, SixteenBitRequestAddsMasksAndFifteenBitKeepsThem) {
    Picture picture(NewPicture24(2, 2, Pattern));
    picture->SetLayout(BitmapLayout::Bits16);
    const uint8_t* header = picture->HeaderBlock();
    EXPECT_EQ(dib::BitCount(header), 16);
    EXPECT_EQ(dib::Compression(header), 3u);
    EXPECT_EQ(dib::Get<uint32_t>(header, 40), 0xF800u);
    EXPECT_EQ(dib::Get<uint32_t>(header, 44), 0x07E0u);
    EXPECT_EQ(dib::Get<uint32_t>(header, 48), 0x001Fu);
    EXPECT_EQ(picture->Layout(), BitmapLayout::Bits16);

    const uint8_t* rows = picture->RowMemory();
    std::vector<uint8_t> before(header, header + kHeaderBlockSize);
    picture->SetLayout(BitmapLayout::Bits15);
    EXPECT_EQ(picture->RowMemory(), rows);
    EXPECT_EQ(
        std::vector<uint8_t>(picture->HeaderBlock(), picture->HeaderBlock() + kHeaderBlockSize),
        before);
    EXPECT_EQ(picture->Layout(), BitmapLayout::Bits16);
    EXPECT_EQ(picture->RequestedLayout(), BitmapLayout::Bits15);
}

TEST(PixelBitmapTest, LayoutRequestOnAnEmptyPictureIsNotRemembered) {
    Picture picture(NewPixelBitmap(0, 0));
    picture->SetLayout(BitmapLayout::Bits24);
    EXPECT_EQ(picture->RequestedLayout(), BitmapLayout::Device);
    picture->SetWidth(2);
    picture->SetHeight(2);
    EXPECT_EQ(picture->Storage(), StorageKind::Ddb);
    EXPECT_EQ(picture->Layout(), BitmapLayout::Device);
    EXPECT_NE(picture->Handle(), nullptr);
}

TEST(PixelBitmapTest, EveryLayoutRoundTripsColoursItCanHold) {
    const BitmapLayout layouts[] = {BitmapLayout::Bits4,  BitmapLayout::Bits8,
                                    BitmapLayout::Bits15, BitmapLayout::Bits16,
                                    BitmapLayout::Bits32, BitmapLayout::Device};
    Picture original(NewPicture24(7, 5, Pattern));
    for (BitmapLayout layout : layouts) {
        Picture copy(NewPixelBitmap(0, 0));
        ASSERT_TRUE(copy->Assign(original.get()));
        copy->SetLayout(layout);
        EXPECT_EQ(copy->Layout(), layout);
        copy->SetLayout(BitmapLayout::Bits24);
        EXPECT_TRUE(SamePixels(*original, *copy)) << static_cast<int>(layout);
    }
    Picture mono(NewPicture24(
        9, 3, [](int32_t x, int32_t y) { return (x + y) % 2 ? Color{0xFFFFFF} : Color{0}; }));
    Picture copy(NewPixelBitmap(0, 0));
    copy->Assign(mono.get());
    copy->SetLayout(BitmapLayout::Bits1);
    copy->SetLayout(BitmapLayout::Bits24);
    EXPECT_TRUE(SamePixels(*mono, *copy));
}

TEST(PixelBitmapTest, CustomAndDeviceRequestsMakeSixteenBitsWithoutMasks) {
    Picture picture(NewPicture24(3, 3, Pattern));
    picture->SetLayout(BitmapLayout::Custom);
    EXPECT_EQ(dib::BitCount(picture->HeaderBlock()), 16);
    EXPECT_EQ(dib::Compression(picture->HeaderBlock()), 0u);
    EXPECT_EQ(picture->Layout(), BitmapLayout::Bits15);
}

TEST(PixelBitmapTest, NewHeightMakesADeviceBitmapWithNewRowsInBackColour) {
    Picture picture(NewPicture24(3, 2, Pattern));
    picture->SetBackColor(0x00123456);
    picture->SetHeight(4);
    EXPECT_EQ(picture->Storage(), StorageKind::Ddb);
    EXPECT_EQ(picture->Layout(), BitmapLayout::Device);
    EXPECT_EQ(picture->ScanLine(0), nullptr);
    picture->SetLayout(BitmapLayout::Bits24);
    for (int32_t x = 0; x < 3; ++x) {
        EXPECT_EQ(PixelOf(*picture, x, 0), static_cast<uint32_t>(Pattern(x, 0)));
        EXPECT_EQ(PixelOf(*picture, x, 1), static_cast<uint32_t>(Pattern(x, 1)));
        EXPECT_EQ(PixelOf(*picture, x, 3), 0x00123456u);
    }
}

TEST(PixelBitmapTest, NewWidthKeepsTheLeftColumns) {
    Picture picture(NewPicture24(3, 2, Pattern));
    picture->SetWidth(5);
    EXPECT_EQ(picture->Layout(), BitmapLayout::Bits24);
    EXPECT_EQ(picture->ScanLineBytes(), 16u);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x)
            EXPECT_EQ(PixelOf(*picture, x, y), static_cast<uint32_t>(Pattern(x, y)));
    picture->SetWidth(1);
    EXPECT_EQ(PixelOf(*picture, 0, 1), static_cast<uint32_t>(Pattern(0, 1)));
}

TEST(PixelBitmapTest, NegativeSizesGiveAnEmptyPicture) {
    Picture picture(NewPixelBitmap(-4, 5));
    EXPECT_TRUE(picture->Empty());
    EXPECT_EQ(picture->Handle(), nullptr);
    picture->SetWidth(-1);
    EXPECT_EQ(picture->Width(), 0);
}

TEST(PixelBitmapTest, RowsPastTheSizeLimitRaiseAndLeaveThePictureAsItWas) {
    Picture picture(NewPixelBitmap(100000, 100000)); // 30 GB as 24-bit rows
    EXPECT_THROW(picture->SetLayout(BitmapLayout::Bits24), std::bad_alloc);
    EXPECT_EQ(picture->Storage(), StorageKind::Ddb);
    EXPECT_EQ(picture->ScanLine(0), nullptr);
    Picture small(NewPicture24(2, 2, Pattern));
    EXPECT_THROW(small->SetWidth(0x7FFFFFFF), std::bad_alloc);
    EXPECT_EQ(small->Width(), 2);
    EXPECT_EQ(PixelOf(*small, 1, 1), static_cast<uint32_t>(Pattern(1, 1)));
}

TEST(PixelBitmapTest, HandleMovesSeparateRowsIntoASection) {
    Picture picture(NewPicture24(4, 3, Pattern));
    const uint8_t* before = picture->RowMemory();
    EXPECT_FALSE(picture->BitsOwnedBySection());
    HBITMAP handle = picture->Handle();
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(picture->Handle(), handle);
    EXPECT_TRUE(picture->BitsOwnedBySection());
    EXPECT_NE(picture->RowMemory(), before);
    Picture expected(NewPicture24(4, 3, Pattern));
    EXPECT_TRUE(SamePixels(*expected, *picture));
    // The rows are the section's: a pixel set through the platform shows in them.
    picture->SetPixelAt(1, 2, 0x00ABCDEF);
    EXPECT_EQ(PixelOf(*picture, 1, 2), 0x00ABCDEFu);
    EXPECT_EQ(picture->PixelAt(1, 2), 0x00ABCDEF);
}

TEST(PixelBitmapTest, AssignCopiesHeaderAndRowsButNotTheHandle) {
    Picture source(NewPicture24(5, 3, Pattern));
    source->Handle(); // rows now in a section: the copy gets separate memory
    Picture copy(NewPixelBitmap(2, 2));
    ASSERT_TRUE(copy->Assign(source.get()));
    EXPECT_EQ(copy->Storage(), StorageKind::Dib);
    EXPECT_EQ(std::memcmp(copy->HeaderBlock(), source->HeaderBlock(), kHeaderBlockSize), 0);
    EXPECT_EQ(std::memcmp(copy->RowMemory(), source->RowMemory(), 48), 0);
    EXPECT_NE(copy->RowMemory(), source->RowMemory());
    EXPECT_FALSE(copy->BitsOwnedBySection());

    Picture empty(NewPixelBitmap(0, 0));
    EXPECT_FALSE(copy->Assign(empty.get()));
    EXPECT_TRUE(copy->Empty());
    EXPECT_EQ(copy->HeaderBlock(), nullptr);
    EXPECT_FALSE(copy->Assign(nullptr));
}

TEST(PixelBitmapTest, RepeatedAssignOfTheSameSizeReusesTheRows) {
    Picture first(NewPicture24(6, 4, Pattern));
    Picture second(NewPicture24(6, 4, [](int32_t x, int32_t y) { return Pattern(y, x); }));
    Picture copy(NewPixelBitmap(0, 0));
    ASSERT_TRUE(copy->Assign(first.get()));
    const uint8_t* rows = copy->RowMemory();
    ASSERT_TRUE(copy->Assign(second.get()));
    EXPECT_EQ(copy->RowMemory(), rows);
    EXPECT_TRUE(SamePixels(*second, *copy));
    // A different size gets memory of its own size.
    Picture small(NewPicture24(2, 2, Pattern));
    ASSERT_TRUE(copy->Assign(small.get()));
    EXPECT_EQ(copy->RowMemorySize(), 16);
    EXPECT_TRUE(SamePixels(*small, *copy));
}

TEST(PixelBitmapTest, AssignCopiesDeviceBitmapsAndKeepsAPictureAssignedToItself) {
    Picture source(NewPicture24(3, 3, Pattern));
    source->SetLayout(BitmapLayout::Device);
    Picture copy(NewPixelBitmap(0, 0));
    ASSERT_TRUE(copy->Assign(source.get()));
    EXPECT_EQ(copy->Storage(), StorageKind::Ddb);
    EXPECT_NE(copy->Handle(), source->Handle());
    EXPECT_EQ(copy->PixelAt(2, 1), Pattern(2, 1));

    EXPECT_TRUE(copy->Assign(copy.get()));
    EXPECT_EQ(copy->PixelAt(2, 1), Pattern(2, 1));
}

TEST(PixelBitmapTest, EmptyPictureAnswersNoPixelsAndNoCanvas) {
    Picture picture(NewPixelBitmap(0, 3));
    EXPECT_EQ(picture->PixelAt(0, 0), kColorNone);
    picture->SetPixelAt(0, 0, 0);
    EXPECT_EQ(picture->Canvas(), nullptr);
    EXPECT_EQ(picture->Handle(), nullptr);
    Picture some(NewPicture24(2, 2, Pattern));
    EXPECT_EQ(some->PixelAt(5, 0), static_cast<Color>(CLR_INVALID));
}

TEST(PixelBitmapTest, ClearKeepsStorageKindBackColourAndRequest) {
    Picture picture(NewPicture24(2, 2, Pattern));
    picture->SetBackColor(0x00FF0000);
    picture->Canvas();
    picture->Clear();
    EXPECT_TRUE(picture->Empty());
    EXPECT_EQ(picture->Storage(), StorageKind::Dib);
    EXPECT_EQ(picture->BackColor(), 0x00FF0000);
    EXPECT_EQ(picture->RequestedLayout(), BitmapLayout::Bits24);
    EXPECT_EQ(picture->HeaderBlock(), nullptr);
    EXPECT_EQ(picture->Handle(), nullptr);
}

TEST(PixelBitmapTest, LargePicturesLiveOnHugePageBoundaries) {
    Picture picture(NewPicture24(1024, 1024, Pattern));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(picture->RowMemory()) % kHugePageSize, 0u);
    Picture copy(NewPixelBitmap(0, 0));
    copy->Assign(picture.get());
    EXPECT_EQ(reinterpret_cast<uintptr_t>(copy->RowMemory()) % kHugePageSize, 0u);
    EXPECT_EQ(std::memcmp(copy->RowMemory(), picture->RowMemory(), 1024 * 3072), 0);
}

} // namespace
} // namespace gleamkit::bitmap
