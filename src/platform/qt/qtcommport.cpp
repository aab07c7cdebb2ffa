#include "platform/qt/qtcommport.h"

#include <QSocketNotifier>

namespace tremolex {

namespace {

QSerialPort::Parity toQt(LineSettings::Parity parity) {
    switch (parity) {
        case LineSettings::Parity::Even:
            return QSerialPort::EvenParity;
        case LineSettings::Parity::Odd:
            return QSerialPort::OddParity;
        case LineSettings::Parity::Mark:
            return QSerialPort::MarkParity;
        case LineSettings::Parity::Space:
            return QSerialPort::SpaceParity;
        case LineSettings::Parity::None:
            break;
    }
    return QSerialPort::NoParity;
}

QSerialPort::StopBits toQt(LineSettings::StopBits stopBits) {
    switch (stopBits) {
        case LineSettings::StopBits::OneAndHalf:
            return QSerialPort::OneAndHalfStop;
        case LineSettings::StopBits::Two:
            return QSerialPort::TwoStop;
        case LineSettings::StopBits::One:
            break;
    }
    return QSerialPort::OneStop;
}

CommPort::OpenResult outcome(CommPort::Failure failure, const std::string& device) {
    CommPort::OpenResult result;
    result.failure = failure;
    result.device = device;
    return result;
}

}  // namespace

void QtCommPort::setSettings(std::string_view settings) {
    m_settings = parseLineSettings(settings);
}

void QtCommPort::setEvents(std::function<void()> onComm, std::function<void()> onLost) {
    m_onComm = std::move(onComm);
    m_onLost = std::move(onLost);
}

PortDevice QtCommPort::deviceToOpen() const {
    PortDevice byNumber = portDevice(m_portNumber);
    if (!m_lost) {
        return byNumber;
    }
    if (std::filesystem::path node = m_identity.deviceNamed(m_lost->name); !node.empty()) {
        return {std::move(node), true};
    }
    // Not back yet. Whatever is at the number's node now is another device (or this one
    // before udev has linked it, which the next try finds): joined to this capture, its
    // readings would be taken for this cell's.
    if (!byNumber.present) {
        return byNumber;
    }
    return {m_identity.link(m_lost->name), false};
}

CommPort::OpenResult QtCommPort::open() {
    shut();
    m_reader.received().clear();
    if (m_lost && m_lost->port != m_portNumber) {
        m_lost.reset();
    }
    if (m_portNumber < 1 || m_portNumber > CommPort::kHighestPort || !m_settings) {
        return outcome(Failure::Refused, {});
    }

    const PortDevice resolved = deviceToOpen();
    const std::string device = resolved.path.string();
    if (!resolved.present) {
        return outcome(Failure::NotFound, device);
    }

    m_port.setPortName(QString::fromStdString(device));
    m_port.setBaudRate(m_settings->baudRate);
    m_port.setParity(toQt(m_settings->parity));
    m_port.setDataBits(static_cast<QSerialPort::DataBits>(m_settings->dataBits));
    m_port.setStopBits(toQt(m_settings->stopBits));
    m_port.setFlowControl(QSerialPort::NoFlowControl);

    if (!m_port.open(QIODevice::ReadOnly)) {
        OpenResult result = outcome(Failure::Other, device);
        switch (m_port.error()) {
            case QSerialPort::DeviceNotFoundError:
                result.failure = Failure::NotFound;
                break;
            case QSerialPort::PermissionError:
                // Qt reports a lock file held by another program the same way as a
                // device node the user may not open; the node's permissions tell them apart.
                if (mayRead(device)) {
                    result.failure = Failure::InUse;
                } else {
                    result.failure = Failure::NoPermission;
                    result.group = deviceGroup(device);
                }
                break;
            default:
                result.detail = m_port.errorString().toStdString();
                break;
        }
        return result;
    }

    // Devices without modem lines refuse these; the port works without them.
    m_port.setDataTerminalReady(true);
    m_port.setRequestToSend(true);
    // QSerialPort's own notifier, its child, is held off for as long as the port is open:
    // it turns it on only when opening and when read from, which this class never does.
    for (QSocketNotifier* notifier : m_port.findChildren<QSocketNotifier*>()) {
        notifier->setEnabled(false);
    }
    m_reader.start(static_cast<int>(m_port.handle()));
    m_lost.reset();
    if (std::string name = m_identity.nameOf(device); !name.empty()) {
        m_open = KnownDevice{m_portNumber, std::move(name)};
    }
    return outcome(Failure::None, device);
}

void QtCommPort::close() {
    m_lost.reset();
    shut();
}

void QtCommPort::shut() {
    m_open.reset();
    m_reader.stop();
    if (m_port.isOpen()) {
        m_port.close();
    }
}

void QtCommPort::comm() {
    if (m_onComm) {
        m_onComm();
    }
}

std::string_view QtCommPort::input() {
    m_input.clear();
    m_input.swap(m_reader.received());
    return m_input;
}

void QtCommPort::deviceGone() {
    // What arrived before the device went away is handed over first: it is part of the
    // capture.
    if (!m_reader.received().empty()) {
        comm();
    }
    if (m_open) {
        m_lost = m_open;
    }
    shut();
    if (m_onLost) {
        m_onLost();
    }
}

}  // namespace tremolex
