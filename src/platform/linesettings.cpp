#include "platform/linesettings.h"

#include <array>
#include <limits>

namespace tremolex {

namespace {

// Strictly digits, no sign, no leading zero: "019200" or "+9600" is more likely a typing
// slip than a speed.
std::optional<std::int64_t> canonicalDecimal(std::string_view text) {
    if (text.empty() || text.size() > 10 || (text[0] == '0' && text.size() > 1)) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<LineSettings::Parity> parseParity(std::string_view text) {
    if (text.size() != 1) {
        return std::nullopt;
    }
    switch (text[0]) {
        case 'n':
        case 'N':
            return LineSettings::Parity::None;
        case 'e':
        case 'E':
            return LineSettings::Parity::Even;
        case 'o':
        case 'O':
            return LineSettings::Parity::Odd;
        case 'm':
        case 'M':
            return LineSettings::Parity::Mark;
        case 's':
        case 'S':
            return LineSettings::Parity::Space;
        default:
            return std::nullopt;
    }
}

std::optional<LineSettings::StopBits> parseStopBits(std::string_view text) {
    if (text == "1") {
        return LineSettings::StopBits::One;
    }
    if (text == "1.5") {
        return LineSettings::StopBits::OneAndHalf;
    }
    if (text == "2") {
        return LineSettings::StopBits::Two;
    }
    return std::nullopt;
}

}  // namespace

std::optional<LineSettings> parseLineSettings(std::string_view text) {
    std::array<std::string_view, 4> fields;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::size_t comma = text.find(',');
        const bool last = i + 1 == fields.size();
        if (last != (comma == std::string_view::npos)) {
            return std::nullopt;  // too few or too many fields
        }
        fields[i] = text.substr(0, comma);
        text.remove_prefix(last ? text.size() : comma + 1);
    }

    const auto baud = canonicalDecimal(fields[0]);
    const auto parity = parseParity(fields[1]);
    const auto dataBits = canonicalDecimal(fields[2]);
    const auto stopBits = parseStopBits(fields[3]);
    if (!baud || *baud < 1 || *baud > std::numeric_limits<std::int32_t>::max() || !parity ||
        !dataBits || *dataBits < 5 || *dataBits > 8 || !stopBits) {
        return std::nullopt;
    }
    return LineSettings{static_cast<std::int32_t>(*baud), *parity, static_cast<int>(*dataBits),
                        *stopBits};
}

}  // namespace tremolex
