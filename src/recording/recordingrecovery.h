#pragma once

#include <functional>
#include <string>

#include "platform/appendfile.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "recording/recorder.h"
#include "serial/sampleobserver.h"
#include "settings/settingsstore.h"
#include "state/chargetimes.h"
#include "state/samplestore.h"

namespace tremolex {

// At start: a recording that was broken off (by a crash or a power cut: the settings still
// name it) less than a day ago is offered for continuing, once. Yes: its readings (the last
// ones the store holds) fill the store with their times, the charge time goes on from its
// start, the monitor reads them (an end that came meanwhile is told at once), and the
// recording goes on in the same file after its last sound line. Readings that came while
// the question was open follow the recovered ones. No: the file is left as it is.
class RecordingRecovery {
public:
    static constexpr double kLongestBreakSeconds = 24 * 3600;

    struct Fields {
        SampleStore& samples;
        ChargeTimes& times;
        const std::string& apptitle;
    };
    struct Services {
        AppendFiles& files;
        Clock& clock;
        Dialogs& dialogs;
        const SettingsStore& settings;
        Recorder& recorder;
        SampleObserver& monitor;
        std::function<void()> storeReplaced;  // before the recovered readings go in
    };

    RecordingRecovery(Fields fields, Services services);

    // Asks, when there is a broken recording to continue; true when it was continued.
    bool offer();

private:
    Fields m_fields;
    Services m_services;
};

}  // namespace tremolex
