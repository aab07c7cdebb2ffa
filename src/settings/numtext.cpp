#include "settings/numtext.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace tremolex {

namespace {

// The decimal digits (no trailing zeros) and the power of ten of the first digit.
struct Decimal {
    std::string digits;
    int exponent = 0;
};

template <typename Float>
Decimal shortestDecimal(Float value, int maxDigits) {
    char buffer[64];
    std::to_chars_result result{};
    for (int digits = 1; digits <= maxDigits; ++digits) {
        result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific,
                               digits - 1);
        // Read back the way textnum() reads: to double, then to the value's precision.
        double back = 0;
        std::from_chars(buffer, result.ptr, back, std::chars_format::scientific);
        if (static_cast<Float>(back) == value) {
            break;
        }
    }
    // buffer holds d[.ddd]e±xx
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const std::size_t e = text.find('e');
    Decimal decimal;
    for (const char c : text.substr(0, e)) {
        if (c != '.') {
            decimal.digits += c;
        }
    }
    while (decimal.digits.size() > 1 && decimal.digits.back() == '0') {
        decimal.digits.pop_back();
    }
    decimal.exponent = std::atoi(std::string(text.substr(e + 1)).c_str());
    return decimal;
}

std::string plainText(const Decimal& d) {
    const int count = static_cast<int>(d.digits.size());
    if (d.exponent >= count - 1) {
        return d.digits + std::string(static_cast<std::size_t>(d.exponent - (count - 1)), '0');
    }
    if (d.exponent >= 0) {
        const auto point = static_cast<std::size_t>(d.exponent + 1);
        return d.digits.substr(0, point) + '.' + d.digits.substr(point);
    }
    return '.' + std::string(static_cast<std::size_t>(-d.exponent - 1), '0') + d.digits;
}

std::string scientificText(const Decimal& d) {
    std::string text = d.digits.substr(0, 1);
    if (d.digits.size() > 1) {
        text += '.' + d.digits.substr(1);
    }
    const int magnitude = std::abs(d.exponent);
    text += d.exponent < 0 ? "E-" : "E+";
    if (magnitude < 10) {
        text += '0';
    }
    return text + std::to_string(magnitude);
}

template <typename Float>
std::string floatText(Float value, int maxDigits) {
    if (std::isnan(value)) {
        return "0";  // textnum never yields NaN; there is no text for it
    }
    if (std::isinf(value)) {
        // The smallest text that reads back as infinite in single and double precision.
        return value < 0 ? "-1E+400" : "1E+400";
    }
    if (value == 0) {
        return "0";
    }
    const Decimal d = shortestDecimal(std::fabs(value), maxDigits);
    const std::string magnitude =
        d.exponent >= -10 && d.exponent < 15 ? plainText(d) : scientificText(d);
    return value < 0 ? '-' + magnitude : magnitude;
}

}  // namespace

std::string numtext(float value) {
    return floatText(value, 7);
}

std::string numtext(double value) {
    return floatText(value, 15);
}

std::string numtext(std::int32_t value) {
    return std::to_string(value);
}

std::string numtext(std::int64_t value) {
    return std::to_string(value);
}

}  // namespace tremolex
