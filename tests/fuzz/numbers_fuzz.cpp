// Numbers written as settings text and read back. The first bytes of the input, taken as
// the bits of a float and of a double (NaN, infinities and denormals included), must read
// back as numtext's contract promises; the whole input as text must read as the C
// library's strtod reads the same number.

#include <algorithm>
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

// textnum's rules on top of strtod: blanks, tabs and line feeds dropped, "D" as exponent
// letter, and only what can make up a decimal number kept (no hexadecimal, infinity or
// NaN words); strtod then takes the leading number.
double referenceNumber(std::string_view text) {
    std::string number(text.substr(0, text.find_first_not_of(" \t\n0123456789.+-eEdD")));
    std::erase_if(number, [](char c) { return c == ' ' || c == '\t' || c == '\n'; });
    std::ranges::replace_if(
        number, [](char c) { return c == 'd' || c == 'D'; }, 'e');
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
    FUZZ_CHECK(text.find('.') == text.npos || text.find('E') != text.npos || text.back() != '0');
    int digits = 1;
    while (std::isfinite(value) && digits <= maxDigits && fromDigits(value, digits) != value) {
        ++digits;
    }
    const Float expected = digits > maxDigits ? fromDigits(value, maxDigits) : value;
    // textnum never yields NaN, so it has no text of its own.
    FUZZ_CHECK(std::isnan(value) ? text == "0" : static_cast<Float>(textnum(text)) == expected);
}

}  // namespace
}  // namespace tremolex

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tremolex;
    float single = 0;
    double wide = 0;
    std::memcpy(&single, data, std::min(size, sizeof single));
    std::memcpy(&wide, data, std::min(size, sizeof wide));
    checkWrittenAndRead(single, 7);
    checkWrittenAndRead(wide, 15);

    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const double number = textnum(text);
    const double expected = referenceNumber(text);
    FUZZ_CHECK(number == expected && std::signbit(number) == std::signbit(expected));
    checkWrittenAndRead(number, 15);
    return 0;
}
