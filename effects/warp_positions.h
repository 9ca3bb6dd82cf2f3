// The positions FishEye and Twist sample at, in two forms: the exact one at
// extended precision, value by value as the warps define them, and a fast one
// in double precision that proves, for each value it stores as a float, that
// the extended form stores the same float, and otherwise declines the pixel
// (the warp then takes the exact form). radial_warp.cpp uses both; the tests
// compare them.
#pragma once

#include <cstdint>
#include <vector>

#include "effects/effect_common.h"

namespace gleamkit::fx::warp {

// The quarter turn the angle helper answers and Twist adds, held as a float.
constexpr float kHalfPiFloat = static_cast<float>(kPi / 2.0L);
// The most pixels FastTwistPositions takes at once.
constexpr int32_t kPieceLength = 64;
// The fast forms hold for pictures whose sides are below this: their offsets
// are whole or half numbers whose squares and sums are exact in double.
constexpr int32_t kLargestFastSide = 1 << 22;

// Offsets of every column (or row) from a centre, stored as floats, and their
// squares at extended precision (exact: a float squared fits 64 bits).
struct CentreOffsets {
    CentreOffsets(int32_t count, float centre);
    std::vector<float> offset;
    std::vector<long double> square;
};

// sqrt(dxSquare + dySquare) at extended precision, stored as a float.
float Radius(long double dxSquare, long double dySquare);
// The same float from double arithmetic (offsets from CentreOffsets of
// pictures smaller than kLargestFastSide).
float FastRadius(float dx, float dy);

// FishEye's position for the offset (dx, dy) at radius r: false when the
// pixel lies exactly on the rim or its position leaves the float range, where
// the formula has no answer.
bool FishEyePosition(float dx, float dy, float r, float maxrad, float xmid, float ymid, float& fx,
                     float& fy);
// Twist's position for the offset (dx, dy) with their squares.
void TwistPosition(float dx, float dy, long double dxSquare, long double dySquare, int32_t amount,
                   float cx, float cy, float& fx, float& fy);

// The positions of one row piece from a fast form: settled[i] is false where
// the fast form cannot prove its position equals the exact form's (and at
// the centre, r = 0, which the exact forms answer).
struct WarpPiece {
    float fx[kPieceLength];
    float fy[kPieceLength];
    bool settled[kPieceLength];
};

// FishEye's positions for columns left .. right - 1 (at most kPieceLength) of
// one row at offset dy (maxrad non-zero and finite). `widest` as for
// FastTwistPositions.
void FastFishEyePositions(const CentreOffsets& columns, float dy, int32_t left, int32_t right,
                          float maxrad, float xmid, float ymid, WarpPiece& piece,
                          bool widest = true);

// Twist's positions for columns left .. right - 1 (at most kPieceLength) of
// one row at offset dy. reciprocals[x] = 1 / columns.offset[x] in double (0
// where the offset is 0). Requires amount != 0. `widest` takes four lanes
// with AVX2 where the processor has it; false keeps the two-lane SSE2 form
// (the same values, for machines without AVX2 and to test both).
void FastTwistPositions(const CentreOffsets& columns, const std::vector<double>& reciprocals,
                        float dy, int32_t left, int32_t right, int32_t amount, float cx, float cy,
                        WarpPiece& piece, bool widest = true);

} // namespace gleamkit::fx::warp
