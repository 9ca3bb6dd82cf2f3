// The resampling kernels, their table, the contributor lists and Stretch.
// Every kernel evaluates at extended precision and rounds to a 32-bit float
// where the formula stores a value (an argument, a named intermediate, the
// result); the constants 2/3, 1/6, 16/3, 7/3 and 32/3 stay at extended.
#include "effects/resampling.h"

#include "base/error.h"
#include "effects/families.h"
#include "effects/parallel.h"
#include "effects/resampling_passes.h"

#include <cctype>
#include <climits>
#include <cmath>

namespace gleamkit::fx {

namespace {

using Extended = long double;

constexpr Extended kTwoThirds = 2.0L / 3.0L;
constexpr Extended kOneSixth = 1.0L / 6.0L;
constexpr Extended kSixteenThirds = 16.0L / 3.0L;
constexpr Extended kSevenThirds = 7.0L / 3.0L;
constexpr Extended kThirtyTwoThirds = 32.0L / 3.0L;

// Stores an extended value in a 32-bit float variable.
constexpr float Store(Extended value) {
    return static_cast<float>(value);
}

// Tested on x itself so that exactly one of two samples half a step away from
// the centre is taken: Box(0.5) = 1, Box(-0.5) = 0.
float BoxKernel(float x) {
    return (-0.5f < x && x <= 0.5f) ? 1.0f : 0.0f;
}

float TriangleKernel(float x) {
    const float a = std::fabs(x);
    return a < 1.0f ? Store(1.0L - a) : 0.0f;
}

float HermiteKernel(float x) {
    const float a = std::fabs(x);
    if (a < 1.0f) return Store((2.0L * a - 3.0L) * (Extended(a) * a) + 1.0L);
    return 0.0f;
}

float BellKernel(float x) {
    const float a = std::fabs(x);
    if (a < 0.5f) return Store(0.75L - Extended(a) * a);
    if (a < 1.5f) {
        const float t = Store(Extended(a) - 1.5L);
        return Store(0.5L * (Extended(t) * t));
    }
    return 0.0f;
}

float BSplineKernel(float x) {
    const float a = std::fabs(x);
    const float t = Store(Extended(a) * a);
    if (a < 1.0f) return Store(0.5L * t * a - t + kTwoThirds);
    if (a < 2.0f) {
        const float b = Store(2.0L - a);
        return Store(Extended(b) * b * kOneSixth * b);
    }
    return 0.0f;
}

// sin(pi x) / (pi x) with the product pi x stored as a 32-bit float first.
float SinC(float x) {
    if (x == 0.0f) return 1.0f;
    const float y = Store(x * kPi);
    return Store(Sin(y) / y);
}

float Lanczos3Kernel(float x) {
    const float a = std::fabs(x);
    if (a < 3.0f) {
        const float first = SinC(a);
        return Store(Extended(first) * SinC(Store(a / 3.0L)));
    }
    return 0.0f;
}

// The cubic with B = C = 1/3; the numerator n is stored before dividing by 6.
float MitchellKernel(float x) {
    const float a = std::fabs(x);
    const float t = Store(Extended(a) * a);
    float n;
    if (a < 1.0f)
        n = Store(7.0L * a * t - 12.0L * t + kSixteenThirds);
    else if (a < 2.0f)
        n = Store(-kSevenThirds * a * t + 12.0L * t - 20.0L * a + kThirtyTwoThirds);
    else
        return 0.0f;
    return Store(n / 6.0L);
}

// Reflects once at the edges (-1 -> 1, n -> n - 1), then clamps what is still
// outside: a source shorter than the kernel's reach must not be read past.
int32_t ReflectIndex(int64_t j, int32_t n) {
    if (j < 0)
        j = -j;
    else if (j >= n)
        j = 2 * int64_t{n} - 1 - j;
    if (j < 0) return 0;
    if (j >= n) return n - 1;
    return static_cast<int32_t>(j);
}

// Keeps the contributor walk finite whatever a caller's kernel claims.
constexpr float kLargestSupport = 1024.0f;

float UsableSupport(float support) {
    if (std::isnan(support)) return 0.0f;
    return support > kLargestSupport ? kLargestSupport : support;
}

// The smallest weight magnitude for which double sums need no check (see
// ContributorLists::exactSums).
constexpr float kSmallestExactSumWeight = 0x1p-20f;

bool WeightFitsFastSums(float weight) {
    const float magnitude = std::fabs(weight);
    return magnitude >= 0x1p-60f && magnitude <= 0x1p60f;
}

resampling::RowSpan SpanOf(PixelBitmap& picture) {
    resampling::RowSpan span;
    span.width = picture.Width();
    span.height = picture.Height();
    span.origin = picture.ScanLine(0);
    if (span.height > 1) span.stride = picture.ScanLine(1) - span.origin;
    return span;
}

ArgValue TwiceWidth(PixelBitmap& picture) {
    ArgValue value;
    value.i = picture.Width() > INT32_MAX / 2 ? INT32_MAX : 2 * picture.Width();
    return value;
}

ArgValue TwiceHeight(PixelBitmap& picture) {
    ArgValue value;
    value.i = picture.Height() > INT32_MAX / 2 ? INT32_MAX : 2 * picture.Height();
    return value;
}

// Stretch DW DH FILTER: the working picture, resized into a new DW x DH
// picture, becomes that picture.
void InvokeStretch(const Pictures& pictures, std::span<const ArgValue> args) {
    if (args[0].i < 0 || args[1].i < 0) throw Error("Destination size must not be negative");
    if (args[2].i < 0 || args[2].i >= int32_t(ResamplingFilters.size()))
        throw Error("Unknown resampling filter");
    const FilterEntry& filter = ResamplingFilters[args[2].i];
    ScratchPicture target(args[0].i, args[1].i);
    Stretch(*pictures.picture, *target, filter.Kernel, filter.Support);
    pictures.picture->Assign(target.get());
}

resampling::PassPrecision PrecisionFor(const resampling::ContributorLists& lists) {
    return lists.fastSafe ? resampling::PassPrecision::Fast : resampling::PassPrecision::Exact;
}

} // namespace

const std::array<FilterEntry, 7> ResamplingFilters = {{
    {"Box", &BoxKernel, 0.5f},
    {"Triangle", &TriangleKernel, 1.0f},
    {"Hermite", &HermiteKernel, 1.0f},
    {"Bell", &BellKernel, 1.5f},
    {"B-Spline", &BSplineKernel, 2.0f},
    {"Lanczos3", &Lanczos3Kernel, 3.0f},
    {"Mitchell", &MitchellKernel, 2.0f},
}};

int32_t ResamplingFilterIndex(std::string_view text) {
    if (text.size() == 1 && text[0] >= '0' && text[0] < '0' + int(ResamplingFilters.size()))
        return text[0] - '0';
    for (size_t row = 0; row < ResamplingFilters.size(); ++row) {
        const std::string_view name = ResamplingFilters[row].Name;
        if (name.size() != text.size()) continue;
        bool same = true;
        for (size_t k = 0; k < name.size() && same; ++k)
            same = std::tolower(static_cast<unsigned char>(name[k])) ==
                   std::tolower(static_cast<unsigned char>(text[k]));
        if (same) return static_cast<int32_t>(row);
    }
    return -1;
}

namespace resampling {

float AxisScale(int32_t destLength, int32_t sourceLength) {
    if (sourceLength == 1 || destLength == 1) return Store(Extended(destLength) / sourceLength);
    return Store(Extended(destLength - 1) / (sourceLength - 1));
}

ContributorLists BuildContributors(int32_t destLength, int32_t sourceLength, float scale,
                                   ResamplingKernel kernel, float support) {
    const bool shrinking = scale < 1.0f;
    // Shrinking widens the kernel by 1 / scale so every source sample counts.
    const float reach = shrinking ? Store(Extended(support) / scale) : support;
    const float fscale = shrinking ? Store(1.0L / scale) : 1.0f;

    // Appends the list of destination position i to `lists`.
    const auto appendList = [&](ContributorLists& lists, int32_t i) {
        bool exactSums = true;
        Extended magnitudes = 0.0L;
        const float centre = Store(Extended(i) / scale);
        const int32_t left = Floor(Extended(centre) - reach);
        const int32_t right = Ceil(Extended(centre) + reach);
        for (int64_t j = left; j <= right; ++j) {
            const float weight =
                shrinking ? Store(kernel(Store((centre - Extended(j)) / fscale)) / Extended(fscale))
                          : kernel(Store(centre - Extended(j)));
            if (weight == 0.0f) continue;
            lists.pixel.push_back(ReflectIndex(j, sourceLength));
            lists.weight.push_back(weight);
            if (!WeightFitsFastSums(weight)) lists.fastSafe = false;
            if (std::fabs(weight) < kSmallestExactSumWeight) exactSums = false;
            magnitudes += std::fabs(weight);
        }
        lists.first.push_back(static_cast<int32_t>(lists.pixel.size()));
        lists.exactSums.push_back(exactSums && 255.0L * magnitudes < 1024.0L ? 1 : 0);
    };

    // The table's kernels are pure functions, so bands of positions can be
    // listed on separate threads (each evaluation is the same wherever it
    // runs) and joined in order; a caller's own kernel is called on this
    // thread only, in order.
    bool tableKernel = false;
    for (const FilterEntry& entry : ResamplingFilters) tableKernel |= entry.Kernel == kernel;
    const std::vector<int32_t> edges =
        tableKernel ? BandEdges(destLength, 256) : std::vector<int32_t>{0, destLength};
    std::vector<ContributorLists> parts(edges.size() - 1);
    ParallelTasks(static_cast<int32_t>(parts.size()), [&](int32_t band) {
        parts[band].first.push_back(0);
        for (int32_t i = edges[band]; i < edges[band + 1]; ++i) appendList(parts[band], i);
    });

    ContributorLists lists;
    lists.first.reserve(static_cast<size_t>(destLength) + 1);
    lists.first.push_back(0);
    lists.exactSums.reserve(static_cast<size_t>(destLength));
    for (const ContributorLists& part : parts) {
        const auto base = static_cast<int32_t>(lists.pixel.size());
        for (size_t k = 1; k < part.first.size(); ++k) lists.first.push_back(base + part.first[k]);
        lists.pixel.insert(lists.pixel.end(), part.pixel.begin(), part.pixel.end());
        lists.weight.insert(lists.weight.end(), part.weight.begin(), part.weight.end());
        lists.exactSums.insert(lists.exactSums.end(), part.exactSums.begin(),
                               part.exactSums.end());
        lists.fastSafe = lists.fastSafe && part.fastSafe;
    }
    return lists;
}

} // namespace resampling

void Stretch(PixelBitmap& source, PixelBitmap& destination, ResamplingKernel kernel,
             float support) {
    const int32_t sourceWidth = source.Width();
    const int32_t sourceHeight = source.Height();
    if (sourceWidth < 1 || sourceHeight < 1) throw Error("Source bitmap too small");
    EnsureBits24(source);
    EnsureBits24(destination);
    const int32_t destWidth = destination.Width();
    const int32_t destHeight = destination.Height();
    if (destWidth < 1 || destHeight < 1) return;
    support = UsableSupport(support);

    ScratchPicture intermediate(destWidth, sourceHeight);
    intermediate->SetLayout(BitmapLayout::Bits24);
    {
        const resampling::ContributorLists columns = resampling::BuildContributors(
            destWidth, sourceWidth, resampling::AxisScale(destWidth, sourceWidth), kernel, support);
        resampling::HorizontalPass(columns, SpanOf(source), SpanOf(*intermediate),
                                   PrecisionFor(columns));
    }
    const resampling::ContributorLists rows = resampling::BuildContributors(
        destHeight, sourceHeight, resampling::AxisScale(destHeight, sourceHeight), kernel, support);
    resampling::VerticalPass(rows, SpanOf(*intermediate), SpanOf(destination), PrecisionFor(rows));
}

std::vector<Operation> ResamplingOperations() {
    return {
        {"Stretch",
         {{"DW", ParamKind::Int, "2W", &TwiceWidth},
          {"DH", ParamKind::Int, "2H", &TwiceHeight},
          {"FILTER", ParamKind::Filter, "Lanczos3"}},
         Wiring::IntoNewPicture,
         &InvokeStretch},
    };
}

} // namespace gleamkit::fx
