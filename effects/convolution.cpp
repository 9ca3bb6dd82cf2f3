// 3x3 convolution: Convolve, ConvolveE, ConvolveI, ConvolveM. All three border
// methods share one byte loop; they differ only in which rows feed it. The
// picture is rewritten in place, so the loop reads from small rolling copies of
// the original rows, never from rows already written; bands of rows run on
// separate threads, each with copies of the original rows around it.
#include "effects/convolution.h"

#include <cstring>
#include <type_traits>
#include <vector>

#include "base/error.h"
#include "effects/effect_common.h"
#include "effects/families.h"
#include "effects/parallel.h"

namespace gleamkit::fx {

namespace {

constexpr const char* kZeroDivisor = "Convolution divisor must not be 0";

constexpr std::array<BuiltInKernel, 9> kBuiltInKernels = {{
    {{-1, -1, -1, -1, 8, -1, -1, -1, -1}, 1},
    {{-1, -1, -1, -1, 9, -1, -1, -1, -1}, 1},
    {{1, 1, 1, 1, -2, 1, -1, -1, -1}, 1},
    {{-1, -1, -1, -1, 16, -1, -1, -1, -1}, 8},
    {{0, -1, 0, -1, 5, -1, 0, -1, 0}, 1},
    {{1, 0, 1, 0, 0, 0, 1, 0, -2}, 1},
    {{2, 2, 2, 2, 0, 2, 2, 2, 2}, 16},
    {{3, 3, 3, 3, 8, 3, 3, 3, 3}, 32},
    {{0, 1, 0, 1, 2, 1, 0, 1, 0}, 6},
}};

// The output byte of a weighted sum: the sum divided by the divisor,
// truncating toward zero, then clamped to 0...255. A sum of 0 or less always
// gives 0, so only positive sums are divided, and for those truncation is
// floor. Floor division by d is a multiply by a rounded-up reciprocal and a
// shift, exact for every n < 2^N: with l = ceil(log2 d) and
// m = floor(2^(N+l) / d) + 1, 2^(N+l) <= m x d <= 2^(N+l) + 2^l, which makes
// floor(n x m / 2^(N+l)) equal floor(n / d).

// Wide sums (32-bit): only 0 < sum < 256 x d < 2^24 needs the division, so
// N = 24 and the product fits 64 bits.
class WideSumToByte {
public:
    explicit WideSumToByte(uint16_t divisor) : m_limit(256 * static_cast<int32_t>(divisor)) {
        int32_t bits = 0;
        while ((1u << bits) < divisor) ++bits;
        m_shift = 24 + bits;
        m_multiplier = (uint64_t{1} << m_shift) / divisor + 1;
    }

    uint8_t operator()(int32_t sum) const {
        if (sum <= 0) return 0;
        if (sum >= m_limit) return 255;
        return static_cast<uint8_t>((static_cast<uint64_t>(sum) * m_multiplier) >> m_shift);
    }

private:
    int32_t m_limit;
    int32_t m_shift = 0;
    uint64_t m_multiplier = 0;
};

// Narrow sums (16-bit, see KernelFitsNarrowSums): n < 2^15, so N = 15 and the
// multiplier fits 16 bits (m < 2^16 for every d >= 2); the division is the high
// half of a 16 x 16-bit product shifted by l - 1, which vectorises well.
class NarrowSumToByte {
public:
    explicit NarrowSumToByte(uint16_t divisor) {
        int32_t bits = 0;
        while ((1u << bits) < divisor) ++bits;
        m_shift = bits - 1;
        m_multiplier = static_cast<uint16_t>((uint64_t{1} << (15 + bits)) / divisor + 1);
    }

    uint8_t operator()(int16_t sum) const {
        // The quotient is formed for every sum and dropped for sums of 0 or
        // less; choosing after the multiply keeps the loop vectorisable.
        const uint16_t n = static_cast<uint16_t>(sum);
        const uint16_t high =
            static_cast<uint16_t>((static_cast<uint32_t>(n) * m_multiplier) >> 16);
        const uint16_t quotient = static_cast<uint16_t>(high >> m_shift);
        const uint16_t q = sum > 0 ? quotient : 0;
        return static_cast<uint8_t>(q > 255 ? 255 : q);
    }

private:
    int32_t m_shift = 0;
    uint16_t m_multiplier = 0;
};

// A divisor of 1 (six of the nine built-in kernels) is a plain clamp.
struct SumToByteUndivided {
    template <typename Sum> uint8_t operator()(Sum sum) const {
        return static_cast<uint8_t>(sum > 255 ? 255 : (sum < 0 ? 0 : sum));
    }
};

// When the absolute weights add up to at most 128, every sum lies within
// +-128 x 255 = +-32640, so 16-bit arithmetic gives exactly the 32-bit sum
// (and the compiler works on twice as many bytes per instruction). All the
// built-in kernels qualify.
bool KernelFitsNarrowSums(const ConvolutionKernel& kernel) {
    int64_t total = 0;
    for (int32_t weight : kernel) total += weight < 0 ? -int64_t{weight} : int64_t{weight};
    return total <= 128;
}

// Applies the kernel along one output row. Each input pointer addresses the
// left neighbour of the first output pixel in its row (above, same, below);
// output byte i is the channel at byte i, so a pixel's left and right
// neighbours sit 3 bytes before and after it. Sums are formed in two's-
// complement arithmetic of the width of Sum (unsigned here, so that extreme
// caller-supplied weights wrap instead of overflowing); the order of the nine
// terms does not change a wrapped sum.
template <typename Sum, typename Divide>
void ConvolveBytes(const uint8_t* __restrict above, const uint8_t* __restrict same,
                   const uint8_t* __restrict below, uint8_t* __restrict out, size_t count,
                   const ConvolutionKernel& kernel, Divide divide) {
    using Unsigned = std::make_unsigned_t<Sum>;
    const Unsigned k0 = static_cast<Unsigned>(kernel[0]), k1 = static_cast<Unsigned>(kernel[1]),
                   k2 = static_cast<Unsigned>(kernel[2]), k3 = static_cast<Unsigned>(kernel[3]),
                   k4 = static_cast<Unsigned>(kernel[4]), k5 = static_cast<Unsigned>(kernel[5]),
                   k6 = static_cast<Unsigned>(kernel[6]), k7 = static_cast<Unsigned>(kernel[7]),
                   k8 = static_cast<Unsigned>(kernel[8]);
    for (size_t i = 0; i < count; ++i) {
        const Unsigned sum = static_cast<Unsigned>(
            static_cast<Unsigned>(k0 * above[i]) + static_cast<Unsigned>(k1 * above[i + 3]) +
            static_cast<Unsigned>(k2 * above[i + 6]) + static_cast<Unsigned>(k3 * same[i]) +
            static_cast<Unsigned>(k4 * same[i + 3]) + static_cast<Unsigned>(k5 * same[i + 6]) +
            static_cast<Unsigned>(k6 * below[i]) + static_cast<Unsigned>(k7 * below[i + 3]) +
            static_cast<Unsigned>(k8 * below[i + 6]));
        out[i] = divide(static_cast<Sum>(sum));
    }
}

// Convolves output rows with the arithmetic width and division chosen once
// per call.
class RowConvolver {
public:
    RowConvolver(const ConvolutionKernel& kernel, uint16_t divisor)
        : m_kernel(kernel), m_divisor(divisor), m_narrow(KernelFitsNarrowSums(kernel)),
          m_narrowDivide(divisor), m_wideDivide(divisor) {}

    void operator()(const uint8_t* above, const uint8_t* same, const uint8_t* below, uint8_t* out,
                    size_t count) const {
        if (m_narrow && m_divisor == 1)
            ConvolveBytes<int16_t>(above, same, below, out, count, m_kernel, SumToByteUndivided{});
        else if (m_narrow)
            ConvolveBytes<int16_t>(above, same, below, out, count, m_kernel, m_narrowDivide);
        else if (m_divisor == 1)
            ConvolveBytes<int32_t>(above, same, below, out, count, m_kernel, SumToByteUndivided{});
        else
            ConvolveBytes<int32_t>(above, same, below, out, count, m_kernel, m_wideDivide);
    }

private:
    ConvolutionKernel m_kernel;
    uint16_t m_divisor;
    bool m_narrow;
    NarrowSumToByte m_narrowDivide;
    WideSumToByte m_wideDivide;
};

// One row of the picture surrounded by its frame pixels: (width + 2) pixels,
// the left frame pixel first.
void FillFramedRow(uint8_t* framed, const uint8_t* rowPixels, size_t rowBytes, const uint8_t* left,
                   const uint8_t* right) {
    std::memcpy(framed, left, 3);
    std::memcpy(framed + 3, rowPixels, rowBytes);
    std::memcpy(framed + 3 + rowBytes, right, 3);
}

// Rows first .. end - 1 of a picture rewritten in place, cut into bands that
// run on separate threads. Each band reads the original row just above it
// and the one just below it, which its neighbours rewrite; both are copied
// for every band before any band starts.
class BandRows {
public:
    BandRows(PixelBitmap& picture, int32_t first, int32_t end)
        : m_first(first), m_rowBytes(3 * static_cast<size_t>(picture.Width())) {
        constexpr int32_t kPixelsPerBand = 16384;
        m_edges = BandEdges(end - first, kPixelsPerBand / Max(picture.Width(), 1) + 1);
        m_saved.resize(2 * static_cast<size_t>(Count()) * m_rowBytes);
        for (int32_t band = 0; band < Count(); ++band) {
            if (Top(band) > 0)
                std::memcpy(Above(band), picture.ScanLine(Top(band) - 1), m_rowBytes);
            if (Bottom(band) < picture.Height())
                std::memcpy(Below(band), picture.ScanLine(Bottom(band)), m_rowBytes);
        }
    }

    int32_t Count() const { return static_cast<int32_t>(m_edges.size()) - 1; }
    int32_t Top(int32_t band) const { return m_first + m_edges[band]; }
    int32_t Bottom(int32_t band) const { return m_first + m_edges[band + 1]; }
    // The original rows Top - 1 and Bottom (when the picture has them).
    uint8_t* Above(int32_t band) { return m_saved.data() + 2 * band * m_rowBytes; }
    uint8_t* Below(int32_t band) { return Above(band) + m_rowBytes; }
    const uint8_t* Above(int32_t band) const { return m_saved.data() + 2 * band * m_rowBytes; }
    const uint8_t* Below(int32_t band) const { return Above(band) + m_rowBytes; }

private:
    int32_t m_first;
    size_t m_rowBytes;
    std::vector<int32_t> m_edges;
    std::vector<uint8_t> m_saved;
};

// ConvolveE and ConvolveI: the picture seen through a frame one pixel wide.
// The frame's corners repeat the picture's nearest corner pixel for both
// methods; its sides wrap around (Wrap) or repeat the edge (Replicate).
void ConvolveFramed(const ConvolutionKernel& kernel, uint16_t divisor, PixelBitmap& picture,
                    ConvolutionBorder border) {
    if (divisor == 0) throw Error(kZeroDivisor);
    EnsureBits24(picture);
    if (picture.Width() <= 0 || picture.Height() <= 0) return;
    if (picture.Layout() != BitmapLayout::Bits24) return;

    const int32_t height = picture.Height();
    const size_t rowBytes = 3 * static_cast<size_t>(picture.Width());
    const size_t framedBytes = rowBytes + 6;
    const bool wrap = border == ConvolutionBorder::Wrap;

    // The original top and bottom rows: the wrapping frame below the bottom
    // row and above the top one needs them after they have been rewritten.
    std::vector<uint8_t> ends(2 * rowBytes);
    uint8_t* firstRow = ends.data();
    uint8_t* lastRow = ends.data() + rowBytes;
    std::memcpy(firstRow, picture.ScanLine(0), rowBytes);
    std::memcpy(lastRow, picture.ScanLine(height - 1), rowBytes);
    const size_t lastPixel = rowBytes - 3;
    const auto fillInterior = [&](uint8_t* target, const uint8_t* row) {
        if (wrap)
            FillFramedRow(target, row, rowBytes, row + lastPixel, row);
        else
            FillFramedRow(target, row, rowBytes, row, row + lastPixel);
    };

    const RowConvolver convolveRow(kernel, divisor);
    const BandRows bands(picture, 0, height);
    const std::vector<uint8_t*> rows = RowTable(picture);
    ParallelTasks(bands.Count(), [&](int32_t band) {
        const int32_t top = bands.Top(band);
        const int32_t bottom = bands.Bottom(band);
        // Three framed rows rolling down the band.
        std::vector<uint8_t> storage(3 * framedBytes);
        uint8_t* framed[3] = {storage.data(), storage.data() + framedBytes,
                              storage.data() + 2 * framedBytes};
        if (top == 0) {
            // The frame above row 0: corners from the top row, the side from
            // the bottom row (Wrap) or the top row itself (Replicate).
            FillFramedRow(framed[0], wrap ? lastRow : firstRow, rowBytes, firstRow,
                          firstRow + lastPixel);
        } else {
            fillInterior(framed[0], bands.Above(band));
        }
        fillInterior(framed[1], rows[top]);
        for (int32_t y = top; y < bottom; ++y) {
            if (y + 1 < bottom) {
                fillInterior(framed[2], rows[y + 1]);
            } else if (y + 1 < height) {
                fillInterior(framed[2], bands.Below(band));
            } else {
                // The frame below the last row.
                FillFramedRow(framed[2], wrap ? firstRow : lastRow, rowBytes, lastRow,
                              lastRow + lastPixel);
            }
            convolveRow(framed[0], framed[1], framed[2], rows[y], rowBytes);
            uint8_t* oldest = framed[0];
            framed[0] = framed[1];
            framed[1] = framed[2];
            framed[2] = oldest;
        }
    });
}

} // namespace

const std::array<BuiltInKernel, 9>& BuiltInKernels() {
    return kBuiltInKernels;
}

void Convolve(PixelBitmap& picture, int32_t kernelIndex, int32_t method) {
    // Negative indexes, seen as unsigned numbers, are large and so rejected too.
    if (static_cast<uint32_t>(kernelIndex) > 8) return;
    const BuiltInKernel& entry = kBuiltInKernels[static_cast<size_t>(kernelIndex)];
    // Every method reads only copies of the original rows, so it can work on
    // the picture itself rather than on a working copy assigned back later.
    switch (method) {
    case static_cast<int32_t>(ConvolutionBorder::Wrap):
        ConvolveE(entry.kernel, entry.divisor, picture);
        break;
    case static_cast<int32_t>(ConvolutionBorder::Replicate):
        ConvolveI(entry.kernel, entry.divisor, picture);
        break;
    case static_cast<int32_t>(ConvolutionBorder::KeepFrame):
        ConvolveM(entry.kernel, entry.divisor, picture);
        break;
    default:
        break;
    }
}

void ConvolveE(ConvolutionKernel kernel, uint16_t divisor, PixelBitmap& picture) {
    ConvolveFramed(kernel, divisor, picture, ConvolutionBorder::Wrap);
}

void ConvolveI(ConvolutionKernel kernel, uint16_t divisor, PixelBitmap& picture) {
    ConvolveFramed(kernel, divisor, picture, ConvolutionBorder::Replicate);
}

void ConvolveM(ConvolutionKernel kernel, uint16_t divisor, PixelBitmap& picture) {
    if (divisor == 0) throw Error(kZeroDivisor);
    if (picture.Width() < 3 || picture.Height() < 3) return;
    EnsureBits24(picture);
    if (picture.Layout() != BitmapLayout::Bits24) return;

    const int32_t height = picture.Height();
    const size_t rowBytes = 3 * static_cast<size_t>(picture.Width());
    // Rows 1 .. height - 2 are rewritten; the frame keeps its pixels.
    const RowConvolver convolveRow(kernel, divisor);
    const BandRows bands(picture, 1, height - 1);
    const std::vector<uint8_t*> pictureRows = RowTable(picture);
    ParallelTasks(bands.Count(), [&](int32_t band) {
        // Copies of the original rows y-1, y and y+1; row y-1 has already been
        // rewritten when row y is computed.
        std::vector<uint8_t> storage(3 * rowBytes);
        uint8_t* rows[3] = {storage.data(), storage.data() + rowBytes,
                            storage.data() + 2 * rowBytes};
        const int32_t top = bands.Top(band);
        const int32_t bottom = bands.Bottom(band);
        std::memcpy(rows[0], bands.Above(band), rowBytes);
        std::memcpy(rows[1], pictureRows[top], rowBytes);
        for (int32_t y = top; y < bottom; ++y) {
            std::memcpy(rows[2], y + 1 < bottom ? pictureRows[y + 1] : bands.Below(band),
                        rowBytes);
            // Columns 1 ... width-2; the first input pixel is column 0.
            convolveRow(rows[0], rows[1], rows[2], pictureRows[y] + 3, rowBytes - 6);
            uint8_t* oldest = rows[0];
            rows[0] = rows[1];
            rows[1] = rows[2];
            rows[2] = oldest;
        }
    });
}

namespace {

// A kernel is nine integer arguments k0 ... k8 followed by the divisor, so any
// kernel can be given; omitted ones default to the built-in kernel the desktop
// program uses with that border method.
ConvolutionKernel KernelArgs(std::span<const ArgValue> args) {
    ConvolutionKernel kernel{};
    for (size_t i = 0; i < kernel.size(); ++i) kernel[i] = args[i].i;
    return kernel;
}

uint16_t DivisorArg(const ArgValue& arg) {
    if (arg.i < 0 || arg.i > 65535) throw Error("Convolution divisor must be 1...65535");
    return static_cast<uint16_t>(arg.i);
}

std::vector<ParamSpec> KernelParams(int32_t kernelIndex) {
    // The names and texts must outlive the table, so they are spelled out.
    static constexpr std::array<std::string_view, 9> kNames = {"k0", "k1", "k2", "k3", "k4",
                                                               "k5", "k6", "k7", "k8"};
    static constexpr std::array<std::array<std::string_view, 9>, 3> kValues = {{
        {"-1", "-1", "-1", "-1", "8", "-1", "-1", "-1", "-1"},
        {"-1", "-1", "-1", "-1", "9", "-1", "-1", "-1", "-1"},
        {"1", "1", "1", "1", "-2", "1", "-1", "-1", "-1"},
    }};
    std::vector<ParamSpec> params;
    for (size_t i = 0; i < kNames.size(); ++i)
        params.push_back({kNames[i], ParamKind::Int, kValues[static_cast<size_t>(kernelIndex)][i]});
    params.push_back({"divisor", ParamKind::Int, "1"});
    return params;
}

} // namespace

std::vector<Operation> ConvolutionOperations() {
    return {
        {"Convolve",
         {{"kernelIndex", ParamKind::Int, "0"}, {"method", ParamKind::Int, "0"}},
         Wiring::OnePicture,
         [](const Pictures& p, std::span<const ArgValue> a) {
             Convolve(*p.picture, a[0].i, a[1].i);
         }},
        {"ConvolveE", KernelParams(0), Wiring::OnePicture,
         [](const Pictures& p, std::span<const ArgValue> a) {
             ConvolveE(KernelArgs(a), DivisorArg(a[9]), *p.picture);
         }},
        {"ConvolveI", KernelParams(1), Wiring::OnePicture,
         [](const Pictures& p, std::span<const ArgValue> a) {
             ConvolveI(KernelArgs(a), DivisorArg(a[9]), *p.picture);
         }},
        {"ConvolveM", KernelParams(2), Wiring::OnePicture,
         [](const Pictures& p, std::span<const ArgValue> a) {
             ConvolveM(KernelArgs(a), DivisorArg(a[9]), *p.picture);
         }},
    };
}

} // namespace gleamkit::fx
