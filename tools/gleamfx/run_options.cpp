// The seed and clock options of the gleamfx commands that run operations.
#include "tools/gleamfx/run_options.h"

namespace gleamkit::tools {

bool ParseSeed(std::string_view text, uint32_t& seed) {
    int64_t value = 0;
    if (!ParseNumber(text, value) || value < INT32_MIN || value > UINT32_MAX) return false;
    seed = static_cast<uint32_t>(value);
    return true;
}

bool ParseUtcTime(std::string_view text, SYSTEMTIME& time) {
    if (text.size() != 12 || text[2] != ':' || text[5] != ':' || text[8] != '.') return false;
    uint16_t hour = 0, minute = 0, second = 0, millisecond = 0;
    if (!ParseNumber(text.substr(0, 2), hour) || !ParseNumber(text.substr(3, 2), minute) ||
        !ParseNumber(text.substr(6, 2), second) || !ParseNumber(text.substr(9, 3), millisecond))
        return false;
    if (hour > 23 || minute > 59 || second > 59 || millisecond > 999) return false;
    time = SYSTEMTIME{2000, 1, 6, 1, hour, minute, second, millisecond};
    return true;
}

bool ReadRunOption(std::span<const std::string> args, size_t& i, RunOptions& options,
                   std::optional<std::string>& reason) {
    const std::string& word = args[i];
    if (word != "--second" && word != "--seed" && word != "--utc-time") return false;
    if (i + 1 == args.size()) {
        reason = word + " needs a value";
    } else if (word == "--second") {
        options.second = args[++i];
    } else if (word == "--seed") {
        if (!ParseSeed(args[++i], options.seed))
            reason = "--seed '" + args[i] + "' is not a 32-bit value";
    } else {
        SYSTEMTIME time{};
        if (ParseUtcTime(args[++i], time))
            options.utcTime = time;
        else
            reason = "--utc-time '" + args[i] + "' is not HH:MM:SS.mmm";
    }
    return true;
}

FixedClock::FixedClock(const std::optional<SYSTEMTIME>& time) : m_set(time.has_value()) {
    if (m_set) platform::SetFixedSystemTime(&*time);
}

FixedClock::~FixedClock() {
    if (m_set) platform::SetFixedSystemTime(nullptr);
}

} // namespace gleamkit::tools
