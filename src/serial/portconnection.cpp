#include "serial/portconnection.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "settings/numtext.h"
#include "settings/settingnames.h"
#include "settings/textnum.h"

namespace tremolex {

namespace {

namespace names = settingnames;

constexpr std::int32_t kSearchedPorts = 12;  // the ports the dialog offers
constexpr std::string_view kPortPrompt = "Please select Serial Port Number [1-12].";
constexpr std::array<std::string_view, 12> kAcceptedPorts = {"1", "2", "3", "4",  "5",  "6",
                                                             "7", "8", "9", "10", "11", "12"};

// A number too large for a port number reads as 0, which no port is.
std::int32_t portNumberOf(std::string_view text) {
    const double number = roundHalfEven(textnum(text));
    if (!(number >= std::numeric_limits<std::int32_t>::min() &&
          number <= std::numeric_limits<std::int32_t>::max())) {
        return 0;
    }
    return static_cast<std::int32_t>(number);
}

std::string portName(std::int32_t port) {
    return "Serial port " + numtext(port);
}

std::string statusCaption(std::int32_t port, bool ready) {
    return portName(port) + (ready ? " ready" : " error!");
}

std::string reasonText(const CommPort::OpenResult& result) {
    switch (result.failure) {
        case CommPort::Failure::None:
            return {};
        case CommPort::Failure::NotFound:
            return "not found: the device is not connected";
        case CommPort::Failure::InUse:
            return "in use by another program";
        case CommPort::Failure::NoPermission:
            if (result.group.empty()) {
                return "no permission to open the device";
            }
            return "no permission: join the group " + result.group + " (sudo usermod -aG " +
                   result.group + " $USER), then log in again";
        case CommPort::Failure::Refused:
            return "the port number or the line settings cannot be used";
        case CommPort::Failure::Other:
            break;
    }
    return result.detail.empty() ? "could not be opened" : result.detail;
}

}  // namespace

PortConnection::PortConnection(Fields fields, CommPort& MSComm1, Label& statusLabel,
                               Dialogs& dialogs, const SettingsStore& settings, Timer& retryTimer)
    : m_fields(fields),
      m_comm(MSComm1),
      m_label(statusLabel),
      m_dialogs(dialogs),
      m_settings(settings),
      m_retryTimer(retryTimer) {}

void PortConnection::openStoredPort() {
    openport(portNumberOf(m_settings.regread(names::kPortNumber, names::kPortNumberDefault)));
}

void PortConnection::openport(std::int32_t port) {
    m_fields.portnum = port;
    m_fields.baudrate = m_settings.regread(names::kBaudRate, names::kBaudRateDefault);
    m_fields.portready = false;
    // A line the device began before it went away (or before another port was chosen) is
    // never finished: joined to the first line of the new session it would make a false
    // reading ("10" and "700" giving 10700).
    m_fields.rxbuffer.clear();
    m_comm.setCommPort(m_fields.portnum);
    m_comm.setSettings(m_fields.baudrate + ",n,8,1");
    const CommPort::OpenResult result = m_comm.open();
    m_fields.portready = result.ok();
    showOutcome(result);
}

void PortConnection::showOutcome(const CommPort::OpenResult& result) {
    const std::string port = portName(m_fields.portnum);
    m_label.setCaption(statusCaption(m_fields.portnum, result.ok()));
    m_label.setBackColor(result.ok() ? kReadyColor : kErrorColor);
    std::string tip = result.device.empty() ? port + ": no device" : port + ": " + result.device;
    if (!result.ok()) {
        tip += " - " + reasonText(result);
    }
    m_label.setToolTip(tip);
}

void PortConnection::scanports() {
    if (m_fields.portready) {
        return;
    }
    // A crash during the search leaves the number stored before it.
    const std::int32_t saved = m_fields.portnum;
    for (std::int32_t n = kSearchedPorts; n >= 1; --n) {
        openport(n);
        if (m_fields.portready) {
            m_settings.regwrite(names::kPortNumber, numtext(n));
            return;
        }
    }
    m_settings.regwrite(names::kPortNumber, numtext(saved));
    openport(saved);
}

void PortConnection::menuport_Click() {
    m_retryTimer.stop();  // the user decides now
    m_comm.close();
    const std::string answer =
        m_dialogs.InputBox(kPortPrompt, m_fields.apptitle, numtext(m_fields.portnum));
    if (std::find(kAcceptedPorts.begin(), kAcceptedPorts.end(), answer) != kAcceptedPorts.end()) {
        m_fields.portnum = portNumberOf(answer);
    } else if (!answer.empty()) {
        m_dialogs.MsgBox("Wrong entry!", m_fields.apptitle);
    }
    m_settings.regwrite(names::kPortNumber, numtext(m_fields.portnum));
    openport(m_fields.portnum);
}

void PortConnection::portLost() {
    m_fields.portready = false;
    CommPort::OpenResult lost;
    lost.failure = CommPort::Failure::NotFound;
    showOutcome(lost);
    m_label.setToolTip(portName(m_fields.portnum) +
                       ": the device went away; trying again every few seconds");
    m_retryTimer.start(kRetryInterval, [this] {
        openStoredPort();
        if (m_fields.portready) {
            m_retryTimer.stop();
        }
    });
}

// One port of each length of number: the label counts any digit as its widest.
std::vector<std::string> PortConnection::statusCaptions() {
    std::vector<std::string> captions;
    for (std::int32_t port = 1; port <= CommPort::kHighestPort; port *= 10) {
        captions.push_back(statusCaption(port, true));
        captions.push_back(statusCaption(port, false));
    }
    return captions;
}

}  // namespace tremolex
