// The library's one exception type. It carries the system's own message text
// ("Source bitmap too small", ...) so a last-chance handler can show it as is.
#pragma once

#include <stdexcept>
#include <string>

namespace gleamkit {

class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

} // namespace gleamkit
