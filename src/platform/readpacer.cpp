#include "platform/readpacer.h"

#include <algorithm>

namespace tremolex {

namespace {

// A beat alone wakes 20 times a second, a timer that fires early once more.
constexpr int kMostCalmWakeups = 22;
constexpr int kMostPatience = 16;
constexpr int kCalmSeconds = 10;

}  // namespace

void ReadPacer::start() {
    m_lastRead.reset();
    m_emptyReads = 0;
}

ReadPacer::Clock::duration ReadPacer::readable(Clock::time_point now) {
    countWakeup(now);
    m_emptyReads = 0;
    if (m_lastRead && now - *m_lastRead < kPause) {
        return *m_lastRead + kPause - now;
    }
    return Clock::duration::zero();
}

void ReadPacer::beat(Clock::time_point now) {
    countWakeup(now);
}

ReadPacer::Next ReadPacer::afterRead(Clock::time_point now, std::size_t bytes, bool onBeat) {
    if (bytes >= kBacklog) {
        m_lastRead.reset();
        return Next::Watch;
    }
    if (bytes > 0) {
        // A slow line is read once a line, each time it wakes the thread anyway.
        m_lastRead = now;
        m_emptyReads = 0;
        return onBeat ? Next::Beat : Next::Watch;
    }
    if (++m_emptyReads >= m_patience) {
        m_emptyReads = 0;
        return Next::Watch;
    }
    return Next::Beat;
}

void ReadPacer::countWakeup(Clock::time_point now) {
    if (now - m_second >= std::chrono::seconds(1)) {
        if (m_wakeups > kMostCalmWakeups) {
            m_patience = std::min(2 * m_patience, kMostPatience);
            m_calmSeconds = 0;
        } else if (++m_calmSeconds >= kCalmSeconds && m_patience > 1) {
            m_patience /= 2;
            m_calmSeconds = 0;
        }
        m_second = now;
        m_wakeups = 0;
    }
    ++m_wakeups;
}

}  // namespace tremolex
