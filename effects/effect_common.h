// Ground rules every effect follows: clamping, the rounding rules, the
// extended-precision sine and cosine, the one program-wide random sequence,
// working copies and the 24-bit row layout. Effects call these; they never
// re-derive them.
//
// Precision: "extended" is long double (x87 80-bit on x86-64). A value an
// algorithm stores in a 32-bit float is rounded with static_cast<float> at that
// point and nowhere else. Every float-to-integer conversion goes through one of
// the checked helpers below: an out-of-range conversion is undefined in C++.
#pragma once

#include <cstdint>
#include <vector>

#include "base/rect.h"
#include "bitmap/pixel_bitmap.h"

namespace gleamkit::fx {

using bitmap::Bgr24;
using bitmap::BitmapLayout;
using bitmap::PixelBitmap;

// 255 above 255, 0 below 0, v otherwise.
constexpr int32_t ClampToByte(int32_t v) {
    return v > 255 ? 255 : (v < 0 ? 0 : v);
}

// hi when v > hi; otherwise lo when v < lo; otherwise v. The upper bound is
// tested first, so a range with lo > hi answers hi for large v.
constexpr int32_t ClampInt(int32_t v, int32_t lo, int32_t hi) {
    return v > hi ? hi : (v < lo ? lo : v);
}

constexpr int32_t Min(int32_t a, int32_t b) {
    return a < b ? a : b;
}
constexpr int32_t Max(int32_t a, int32_t b) {
    return a > b ? a : b;
}

// Nearest integer, halves to even. Outside the 32-bit range the answer
// saturates to INT32_MIN / INT32_MAX; NaN gives 0.
int32_t Round(long double x);
// Toward zero, saturating as Round.
int32_t Trunc(long double x);
// The low 8 bits of Round(x) taken as a 64-bit integer, as a byte store of
// the processor's 64-bit conversion gives them: beyond the 64-bit range, and
// for NaN, that conversion yields 0x8000000000000000, whose low byte is 0.
// Used where a rounded value is stored in a byte unclamped.
uint8_t LowByteOfRound(long double x);
// Trunc, minus 1 when x has a negative fractional part (saturating).
int32_t Floor(long double x);
// Trunc, plus 1 when x has a positive fractional part (saturating).
int32_t Ceil(long double x);

// Sine, cosine and tangent at extended precision. Like the processor's
// instructions, an argument with |x| >= 2^63 (or not finite) gives 0.
long double Sin(long double x);
long double Cos(long double x);
long double Tan(long double x);
// Sin(x) and Cos(x) from one argument reduction: the library's combined call
// gives the same two values as the separate ones at a little more than half
// the cost. Same out-of-range rule.
void SinCos(long double x, long double& sine, long double& cosine);

// The program-wide generator: state = state * 134775813 + 1 (mod 2^32), then
// the high 32 bits of n * state. Random(0) answers 0 but still advances.
uint32_t Random(uint32_t n);
uint32_t RandomState();
void SetRandomState(uint32_t state);

// One step of the generator and the scaling of a draw, shared by Random and
// RandomCursor so both give the same sequence.
constexpr uint32_t NextRandomState(uint32_t state) {
    return state * 134775813u + 1u;
}
constexpr uint32_t ScaleRandom(uint32_t n, uint32_t state) {
    return static_cast<uint32_t>((static_cast<uint64_t>(n) * state) >> 32);
}

// A cursor on the program-wide sequence for hot loops: it takes the state when
// made, draws inline, and hands the state back when destroyed, so its draws
// continue exactly the sequence Random gives. Do not call Random while a
// cursor is alive.
class RandomCursor {
public:
    RandomCursor() : m_state(RandomState()) {}
    ~RandomCursor() { SetRandomState(m_state); }
    RandomCursor(const RandomCursor&) = delete;
    RandomCursor& operator=(const RandomCursor&) = delete;

    uint32_t Next(uint32_t n) {
        m_state = NextRandomState(m_state);
        return ScaleRandom(n, m_state);
    }

    // The states of the next three draws (scale each with ScaleRandom). Each
    // is one multiply-add from the current state, using the generator's
    // constants raised to the second and third power, so loops that draw three
    // times per pixel do not wait on three chained steps.
    struct ThreeStates {
        uint32_t first, second, third;
    };
    ThreeStates NextThreeStates() {
        constexpr uint32_t a = 134775813u;
        const uint32_t s = m_state;
        ThreeStates next{a * s + 1u, a * a * s + (a + 1u), a * a * a * s + (a * a + a + 1u)};
        m_state = next.third;
        return next;
    }

private:
    uint32_t m_state;
};

// True when the processor runs AVX2 code. Defined in a file built for the
// baseline processor, so asking never runs an AVX2 instruction itself.
bool ProcessorHasAvx2();

// Pi at extended precision, the one constant every angle in the library uses.
constexpr long double kPi = 3.141592653589793238462643383279502884L;

// destination Assign source.
inline void CopyBitmap(PixelBitmap& destination, PixelBitmap& source) {
    destination.Assign(&source);
}

// An effect written for 24-bit rows calls this first: a picture of any other
// layout is converted to Bits24 (empty pictures are left alone).
void EnsureBits24(PixelBitmap& picture);

// EnsureBits24, then true when the picture has 24-bit rows to walk (false for
// an empty picture or one the platform could not convert).
bool PrepareRows(PixelBitmap& picture);

// The address of every row of a picture (row 0 first), asked for once on the
// calling thread. Work split across threads reads these instead of asking the
// picture, whose row lookup keeps a cache and so is not safe to call from
// several threads at once.
std::vector<uint8_t*> RowTable(PixelBitmap& picture);

// Owns a temporary picture for the length of a scope and frees it on every
// exit, exceptions included.
class ScratchPicture {
public:
    ScratchPicture(int32_t width, int32_t height)
        : m_picture(bitmap::NewPixelBitmap(width, height)) {}
    ~ScratchPicture() { Free(m_picture); }
    ScratchPicture(const ScratchPicture&) = delete;
    ScratchPicture& operator=(const ScratchPicture&) = delete;

    PixelBitmap& operator*() const { return *m_picture; }
    PixelBitmap* operator->() const { return m_picture; }
    PixelBitmap* get() const { return m_picture; }

private:
    PixelBitmap* m_picture;
};

} // namespace gleamkit::fx
