#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tremolex {

// The line settings of a serial port, read from a text such as "19200,n,8,1".
struct LineSettings {
    enum class Parity { None, Even, Odd, Mark, Space };
    enum class StopBits { One, OneAndHalf, Two };

    std::int32_t baudRate = 9600;  // bits per second, > 0
    Parity parity = Parity::None;
    int dataBits = 8;  // 5..8
    StopBits stopBits = StopBits::One;

    bool operator==(const LineSettings&) const = default;
};

// "baud,parity,data,stop": four fields separated by commas, nothing else, no blanks.
// Baud: a positive decimal number without sign or leading zeros that fits 32 bits.
// Parity: n, e, o, m or s, either case. Data bits: 5..8. Stop bits: 1, 1.5 or 2.
// Anything else gives nullopt.
std::optional<LineSettings> parseLineSettings(std::string_view text);

}  // namespace tremolex
