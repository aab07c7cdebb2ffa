#include "platform/qt/qtclock.h"

#include <QDateTime>
#include <QTime>

namespace tremolex {

namespace {
constexpr std::int64_t kMsPerMinute = 60'000;
}

float QtClock::secondsSinceMidnight() {
    const std::int64_t now = QDateTime::currentMSecsSinceEpoch();
    // Midnight and daylight-saving changes fall on whole minutes, so the local offset
    // found for a minute holds for all of it. A clock set back leaves the range too.
    if (now < m_validFromMs || now >= m_validUntilMs) {
        const QTime local = QDateTime::fromMSecsSinceEpoch(now).time();
        m_midnightMs = now - local.msecsSinceStartOfDay();
        m_validFromMs = now - now % kMsPerMinute;
        m_validUntilMs = m_validFromMs + kMsPerMinute;
    }
    return static_cast<float>(static_cast<double>(now - m_midnightMs) / 1000.0);
}

}  // namespace tremolex
