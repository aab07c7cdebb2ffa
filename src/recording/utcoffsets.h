#pragma once

#include <cstdint>

#include "platform/clock.h"

namespace tremolex {

// The local UTC offset of moments, asked of the clock at most once a minute of them: time
// zones change their offset on whole minutes only, and each asking is a time-zone lookup.
class UtcOffsets {
public:
    explicit UtcOffsets(Clock& clock) : m_clock(clock) {}

    std::int32_t at(std::int64_t utcMilliseconds) {
        if (utcMilliseconds < m_from || utcMilliseconds >= m_until) {
            m_from =
                utcMilliseconds - ((utcMilliseconds % kMsPerMinute) + kMsPerMinute) % kMsPerMinute;
            m_until = m_from + kMsPerMinute;
            m_offset = m_clock.utcOffsetMinutes(utcMilliseconds);
        }
        return m_offset;
    }

private:
    static constexpr std::int64_t kMsPerMinute = 60'000;

    Clock& m_clock;
    std::int64_t m_from = 1;  // m_offset holds for [m_from, m_until)
    std::int64_t m_until = 0;
    std::int32_t m_offset = 0;
};

}  // namespace tremolex
