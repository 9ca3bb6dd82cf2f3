// Internals of Stretch shared by resampling.cpp, resampling_passes.cpp and the
// tests: the precomputed contributor lists and the two filter passes.
//
// Each pass has an exact scalar form (extended-precision sums rounded to a
// 32-bit float after every addition, as the algorithm states) and a fast SSE2
// form that sums in double precision and proves, value by value, that it lands
// on the same float; a row where it cannot is redone in the exact form.
#pragma once

#include "effects/resampling.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace gleamkit::fx::resampling {

// One list of (source index, weight) per destination column or row, stored
// flat: list i holds the entries first[i] .. first[i + 1] - 1.
struct ContributorLists {
    std::vector<int32_t> first;
    std::vector<int32_t> pixel;
    std::vector<float> weight;
    // True when every weight is large enough (|w| >= 2^-60) for the double
    // precision sums to stay clear of the float's denormal range.
    bool fastSafe = true;
    // Per list: 1 when its double sums are exact for any bytes, so they need
    // no check (every weight is 0 or at least 2^-20 in magnitude, and 255
    // times the sum of magnitudes stays below 2^10: each term and partial sum
    // is then a multiple of 2^-43 below 2^10, which 53 bits hold).
    std::vector<uint8_t> exactSums;

    int32_t Count() const { return static_cast<int32_t>(first.size()) - 1; }
    // True when list i is known to have exact sums (lists built by hand
    // without the flags have none).
    bool ExactSums(int32_t i) const {
        return static_cast<size_t>(i) < exactSums.size() && exactSums[i] != 0;
    }
};

// The scale of one axis, stored as a 32-bit float: (dest - 1) / (source - 1),
// or dest / source when either length is 1. Requires source >= 1, dest >= 1.
float AxisScale(int32_t destLength, int32_t sourceLength);

// Builds the lists of destination positions 0 .. destLength - 1 for a source
// of `sourceLength` samples at scale `scale` (> 0). Weights exactly 0 are left
// out; indices are reflected once at the edges and then clamped into the source.
ContributorLists BuildContributors(int32_t destLength, int32_t sourceLength, float scale,
                                   ResamplingKernel kernel, float support);

// Exact: extended-precision sums. Fast: checked double sums with the widest
// vector unit available. FastBaseline: the same with SSE2 only (for machines
// without AVX2, and to test both forms on machines with it).
enum class PassPrecision : uint8_t { Exact, Fast, FastBaseline };

// A run of 24-bit rows: row y starts at origin + y * stride (the stride may be
// negative for bottom-up pictures).
struct RowSpan {
    uint8_t* origin = nullptr;
    std::ptrdiff_t stride = 0;
    int32_t width = 0;
    int32_t height = 0;

    uint8_t* Row(int32_t y) const { return origin + y * stride; }
};

// Horizontal pass: target row y, column i = the filtered source row y along
// lists[i]. target.width == lists.Count(), target.height == source.height.
void HorizontalPass(const ContributorLists& lists, const RowSpan& source, const RowSpan& target,
                    PassPrecision precision);

// Vertical pass: target (x, i) = the filtered source column x along lists[i].
// target.width == source.width, target.height == lists.Count().
void VerticalPass(const ContributorLists& lists, const RowSpan& source, const RowSpan& target,
                  PassPrecision precision);

// The source row as doubles, four per pixel (blue, green, red, 0), with AVX2.
void WidenRowAvx2(const uint8_t* source, int32_t width, double* quads);

// The AVX2 form of one block of the vertical pass: channel values c .. c + 7
// of a destination row from the source rows of its list, with checked double
// sums. False (nothing written) when a sum must be redone at extended
// precision. Call only when ProcessorHasAvx2().
bool VerticalBlockAvx2(const uint8_t* const* rows, const float* weights, int32_t entries, int32_t c,
                       uint8_t* target);
// Channel values 0 .. values - 1 of a destination row whose list has exact
// sums (exactSums), in blocks of eight with nothing to check; answers where
// the blocks stop (the last few values are left to the caller).
int32_t VerticalRowExactSumsAvx2(const uint8_t* const* rows, const float* weights, int32_t entries,
                                 int32_t values, uint8_t* target);

// The AVX2 form of one destination pixel i of the horizontal pass for two
// rows at once, each row widened to four doubles per pixel (blue, green, red,
// 0). Bit r of the answer (0 upper, 1 lower) is set when that row's pixel must
// be redone at extended precision; it is then not written. Call only when
// ProcessorHasAvx2().
int HorizontalPixelPairAvx2(const ContributorLists& lists, int32_t i, const double* upper,
                            const double* lower, uint8_t* upperTarget, uint8_t* lowerTarget);
// Destination pixels begin .. end - 1 of two rows, for lists whose sums are
// exact: nothing to check or redo.
void HorizontalRunExactSumsAvx2(const ContributorLists& lists, int32_t begin, int32_t end,
                                const double* upper, const double* lower, uint8_t* upperTarget,
                                uint8_t* lowerTarget);

} // namespace gleamkit::fx::resampling
