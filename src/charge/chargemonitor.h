#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "charge/chargedetector.h"
#include "charge/stallwatch.h"
#include "chart/chart.h"
#include "chart/noticestrip.h"
#include "platform/clock.h"
#include "platform/desktopnotifier.h"
#include "platform/sleepinhibitor.h"
#include "serial/sampleobserver.h"
#include "state/samplestore.h"

namespace tremolex {

// Watches the charge as readings are stored: finds its end, says so once on the desktop and
// in the notice strip, notices readings that stopped coming while the port is open, and
// keeps the machine awake while readings come. Loaded logs of counts alone are never
// analysed; loaded recordings are.
class ChargeMonitor final : public SampleObserver {
public:
    // The window's run-time fields it reads.
    struct Fields {
        const SampleStore& samples;
        const std::int32_t& fullscale;
        const bool& portready;
    };
    struct Services {
        NoticeStrip& notices;
        Clock& clock;
        DesktopNotifier* notifier = nullptr;       // null: none
        SleepInhibitor* sleepInhibitor = nullptr;  // null: none
    };

    // `title`: of the desktop notification.
    ChargeMonitor(Fields fields, Services services, std::string title,
                  std::string decimalSeparator);

    // Each reading as stored; allocates nothing (but once per charge, at its end).
    void sampleArrived(const ArrivedReading& reading, const ChargeTimes& times) override;
    // Once a second: the stall notice comes, counts on or goes.
    void Timer1_Timer();
    // The open port's device went away.
    void portLost();
    // A load replaced the store: everything starts over, with no notice.
    void storeReplaced();
    // The readings of a loaded recording, with their times, are looked at as if they came
    // now: its end shows in the strip and on the chart, not on the desktop.
    void analyseStore();
    // The window closes.
    void Form_Unload() { release(); }

    // Where the charge peaked, once its end is found.
    std::optional<Chart::Peak> peak() const;

private:
    void showEnd(bool notify = true);
    void showStall(std::optional<double> seconds);
    void release();

    Fields m_fields;
    Services m_services;
    std::string m_title;
    std::string m_decimalSeparator;
    ChargeDetector m_detector;
    StallWatch m_stall;
    bool m_endShown = false;    // the strip shows the end of the charge
    bool m_stallShown = false;  // the strip shows the stall
    bool m_holding = false;     // the sleep inhibitor was told to hold
};

}  // namespace tremolex
