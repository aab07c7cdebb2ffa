#include "serial/samplereception.h"

#include "serial/countline.h"
#include "serial/linesplitter.h"
#include "state/midnight.h"

namespace tremolex {

namespace {
constexpr double kFirstSampleLead = 0.1;  // the charge time starts at about 0.1 s
}  // namespace

void SampleReception::receive(std::string_view input) {
    splitLines(m_rxbuffer, input, [this](std::string_view line) {
        if (const auto count = parseCountLine(line)) {
            store(*count);
        }
    });
}

void SampleReception::store(std::int16_t count) {
    if (!m_store.append(count)) {
        return;
    }
    float previous = m_times.lasttime;
    if (m_store.samplecount() == 1) {
        previous = m_clock.secondsSinceMidnight();
        m_times.starttime = static_cast<float>(static_cast<double>(previous) - kFirstSampleLead);
    }
    const float now = m_clock.secondsSinceMidnight();
    m_times.lasttime = now;
    if (midnightPassed(previous, now)) {
        m_times.starttime =
            static_cast<float>(static_cast<double>(m_times.starttime) - kSecondsPerDay);
    }
    if (m_observer != nullptr) {
        m_observer->sampleStored(count, m_store.samplecount(), m_times);
    }
}

}  // namespace tremolex
