#include "charge/chargedetector.h"

#include <cmath>

namespace tremolex {

namespace {

constexpr double kHoldSeconds = 300;        // a deeply discharged cell's early bump lies in here
constexpr std::int16_t kRemovedCount = 81;  // 0.2 V: no cell in the holder
constexpr double kLongest = 1e9;            // seconds; a capture this long is another one

}  // namespace

void ChargeDetector::restart() {
    m_end.reset();
    startOver();
}

void ChargeDetector::startOver() {
    m_started = false;  // the rest is forgotten when the next cell's first reading comes
}

void ChargeDetector::add(std::int16_t count, std::int32_t index, double chargeSeconds) {
    if (!std::isfinite(chargeSeconds)) {
        return;
    }
    if (count <= kRemovedCount) {
        m_end.reset();  // the next cell is another charge
        startOver();
        return;
    }
    if (m_end) {
        return;
    }
    if (m_started && (chargeSeconds < m_lastSeconds || chargeSeconds - m_holdUntil > kLongest)) {
        startOver();  // another capture
    }
    if (!m_started) {
        m_started = true;
        m_holdUntil = chargeSeconds + kHoldSeconds;
        m_filter.restart(m_holdUntil);
        m_readings.restart(m_holdUntil);
        m_fall.restart();
        m_flat.restart();
    }
    m_lastSeconds = chargeSeconds;
    if (chargeSeconds < m_holdUntil) {
        return;
    }
    while (m_filter.due(chargeSeconds)) {
        look(m_filter.finish());
        if (m_end) {
            return;
        }
    }
    m_filter.add(count, chargeSeconds);
    m_readings.add(index, chargeSeconds);
}

void ChargeDetector::look(const LevelFilter::Look& look) {
    const double now = m_filter.binEnd(look.bin);
    if (look.jumped) {
        m_fall.restart();  // another cell: its peak is looked for afresh
    }
    if (look.window) {
        if (const auto peak = m_fall.look(*look.window, look.bin, m_readings)) {
            m_end = End{peak->counts, peak->seconds, peak->index, now};
            return;
        }
    }
    const std::optional<LevelFilter::Level> level =
        look.window ? std::optional(look.window->level) : std::nullopt;
    if (const auto peak = m_flat.add(look.bin, level, now, m_readings)) {
        m_end = End{peak->counts, peak->seconds, peak->index, now};
    }
}

}  // namespace tremolex
