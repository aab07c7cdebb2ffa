#include "chart/chartcursors.h"

#include <algorithm>

namespace tremolex {

void ChartCursors::place(std::int32_t reading) {
    if (m_a == 0 || m_b != 0) {
        *this = {};
        m_a = reading;
    } else {
        m_b = reading;
        m_bActive = true;
    }
}

void ChartCursors::move(std::int32_t readings, std::int32_t n, std::int32_t from) {
    if (n <= 0) {
        return;
    }
    if (m_a == 0) {
        m_a = std::clamp(from, 1, n);
        return;
    }
    std::int32_t& cursor = m_bActive ? m_b : m_a;
    cursor = std::clamp(cursor + readings, 1, n);
}

void ChartCursors::switchActive() {
    m_bActive = !m_bActive && m_b != 0;
}

void ChartCursors::keepWithin(std::int32_t n) {
    if (m_b > n) {
        m_b = 0;
        m_bActive = false;
    }
    if (m_a > n) {
        *this = {};
    }
}

}  // namespace tremolex
