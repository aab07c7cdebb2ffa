#include "serial/samplereception.h"

#include "serial/countline.h"
#include "serial/linesplitter.h"

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
    const double now = m_clock.steadySeconds();
    const std::int64_t wall = m_clock.utcMilliseconds();
    if (m_store.samplecount() == 0) {
        m_times.starttime = now - kFirstSampleLead;
    }
    ArrivedReading reading{count, 0, {wall, now - m_times.starttime}};
    if (m_store.append(count, reading.time)) {
        reading.index = m_store.samplecount();
        m_times.lasttime = now;
    }
    for (SampleObserver* const observer : m_observers) {
        if (observer != nullptr) {
            observer->sampleArrived(reading, m_times);
        }
    }
}

}  // namespace tremolex
