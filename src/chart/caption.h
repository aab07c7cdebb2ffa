#pragma once

#include <array>
#include <charconv>
#include <cstdint>
#include <string_view>

namespace tremolex {

// The text of a status label, built without allocating: redraws run once a second for
// hours. Text beyond the capacity is cut off.
class Caption {
public:
    static constexpr std::size_t kCapacity = 80;

    Caption& operator<<(std::string_view text) {
        const std::size_t room = std::min(text.size(), kCapacity - m_size);
        text.copy(m_text.data() + m_size, room);
        m_size += room;
        return *this;
    }
    Caption& operator<<(std::int64_t number) {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
        return *this << std::string_view(digits, static_cast<std::size_t>(end - digits));
    }

    std::string_view view() const { return {m_text.data(), m_size}; }

private:
    std::array<char, kCapacity> m_text{};
    std::size_t m_size = 0;
};

}  // namespace tremolex
