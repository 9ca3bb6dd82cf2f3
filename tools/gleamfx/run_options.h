// Options shared by the gleamfx commands that run operations: the random
// generator's starting state and the fixed clock.
#pragma once

#include <charconv>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/kernel/clock.h"

namespace gleamkit::tools {

// A whole text as a number of type T (nothing may surround the digits).
template <typename T> bool ParseNumber(std::string_view text, T& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

// A seed is the generator's 32-bit state: 0 .. 2^32 - 1, or a negative 32-bit
// value for the same pattern.
bool ParseSeed(std::string_view text, uint32_t& seed);

// HH:MM:SS.mmm on a fixed date (2000-01-01, a Saturday); only the time of day
// matters to what reseeds from the clock.
bool ParseUtcTime(std::string_view text, SYSTEMTIME& time);

// The options every command that runs operations takes.
struct RunOptions {
    std::string second;
    uint32_t seed = 0; // the state at program start
    std::optional<SYSTEMTIME> utcTime;
};

// When args[i] is --second, --seed or --utc-time, reads its value into
// `options`, steps i onto that value and answers true, with `reason` set on a
// usage error. Answers false for any other word.
bool ReadRunOption(std::span<const std::string> args, size_t& i, RunOptions& options,
                   std::optional<std::string>& reason);

// Fixes the clock for the life of the object (when a time is given) and
// clears it on every exit of the command.
class FixedClock {
public:
    explicit FixedClock(const std::optional<SYSTEMTIME>& time);
    ~FixedClock();
    FixedClock(const FixedClock&) = delete;
    FixedClock& operator=(const FixedClock&) = delete;

private:
    bool m_set;
};

} // namespace gleamkit::tools
