#include "charge/chargemonitor.h"

#include "chart/captions.h"
#include "state/countvolts.h"

namespace tremolex {

using Notice = NoticeStrip::Notice;

ChargeMonitor::ChargeMonitor(Fields fields, Services services, std::string title,
                             std::string decimalSeparator)
    : m_fields(fields),
      m_services(services),
      m_title(std::move(title)),
      m_decimalSeparator(std::move(decimalSeparator)) {}

void ChargeMonitor::sampleArrived(const ArrivedReading& reading, const ChargeTimes& times) {
    if (reading.index == 0) {
        return;  // the store is full; its notice says so
    }
    m_detector.add(reading.count, reading.index, reading.time.chargeSeconds);
    m_stall.reading(times.lasttime);
    if (m_detector.end().has_value() != m_endShown) {
        showEnd();
    }
    if (m_stallShown) {
        showStall(std::nullopt);
    }
    if (!m_holding && m_services.sleepInhibitor != nullptr) {
        m_services.sleepInhibitor->hold();
    }
    m_holding = true;
}

void ChargeMonitor::Timer1_Timer() {
    const std::optional<double> stalled = m_stall.stalledFor(m_services.clock.steadySeconds());
    if (stalled) {
        release();
    }
    // Readings turned away by a full store still come; the store-full notice says why
    // none is stored.
    const bool shown = m_fields.portready && !m_fields.samples.full();
    showStall(shown ? stalled : std::nullopt);
}

void ChargeMonitor::portLost() {
    release();
    showStall(std::nullopt);  // the port's label says it
}

void ChargeMonitor::storeReplaced() {
    m_detector.restart();
    m_stall.restart();
    showEnd();
    showStall(std::nullopt);
    // Readings that still come hold it again; otherwise nothing would ever release it.
    release();
}

std::optional<Chart::Peak> ChargeMonitor::peak() const {
    const std::optional<ChargeDetector::End>& end = m_detector.end();
    if (!end) {
        return std::nullopt;
    }
    return Chart::Peak{end->peakIndex, end->peakCount};
}

void ChargeMonitor::analyseStore() {
    const SampleStore& samples = m_fields.samples;
    for (std::int32_t i = 1; i <= samples.samplecount(); ++i) {
        const ReadingTime time = samples.time(i);
        if (time.known()) {
            m_detector.add(samples.sample(i), i, time.chargeSeconds);
        }
    }
    showEnd(false);
}

void ChargeMonitor::showEnd(bool notify) {
    const std::optional<ChargeDetector::End>& end = m_detector.end();
    m_endShown = end.has_value();
    if (!end) {
        m_services.notices.show(Notice::EndOfCharge, {});
        return;
    }
    const auto volts = static_cast<float>(countVolts(end->peakCount, m_fields.fullscale));
    const Caption text = endOfChargeCaption(volts, end->peakSeconds, m_decimalSeparator);
    m_services.notices.show(Notice::EndOfCharge, text.view());
    if (notify && m_services.notifier != nullptr) {
        m_services.notifier->notify(m_title, text.view());
    }
}

void ChargeMonitor::showStall(std::optional<double> seconds) {
    m_stallShown = seconds.has_value();
    m_services.notices.show(Notice::Stalled,
                            seconds ? stallCaption(*seconds).view() : std::string_view());
}

void ChargeMonitor::release() {
    if (m_holding && m_services.sleepInhibitor != nullptr) {
        m_services.sleepInhibitor->release();
    }
    m_holding = false;
}

}  // namespace tremolex
