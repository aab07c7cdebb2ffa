#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/commport.h"
#include "platform/dialogs.h"
#include "platform/label.h"
#include "platform/timer.h"
#include "serial/rxbuffer.h"
#include "settings/settingsstore.h"

namespace tremolex {

// Opening the serial port with a number and the stored baud rate, the status label, the
// search for a port that opens, the port dialog, and getting a lost device back.
//
// The setting "Serial Port Number" is written only once its value is final: after the
// dialog, and at the end of a search, never for each port tried.
class PortConnection {
public:
    struct Fields {
        std::int32_t& portnum;
        std::string& baudrate;
        bool& portready;
        const std::string& apptitle;
        RxBuffer& rxbuffer;  // let go at each opening: a new session starts a new line
    };

    static constexpr Color kReadyColor = rgb(192, 255, 192);
    static constexpr Color kErrorColor = rgb(255, 192, 192);
    // How often a port whose device went away is tried again.
    static constexpr std::chrono::milliseconds kRetryInterval{3000};

    PortConnection(Fields fields, CommPort& MSComm1, Label& statusLabel, Dialogs& dialogs,
                   const SettingsStore& settings, Timer& retryTimer);

    // Opens port `port` with the stored baud rate; the outcome is in portready and on the
    // label, and `port` in portnum.
    void openport(std::int32_t port);
    // Opens the port whose number is stored.
    void openStoredPort();
    // When the port is not open: tries ports 12 down to 1 and stores the first that opens;
    // when none does, the number it started with is stored (as a whole number) and tried
    // once more.
    void scanports();
    // Asks for a port number and reopens the port, whatever the answer.
    void menuport_Click();
    // The open port's device went away: shown at once, then the same port is tried
    // again every few seconds until it opens or the user chooses a port.
    void portLost();

    // The captions of the status label, ready and error, for one port of each length of
    // number a device's port can have (1..255): the window sizes the label from them.
    static std::vector<std::string> statusCaptions();

private:
    void showOutcome(const CommPort::OpenResult& result);

    Fields m_fields;
    CommPort& m_comm;
    Label& m_label;
    Dialogs& m_dialogs;
    const SettingsStore& m_settings;
    Timer& m_retryTimer;
};

}  // namespace tremolex
