// The one table of operations, joined from the family files in family order,
// and the reading of argument texts shared by gleamfx, the benchmarks and the
// tests. Argument texts come from the command line, so every reader here
// checks range and form and rejects what does not fit.
#include "effects/registry.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

#include "base/error.h"
#include "effects/families.h"

namespace gleamkit::fx {

namespace {

std::vector<Operation> JoinFamilies() {
    std::vector<Operation> all;
    for (auto family : {
             ResamplingOperations,
             NoiseToneOperations,
             BlurMosaicOperations,
             RadialWarpOperations,
             ResizeRotateTileOperations,
             WaveSqueezeOperations,
             MarbleOperations,
             ConvolutionOperations,
             ChannelToneOperations,
             ReliefTraceOperations,
             FlipShadowOperations,
             ShakeRippleOperations,
             CompositionOperations,
             SeamlessTextureOperations,
             ButtonMaskOperations,
         }) {
        std::vector<Operation> rows = family();
        for (Operation& row : rows) all.push_back(std::move(row));
    }
    return all;
}

// Reads a whole text as a decimal integer in [lo, hi]; a leading '+' is
// accepted, nothing else may surround the digits.
bool ParseWhole(std::string_view text, int64_t lo, int64_t hi, int64_t& out) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (text.empty() || text.front() < '0' || text.front() > '9') return false;
    }
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return false;
    if (value < lo || value > hi) return false;
    out = value;
    return true;
}

bool ParseInt(std::string_view text, int32_t& out) {
    int64_t value = 0;
    if (!ParseWhole(text, INT32_MIN, INT32_MAX, value)) return false;
    out = static_cast<int32_t>(value);
    return true;
}

// Decimal only: strtold would also take hexadecimal floats, "inf" and "nan",
// which are no arguments an operation is made for.
bool ParseFloat(std::string_view text, long double& out) {
    if (text.empty()) return false;
    bool digit = false;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (c != '+' && c != '-' && c != '.' && c != 'e' && c != 'E') {
            return false;
        }
    }
    if (!digit) return false;
    const std::string copy(text);
    char* end = nullptr;
    errno = 0;
    const long double value = std::strtold(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size() || errno == ERANGE || !std::isfinite(value)) return false;
    out = value;
    return true;
}

bool ParseColor(std::string_view text, int32_t& out) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        const std::string_view digits = text.substr(2);
        if (digits.size() > 8) return false;
        uint32_t value = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
        if (error != std::errc() || end != digits.data() + digits.size()) return false;
        out = static_cast<int32_t>(value);
        return true;
    }
    int64_t value = 0;
    if (!ParseWhole(text, INT32_MIN, UINT32_MAX, value)) return false;
    out = static_cast<int32_t>(static_cast<uint32_t>(value));
    return true;
}

bool ParseRect(std::string_view text, Rect& out) {
    int32_t values[4] = {};
    int count = 0;
    size_t position = 0;
    while (position < text.size()) {
        const char c = text[position];
        if (c == ' ' || c == '\t' || c == ',') {
            ++position;
            continue;
        }
        size_t end = position;
        while (end < text.size() && text[end] != ' ' && text[end] != '\t' && text[end] != ',')
            ++end;
        if (count == 4 || !ParseInt(text.substr(position, end - position), values[count]))
            return false;
        ++count;
        position = end;
    }
    if (count != 4) return false;
    out = MakeRect(values[0], values[1], values[2], values[3]);
    return true;
}

} // namespace

std::span<const Operation> Operations() {
    static const std::vector<Operation> all = JoinFamilies();
    return all;
}

const Operation* FindOperation(std::string_view name) {
    for (const Operation& operation : Operations())
        if (operation.name == name) return &operation;
    return nullptr;
}

bool ParseArg(ParamKind kind, std::string_view text, ArgValue& out) {
    switch (kind) {
    case ParamKind::Int:
        return ParseInt(text, out.i);
    case ParamKind::Float:
        return ParseFloat(text, out.f);
    case ParamKind::Color:
        return ParseColor(text, out.i);
    case ParamKind::Rect:
        return ParseRect(text, out.rect);
    case ParamKind::Filter: {
        const int32_t row = ResamplingFilterIndex(text);
        if (row < 0) return false;
        out.i = row;
        return true;
    }
    }
    return false;
}

uint8_t ByteArg(const ArgValue& arg, const char* name) {
    if (arg.i < 0 || arg.i > 255) throw Error(std::string(name) + " must be 0...255");
    return static_cast<uint8_t>(arg.i);
}

bool ProgramArgs(const Operation& operation, bitmap::PixelBitmap& picture,
                 std::vector<ArgValue>& out) {
    out.clear();
    for (const ParamSpec& param : operation.params) {
        ArgValue value;
        if (param.derive != nullptr) {
            value = param.derive(picture);
        } else if (!ParseArg(param.kind, param.programValue, value)) {
            return false;
        }
        out.push_back(value);
    }
    return true;
}

bool NeedsSecondPicture(Wiring wiring) {
    return wiring == Wiring::CopySecondPicture || wiring == Wiring::SecondCopyPicture;
}

WiredRun::WiredRun(const Operation& operation, bitmap::PixelBitmap& picture,
                   bitmap::PixelBitmap* second)
    : m_operation(operation) {
    m_pictures.picture = &picture;
    m_pictures.second = second;
    const bool needsCopy =
        operation.wiring == Wiring::SourceToPicture || NeedsSecondPicture(operation.wiring);
    if (needsCopy) {
        m_pictures.copy = bitmap::NewPixelBitmap(0, 0);
        m_pictures.copy->Assign(&picture);
    }
}

WiredRun::~WiredRun() {
    Free(m_pictures.copy);
}

void WiredRun::Invoke(std::span<const ArgValue> args) const {
    m_operation.invoke(m_pictures, args);
}

} // namespace gleamkit::fx
