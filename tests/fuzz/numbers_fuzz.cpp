// Numbers written as settings text and read back. The first bytes of the input, taken as
// the bits of a float, a double, an int32 and an int64 (NaN, infinities and denormals
// included), must read back as numtext's contract promises; the whole input as text must
// read as the C library's strtod reads the same number.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzzcheck.h"
#include "settings/numtext.h"
#include "settings/textnum.h"

namespace tremolex {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// textnum's rules on top of strtod: blanks, tabs and line feeds dropped, the leading
// number taken, "D" as exponent letter, no hexadecimal, infinity or NaN words.
double referenceNumber(std::string_view text) {
    std::string packed;
    for (const char c : text) {
        if (c != ' ' && c != '\t' && c != '\n') {
            packed += c;
        }
    }
    std::size_t at = 0;
    std::string number;
    if (at < packed.size() && (packed[at] == '+' || packed[at] == '-')) {
        number += packed[at++];
    }
    bool anyDigit = false;
    for (; at < packed.size() && isDigit(packed[at]); ++at) {
        number += packed[at];
        anyDigit = true;
    }
    if (at < packed.size() && packed[at] == '.') {
        number += packed[at++];
        for (; at < packed.size() && isDigit(packed[at]); ++at) {
            number += packed[at];
            anyDigit = true;
        }
    }
    if (!anyDigit) {
        return 0.0;
    }
    if (at < packed.size() && std::strchr("eEdD", packed[at]) != nullptr && packed[at] != '\0') {
        std::size_t digits = at + 1;
        if (digits < packed.size() && (packed[digits] == '+' || packed[digits] == '-')) {
            ++digits;
        }
        if (digits < packed.size() && isDigit(packed[digits])) {
            number += 'e';
            number += packed.substr(at + 1, digits - at - 1);
            for (; digits < packed.size() && isDigit(packed[digits]); ++digits) {
                number += packed[digits];
            }
        }
    }
    return std::strtod(number.c_str(), nullptr);
}

// The value read back from `digits` significant digits of `value`, correctly rounded.
template <typename Float>
Float fromDigits(Float value, int digits) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*e", digits - 1, static_cast<double>(value));
    return static_cast<Float>(std::strtod(text, nullptr));
}

// Shortest text of at most `maxDigits` digits that reads back as the value, otherwise
// the value rounded to `maxDigits` digits.
template <typename Float>
void checkWrittenAndRead(Float value, int maxDigits) {
    const std::string text = numtext(value);
    FUZZ_CHECK(!text.empty() && text.find_first_not_of("0123456789.-E+") == std::string::npos);
    FUZZ_CHECK(text.front() != '+' && text.find("0.") != 0 && text.find("-0.") != 0);
    if (text.find('.') != std::string::npos && text.find('E') == std::string::npos) {
        FUZZ_CHECK(text.back() != '0');
    }
    const double back = textnum(text);
    if (std::isnan(value)) {
        FUZZ_CHECK(text == "0");
        return;
    }
    Float expected = value;
    if (std::isfinite(value)) {
        int digits = 1;
        while (digits <= maxDigits && fromDigits(value, digits) != value) {
            ++digits;
        }
        if (digits > maxDigits) {
            expected = fromDigits(value, maxDigits);
        }
    }
    FUZZ_CHECK(static_cast<Float>(back) == expected);
}

template <typename T>
T fromBytes(const std::uint8_t* data, std::size_t size) {
    unsigned char bytes[sizeof(T)] = {};
    std::memcpy(bytes, data, size < sizeof(T) ? size : sizeof(T));
    T value;
    std::memcpy(&value, bytes, sizeof(T));
    return value;
}

}  // namespace
}  // namespace tremolex

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tremolex;
    checkWrittenAndRead(fromBytes<float>(data, size), 7);
    checkWrittenAndRead(fromBytes<double>(data, size), 15);
    const auto int32 = fromBytes<std::int32_t>(data, size);
    FUZZ_CHECK(textnum(numtext(int32)) == static_cast<double>(int32));
    const auto int64 = fromBytes<std::int64_t>(data, size);
    FUZZ_CHECK(textnum(numtext(int64)) == static_cast<double>(int64));

    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const double number = textnum(text);
    const double expected = referenceNumber(text);
    FUZZ_CHECK(number == expected && std::signbit(number) == std::signbit(expected));
    checkWrittenAndRead(number, 15);
    return 0;
}
