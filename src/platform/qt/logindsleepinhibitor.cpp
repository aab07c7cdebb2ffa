#include "platform/qt/logindsleepinhibitor.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include "platform/productname.h"
#include "platform/qt/qttext.h"

namespace tremolex {

LogindSleepInhibitor::LogindSleepInhibitor(QDBusConnection bus) : m_bus(std::move(bus)) {}

void LogindSleepInhibitor::hold() {
    if (m_wanted) {
        return;
    }
    m_wanted = true;
    // A request still under way from an earlier hold() brings the lock for this one.
    if (m_asking || !m_bus.isConnected()) {
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep") << toQString(productname::kShort)
         << QStringLiteral("Recording a charge") << QStringLiteral("block");
    m_asking = true;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), &m_requests);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &m_requests,
                     [this](QDBusPendingCallWatcher* done) { answered(*done); });
}

void LogindSleepInhibitor::release() {
    m_wanted = false;
    m_lock = QDBusUnixFileDescriptor();  // closes it
}

void LogindSleepInhibitor::answered(QDBusPendingCallWatcher& watcher) {
    m_asking = false;
    const QDBusPendingReply<QDBusUnixFileDescriptor> reply = watcher;
    if (m_wanted && reply.isValid()) {
        m_lock = reply.value();
    }
    // The answer keeps a copy of the descriptor: it goes with the watcher, so that a lock
    // no longer wanted closes and a kept one closes with m_lock alone.
    watcher.deleteLater();
}

}  // namespace tremolex
