#include "serial/countline.h"

namespace tremolex {

std::optional<std::int16_t> parseCountLine(std::string_view line) {
    while (!line.empty() && line.front() == ' ') {
        line.remove_prefix(1);
    }
    while (!line.empty() && line.back() == ' ') {
        line.remove_suffix(1);
    }
    const bool negative = !line.empty() && line.front() == '-';
    const std::string_view digits = negative ? line.substr(1) : line;
    if (digits.empty() || digits.size() > 5) {
        return std::nullopt;
    }
    if (digits.front() == '0' && (digits.size() > 1 || negative)) {
        return std::nullopt;  // "0512", "-0"
    }
    std::int32_t value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    value = negative ? -value : value;
    if (value < -32768 || value > 32767) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(value);
}

}  // namespace tremolex
