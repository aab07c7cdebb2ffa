#pragma once

#include <cstdint>

namespace tremolex {

// The two measuring cursors, A and B, each on a reading (a store position; 0: not set).
// A click sets A, the next B, the one after starts again with A; the keys move the active
// cursor, the one set last, or the one Tab made active.
class ChartCursors {
public:
    std::int32_t a() const { return m_a; }
    std::int32_t b() const { return m_b; }
    bool bActive() const { return m_bActive; }
    std::int32_t active() const { return m_bActive ? m_b : m_a; }

    // A click on `reading`.
    void place(std::int32_t reading);
    // Moves the active cursor by `readings`, within 1..n; with none set, A comes at the
    // reading `from`.
    void move(std::int32_t readings, std::int32_t n, std::int32_t from);
    // Tab: the other cursor is moved by the keys, once it is set.
    void switchActive();
    void clear() { *this = {}; }
    // The store shrank to `n` readings (a load): cursors beyond it go.
    void keepWithin(std::int32_t n);

private:
    std::int32_t m_a = 0;
    std::int32_t m_b = 0;
    bool m_bActive = false;
};

}  // namespace tremolex
