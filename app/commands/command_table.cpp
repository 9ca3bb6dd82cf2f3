// The rows of the command table, one per menu item, and the run that wraps
// them. Each row's call passes exactly the program's fixed arguments: byte
// parameters as bytes, decimal fractions as the nearest extended-precision
// value (the L literals), colours as 0x00BBGGRR.
#include "app/commands/command_table.h"

#include <algorithm>
#include <limits>
#include <memory>

#include "base/error.h"
#include "effects/effects.h"

namespace gleamkit::app {

namespace {

using bitmap::PixelBitmap;
using P = const CommandPictures&;
using K = CommandKind;

// "Spot light" lights the area from a quarter to a half of each side.
Rect SpotArea(PixelBitmap& picture) {
    return MakeRect(picture.Width() / 4, picture.Height() / 4, picture.Width() / 2,
                    picture.Height() / 2);
}

// "Strecth" resamples with row 5 of the filter table, Lanczos3 of support 3.
void StretchLanczos3(PixelBitmap& source, PixelBitmap& destination) {
    const fx::FilterEntry& row = fx::ResamplingFilters[5];
    fx::Stretch(source, destination, row.Kernel, row.Support);
}

// The table proper. Kept sorted by index; FindCommand relies on it.
// clang-format off
constexpr Command kCommands[] = {
    {6, "Add color noise", "AddColorNoise(W, Amount 100)", K::Plain, [](P p) { fx::AddColorNoise(p.work, 100); }},
    {7, "Add mono noise", "AddMonoNoise(W, Amount 100)", K::Plain, [](P p) { fx::AddMonoNoise(p.work, 100); }},
    {8, "AntiAliasing", "AntiAliasing(W)", K::Plain, [](P p) { fx::AntiAliasing(p.work); }},
    {9, "Blend", "Blend(copy, second, W, amount 0.333)", K::SecondPicture, [](P p) { fx::Blend(*p.copy, *p.second, p.work, 0.333L); }},
    {10, "Button", "Button(W, border 10, amount 100)", K::Plain, [](P p) { fx::Button(p.work, 10, 100); }},
    {12, "Oval button > Rimmed", "OvalButton(W, border 10, amount 100, style 0)", K::Plain, [](P p) { fx::OvalButton(p.work, 10, 100, 0); }},
    {13, "Oval button > Round", "OvalButton(W, border 10, amount 100, style 1)", K::Plain, [](P p) { fx::OvalButton(p.work, 10, 100, 1); }},
    {14, "Oval button > Double round", "OvalButton(W, border 10, amount 100, style 2)", K::Plain, [](P p) { fx::OvalButton(p.work, 10, 100, 2); }},
    {15, "Contrast", "Contrast(W, Amount 100)", K::Plain, [](P p) { fx::Contrast(p.work, 100); }},
    {17, "Convolve > Convolve E", "Convolve(W, kernel index 0, border method 0)", K::Plain, [](P p) { fx::Convolve(p.work, 0, 0); }},
    {18, "Convolve > Convolve I", "Convolve(W, kernel index 1, border method 1)", K::Plain, [](P p) { fx::Convolve(p.work, 1, 1); }},
    {19, "Convolve > Convolve M", "Convolve(W, kernel index 2, border method 2)", K::Plain, [](P p) { fx::Convolve(p.work, 2, 2); }},
    {20, "Darkness", "Darkness(W, Amount 100)", K::Plain, [](P p) { fx::Darkness(p.work, 100); }},
    {21, "Embossing", "Embossing(W)", K::Plain, [](P p) { fx::Embossing(p.work); }},
    {22, "Exclude color", "ExcludeColor(W, colour of W at (10, 10))", K::Plain, [](P p) { fx::ExcludeColor(p.work, p.work.PixelAt(10, 10)); }},
    {23, "Extract color", "ExtractColor(W, colour 0xFF0000)", K::Plain, [](P p) { fx::ExtractColor(p.work, 0xFF0000); }},
    {25, "Filter > Red", "FilterRed(W, low 10, high 200)", K::Plain, [](P p) { fx::FilterRed(p.work, 10, 200); }},
    {26, "Filter > Green", "FilterGreen(W, low 10, high 200)", K::Plain, [](P p) { fx::FilterGreen(p.work, 10, 200); }},
    {27, "Filter > Blue", "FilterBlue(W, low 10, high 200)", K::Plain, [](P p) { fx::FilterBlue(p.work, 10, 200); }},
    {29, "Filter > X Red", "FilterXRed(W, low 10, high 200)", K::Plain, [](P p) { fx::FilterXRed(p.work, 10, 200); }},
    {30, "Filter > X Green", "FilterXGreen(W, low 10, high 200)", K::Plain, [](P p) { fx::FilterXGreen(p.work, 10, 200); }},
    {31, "Filter > X Blue", "FilterXBlue(W, low 10, high 200)", K::Plain, [](P p) { fx::FilterXBlue(p.work, 10, 200); }},
    {32, "Fish eye", "FishEye(copy, W, Amount 0.51)", K::Copy, [](P p) { fx::FishEye(*p.copy, p.work, 0.51L); }},
    {34, "Flip > Vertical", "FlipVertical(W)", K::Plain, [](P p) { fx::FlipVertical(p.work); }},
    {35, "Flip > Horizontal", "FlipHorizontal(W)", K::Plain, [](P p) { fx::FlipHorizontal(p.work); }},
    {36, "FoldRight", "FoldRight(copy, second, W, amount 0.33)", K::SecondPicture, [](P p) { fx::FoldRight(*p.copy, *p.second, p.work, 0.33L); }},
    {37, "Gaussian blur", "GaussianBlur(W, Amount 1)", K::Plain, [](P p) { fx::GaussianBlur(p.work, 1); }},
    {38, "Convert to grayscale", "ConvertToGrayscale(W)", K::Plain, [](P p) { fx::ConvertToGrayscale(p.work); }},
    {39, "Grow", "Grow(copy, second, W, amount 0.33, x 10, y 10)", K::SecondPicture, [](P p) { fx::Grow(*p.copy, *p.second, p.work, 0.33L, 10, 10); }},
    {40, "Height map", "HeightMap(W, amount 33)", K::Plain, [](P p) { fx::HeightMap(p.work, 33); }},
    {41, "Invert", "Invert(W)", K::Plain, [](P p) { fx::Invert(p.work); }},
    {43, "Keep > Red", "KeepRed(W, factor 0.8)", K::Plain, [](P p) { fx::KeepRed(p.work, 0.8L); }},
    {44, "Keep > Green", "KeepGreen(W, factor 0.8)", K::Plain, [](P p) { fx::KeepGreen(p.work, 0.8L); }},
    {45, "Keep > Blue", "KeepBlue(W, factor 0.8)", K::Plain, [](P p) { fx::KeepBlue(p.work, 0.8L); }},
    {46, "Lightness", "Lightness(W, Amount 100)", K::Plain, [](P p) { fx::Lightness(p.work, 100); }},
    {47, "Make seamless clip", "MakeSeamlessClip(W, Seam 5)", K::Plain, [](P p) { fx::MakeSeamlessClip(p.work, 5); }},
    {49, "Marble > Marble 1", "Marble1(copy, W, Scale 3, Turbulence 3.0)", K::Copy, [](P p) { fx::Marble1(*p.copy, p.work, 3, 3.0L); }},
    {50, "Marble > Marble 2", "Marble2(copy, W, Scale 2, Turbulence 2.0)", K::Copy, [](P p) { fx::Marble2(*p.copy, p.work, 2, 2.0L); }},
    {51, "Marble > Marble 3", "Marble3(copy, W, Scale 3, Turbulence 3.0)", K::Copy, [](P p) { fx::Marble3(*p.copy, p.work, 3, 3.0L); }},
    {52, "Marble > Marble 4", "Marble4(copy, W, Scale 3, Turbulence 3.0)", K::Copy, [](P p) { fx::Marble4(*p.copy, p.work, 3, 3.0L); }},
    {53, "Marble > Marble 5", "Marble5(copy, W, Scale 3, Turbulence 3.0)", K::Copy, [](P p) { fx::Marble5(*p.copy, p.work, 3, 3.0L); }},
    {54, "Marble > Marble 6", "Marble6(copy, W, Scale 3, Turbulence 3.0)", K::Copy, [](P p) { fx::Marble6(*p.copy, p.work, 3, 3.0L); }},
    {55, "Marble > Marble 7", "Marble7(copy, W, Scale 4, Turbulence 4.0)", K::Copy, [](P p) { fx::Marble7(*p.copy, p.work, 4, 4.0L); }},
    {56, "Marble > Marble 8", "Marble8(copy, W, Scale 3, Turbulence 3.0)", K::Copy, [](P p) { fx::Marble8(*p.copy, p.work, 3, 3.0L); }},
    {57, "Mask oval", "MaskOval(W, colour 0xFFFFFF)", K::Plain, [](P p) { fx::MaskOval(p.work, 0xFFFFFF); }},
    {59, "Mirror > Horizontal", "MirrorHorizontal(W)", K::Plain, [](P p) { fx::MirrorHorizontal(p.work); }},
    {60, "Mirror > Vertical", "MirrorVertical(W)", K::Plain, [](P p) { fx::MirrorVertical(p.work); }},
    {61, "Mosaic", "Mosaic(W, Size 4)", K::Plain, [](P p) { fx::Mosaic(p.work, 4); }},
    {62, "Plasma", "Plasma(second, copy, W, scale 10.0, turbulence 22.0)", K::SecondPicture, [](P p) { fx::Plasma(*p.second, *p.copy, p.work, 10.0L, 22.0L); }},
    {63, "Posterize", "Posterize(copy, W, amount 20)", K::Copy, [](P p) { fx::Posterize(*p.copy, p.work, 20); }},
    {65, "Opaque > Semi", "OpaqueSemi(copy, W)", K::Copy, [](P p) { fx::OpaqueSemi(*p.copy, p.work); }},
    {66, "Opaque > Quarto", "OpaqueQuarto(copy, W)", K::Copy, [](P p) { fx::OpaqueQuarto(*p.copy, p.work); }},
    {68, "Ripple > Tooth", "RippleTooth(W, amount 33)", K::Plain, [](P p) { fx::RippleTooth(p.work, 33); }},
    {69, "Ripple > Triangle", "RippleTriangle(W, amount 33)", K::Plain, [](P p) { fx::RippleTriangle(p.work, 33); }},
    {70, "Ripple > Random", "RippleRandom(W, amount 33)", K::Plain, [](P p) { fx::RippleRandom(p.work, 33); }},
    {71, "Saturation", "Saturation(W, Amount 128)", K::Plain, [](P p) { fx::Saturation(p.work, 128); }},
    {72, "Seamless", "Seamless(W, depth 32)", K::Plain, [](P p) { fx::Seamless(p.work, 32); }},
    {74, "Shadow > Down left", "ShadowDownLeft(W)", K::Plain, [](P p) { fx::ShadowDownLeft(p.work); }},
    {75, "Shadow > Down right", "ShadowDownRight(W)", K::Plain, [](P p) { fx::ShadowDownRight(p.work); }},
    {76, "Shadow > Up left", "ShadowUpLeft(W)", K::Plain, [](P p) { fx::ShadowUpLeft(p.work); }},
    {77, "Shadow > Up right", "ShadowUpRight(W)", K::Plain, [](P p) { fx::ShadowUpRight(p.work); }},
    {79, "Shake > Vertical", "ShakeVertical(copy, W, factor 0.1)", K::Copy, [](P p) { fx::ShakeVertical(*p.copy, p.work, 0.1L); }},
    {80, "Shake > Horizontal", "ShakeHorizontal(copy, W, factor 0.1)", K::Copy, [](P p) { fx::ShakeHorizontal(*p.copy, p.work, 0.1L); }},
    {82, "Smooth > Resize", "SmoothResize(copy, W)", K::Copy, [](P p) { fx::SmoothResize(*p.copy, p.work); }},
    {83, "Smooth > Rotate", "SmoothRotate(copy, W, cx 0, cy 0, Angle 33.0)", K::Copy, [](P p) { fx::SmoothRotate(*p.copy, p.work, 0, 0, 33.0L); }},
    {84, "Solarize", "Solarize(copy, W, threshold 100)", K::Copy, [](P p) { fx::Solarize(*p.copy, p.work, 100); }},
    {86, "Split > Blur", "SplitBlur(W, Amount 33)", K::Plain, [](P p) { fx::SplitBlur(p.work, 33); }},
    {87, "Split > Light", "SplitLight(W, Amount 3)", K::Plain, [](P p) { fx::SplitLight(p.work, 3); }},
    {88, "Spot light", "SpotLight(W, amount -50, area W/4, H/4, W/2, H/2)", K::Plain, [](P p) { fx::SpotLight(p.work, -50, SpotArea(p.work)); }},
    {89, "Spray", "Spray(W, Amount 16)", K::Plain, [](P p) { fx::Spray(p.work, 16); }},
    {90, "Squeeze horizontal", "SqueezeHorizontal(copy, W, Amount 32, Style 10)", K::Copy, [](P p) { fx::SqueezeHorizontal(*p.copy, p.work, 32, 10); }},
    {91, "Strecth", "Stretch(W, doubled 2W x 2H, Lanczos3, support 3.0)", K::Doubled, [](P p) { StretchLanczos3(p.work, *p.doubled); }},
    {93, "Texturize > Overlap", "TexturizeOverlap(W, amount 64)", K::Plain, [](P p) { fx::TexturizeOverlap(p.work, 64); }},
    {94, "Texturize > Tile", "TexturizeTile(W, amount 64)", K::Plain, [](P p) { fx::TexturizeTile(p.work, 64); }},
    {95, "Tile", "Tile(copy, W, Amount 8)", K::Copy, [](P p) { fx::Tile(*p.copy, p.work, 8); }},
    {96, "Trace", "Trace(W, intensity 8)", K::Plain, [](P p) { fx::Trace(p.work, 8); }},
    {97, "Triangles", "Triangles(W, amount 32)", K::Plain, [](P p) { fx::Triangles(p.work, 32); }},
    {98, "Twist", "Twist(copy, W, Amount 33)", K::Copy, [](P p) { fx::Twist(*p.copy, p.work, 33); }},
    {99, "Wave", "Wave(W, Amount 32, Modulation 16, Style 0)", K::Plain, [](P p) { fx::Wave(p.work, 32, 16, 0); }},
};
// clang-format on

constexpr bool SortedByIndex() {
    for (size_t i = 1; i < std::size(kCommands); ++i)
        if (kCommands[i - 1].index >= kCommands[i].index) return false;
    return true;
}
static_assert(SortedByIndex());

struct PictureFree {
    void operator()(PixelBitmap* picture) const { Free(picture); }
};
using Temporary = std::unique_ptr<PixelBitmap, PictureFree>;

Temporary CopyOf(PixelBitmap& picture) {
    Temporary copy(bitmap::NewPixelBitmap(0, 0));
    copy->Assign(&picture);
    return copy;
}

// A picture twice the working picture's size; refused when a side would not
// fit a picture's signed 32-bit size.
Temporary DoubledOf(const PixelBitmap& picture) {
    const int64_t width = int64_t{2} * picture.Width();
    const int64_t height = int64_t{2} * picture.Height();
    constexpr int64_t kLimit = std::numeric_limits<int32_t>::max();
    if (width > kLimit || height > kLimit) throw Error("Picture too large to stretch");
    return Temporary(
        bitmap::NewPixelBitmap(static_cast<int32_t>(width), static_cast<int32_t>(height)));
}

} // namespace

std::span<const Command> Commands() {
    return kCommands;
}

const Command* FindCommand(int32_t index) {
    const auto found = std::lower_bound(
        std::begin(kCommands), std::end(kCommands), index,
        [](const Command& command, int32_t wanted) { return command.index < wanted; });
    return found != std::end(kCommands) && found->index == index ? found : nullptr;
}

void ApplyCommand(const Command& command, PixelBitmap& work, PixelBitmap* second) {
    Temporary copy;
    Temporary doubled;
    if (command.kind == CommandKind::Copy || command.kind == CommandKind::SecondPicture)
        copy = CopyOf(work);
    if (command.kind == CommandKind::Doubled) doubled = DoubledOf(work);
    command.run({work, copy.get(), second, doubled.get()});
    if (doubled) work.Assign(doubled.get());
}

} // namespace gleamkit::app
