#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace tremolex {

// Received text after the last line feed: the start of a line still waiting for its end.
// Bounded, so a device that never sends a line feed cannot make it grow: a line longer
// than kCapacity is marked overlong, its text is let go, and the rest of it is ignored
// until its line feed ends it.
class RxBuffer {
public:
    // Far longer than any line a measuring device sends ("-32768" and a few blanks).
    static constexpr std::size_t kCapacity = 4096;

    std::string_view text() const { return {m_text.data(), m_size}; }
    bool empty() const { return m_size == 0 && !m_overlong; }
    bool overlong() const { return m_overlong; }

    void append(std::string_view more) {
        if (m_overlong) {
            return;
        }
        if (more.size() > kCapacity - m_size) {
            m_overlong = true;
            m_size = 0;
            return;
        }
        more.copy(m_text.data() + m_size, more.size());
        m_size += more.size();
    }

    // Forgets the line, after its line feed came.
    void clear() {
        m_size = 0;
        m_overlong = false;
    }

private:
    std::array<char, kCapacity> m_text{};
    std::size_t m_size = 0;
    bool m_overlong = false;
};

}  // namespace tremolex
