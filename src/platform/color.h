#pragma once

#include <cstdint>

namespace tremolex {

// A colour as &HBBGGRR: one byte each of blue, green and red, red lowest.
using Color = std::uint32_t;

constexpr Color rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return static_cast<Color>(red) | static_cast<Color>(green) << 8 |
           static_cast<Color>(blue) << 16;
}

constexpr std::uint8_t redOf(Color color) {
    return color & 0xFF;
}
constexpr std::uint8_t greenOf(Color color) {
    return (color >> 8) & 0xFF;
}
constexpr std::uint8_t blueOf(Color color) {
    return (color >> 16) & 0xFF;
}

}  // namespace tremolex
