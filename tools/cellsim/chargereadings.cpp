#include "chargereadings.h"

#include <algorithm>
#include <cmath>

#include "converter.h"

namespace tremolex::cellsim {

namespace {

constexpr double kBounceCounts = 0.050 * kCountsPerVolt;  // 50 mV
constexpr double kBounceGap = 300;                        // handling the cell again takes a while
constexpr double kShortestPause = 10;
constexpr double kLongestPause = 180;

// The faults and the curve draw from apart, so the faults do not change with the curve.
constexpr std::uint64_t kFaultStream = 0x6a09e667f3bcc908ULL;

}  // namespace

ChargeReadings::ChargeReadings(const ChargeCurve& curve, double interval, std::uint64_t seed,
                               bool faults)
    : m_curve(curve), m_interval(interval), m_faults(faults), m_random(seed ^ kFaultStream) {
    m_noise = m_random.unit();
    m_spikeMean = m_random.logBetween(120, 900);
    m_bounceMean = m_random.logBetween(600, 3600);
    m_pauseMean = m_random.logBetween(3600, 21600);
    m_nextSpike = m_random.exponential(m_spikeMean);
    m_nextBounce = m_random.exponential(m_bounceMean);
    m_nextPause = m_random.exponential(m_pauseMean);
}

std::optional<ChargeReadings::Slot> ChargeReadings::next() {
    const double seconds = static_cast<double>(m_slot) * m_interval;
    if (seconds > m_curve.lengthSeconds()) {
        return std::nullopt;
    }
    ++m_slot;
    double counts = m_curve.volts(seconds) * kCountsPerVolt;
    if (m_faults) {
        if (seconds >= m_nextPause) {
            m_pauseEnd = m_nextPause + m_random.logBetween(kShortestPause, kLongestPause);
            m_nextPause = m_pauseEnd + m_random.exponential(m_pauseMean);
        }
        if (seconds < m_pauseEnd) {
            return Slot{seconds, std::nullopt};
        }
        counts += m_random.between(-m_noise, m_noise);
        if (m_bounceReadings > 0 || seconds < m_bounceEnd) {
            counts += m_bounceOffset + m_random.between(-2, 2);
            --m_bounceReadings;
        } else if (seconds >= m_nextBounce) {
            m_bounceOffset = m_random.sign() * kBounceCounts;
            m_bounceReadings = 1 + static_cast<int>(m_random.next() % 3);  // then 2 to 4 in all
            m_bounceEnd = seconds + m_random.between(0.2, 1);
            m_nextBounce = seconds + kBounceGap + m_random.exponential(m_bounceMean);
            counts += m_bounceOffset;
        }
        if (seconds >= m_nextSpike) {
            counts += m_random.sign() * m_random.between(5, 20);
            while (m_nextSpike <= seconds) {
                m_nextSpike += m_random.exponential(m_spikeMean);
            }
        }
    }
    return Slot{seconds, std::clamp(static_cast<int>(std::lround(counts)), 0, kTopCount)};
}

}  // namespace tremolex::cellsim
