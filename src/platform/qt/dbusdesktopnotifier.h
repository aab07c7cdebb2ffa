#pragma once

#include <QDBusConnection>

#include "platform/desktopnotifier.h"

namespace tremolex {

// The desktop's notification service (org.freedesktop.Notifications) and the system bell.
// The notification is sent without waiting for an answer, so a slow service never holds up
// the window; without a bus or a service only the bell rings.
class DBusDesktopNotifier final : public DesktopNotifier {
public:
    // `bus`: the session bus, or a test's own.
    explicit DBusDesktopNotifier(QDBusConnection bus = QDBusConnection::sessionBus());

    void notify(std::string_view title, std::string_view text) override;

private:
    QDBusConnection m_bus;
};

}  // namespace tremolex
