#pragma once

#include <cstdint>
#include <string>

#include "serial/rxbuffer.h"
#include "state/chargetimes.h"
#include "state/samplestore.h"
#include "state/voltagewindow.h"

namespace tremolex {

// Everything the main window holds for the whole run. The window owns one; each piece of
// logic is handed the fields it reads or writes. Start values are those before start-up.
struct Form1State {
    // Serial port selection.
    std::int32_t portnum = 0;  // 1..12 in normal use
    std::string baudrate;      // the text of the setting, e.g. "19200"
    bool portready = false;    // the latest opening succeeded

    std::string apptitle;  // title of every input and message box
    std::string apppath;   // the program's folder, default of the log folder
    std::string lastpath;  // folder the log-file dialog opens in

    RxBuffer rxbuffer;    // received text not yet ended by a line feed
    SampleStore samples;  // samplecount and the samples themselves
    ChargeTimes times;    // starttime and lasttime

    VoltageWindow window;  // scaletop, scalebottom and scalerange

    std::int32_t fullscale = 0;  // the count that stands for 2.5 V (1023 once started)

    bool recorded = false;  // readings reach the recording on disk
};

}  // namespace tremolex
