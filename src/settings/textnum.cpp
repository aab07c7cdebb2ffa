#include "settings/textnum.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace tremolex {

namespace {

bool isIgnored(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Walks the text without the ignored characters.
class Reader {
public:
    explicit Reader(std::string_view text) : m_text(text) { skip(); }

    char peek() const { return m_pos < m_text.size() ? m_text[m_pos] : '\0'; }
    void advance() {
        ++m_pos;
        skip();
    }
    std::size_t position() const { return m_pos; }
    void rewind(std::size_t pos) { m_pos = pos; }

private:
    void skip() {
        while (m_pos < m_text.size() && isIgnored(m_text[m_pos])) {
            ++m_pos;
        }
    }
    std::string_view m_text;
    std::size_t m_pos = 0;
};

// Saturating, since only its sign and rough size matter once it is large.
constexpr long kExponentLimit = 100'000;

}  // namespace

double textnum(std::string_view text) {
    Reader in(text);
    bool negative = false;
    if (in.peek() == '+' || in.peek() == '-') {
        negative = in.peek() == '-';
        in.advance();
    }

    std::string mantissa;          // digits and point, for from_chars
    int leadingIntegerDigits = 0;  // significant digits before the point
    int zerosAfterPoint = 0;       // zeros between the point and the first significant digit
    bool anyDigit = false;
    bool significant = false;
    while (isDigit(in.peek())) {
        significant = significant || in.peek() != '0';
        leadingIntegerDigits += significant ? 1 : 0;
        mantissa += in.peek();
        anyDigit = true;
        in.advance();
    }
    if (in.peek() == '.') {
        mantissa += '.';
        in.advance();
        while (isDigit(in.peek())) {
            if (!significant && in.peek() == '0') {
                ++zerosAfterPoint;
            }
            significant = significant || in.peek() != '0';
            mantissa += in.peek();
            anyDigit = true;
            in.advance();
        }
    }
    if (!anyDigit) {
        return 0.0;
    }

    long exponent = 0;
    const std::size_t beforeExponent = in.position();
    if (const char e = in.peek(); e == 'e' || e == 'E' || e == 'd' || e == 'D') {
        in.advance();
        bool negativeExponent = false;
        if (in.peek() == '+' || in.peek() == '-') {
            negativeExponent = in.peek() == '-';
            in.advance();
        }
        if (!isDigit(in.peek())) {
            in.rewind(beforeExponent);  // "12e" is 12 followed by text
        }
        while (isDigit(in.peek())) {
            exponent = std::min(kExponentLimit, exponent * 10 + (in.peek() - '0'));
            in.advance();
        }
        exponent = negativeExponent ? -exponent : exponent;
    }

    if (!significant) {
        return negative ? -0.0 : 0.0;
    }
    const std::string number = mantissa + 'e' + std::to_string(exponent);
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        const long magnitude =
            exponent + (leadingIntegerDigits > 0 ? leadingIntegerDigits : -zerosAfterPoint);
        value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
}

double roundHalfEven(double value) {
    // The default floating-point rounding mode is to nearest, ties to even.
    return std::nearbyint(value);
}

}  // namespace tremolex
