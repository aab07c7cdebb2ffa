#pragma once

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>

#include "platform/sleepinhibitor.h"

class QDBusPendingCallWatcher;

namespace tremolex {

// logind's sleep lock: Inhibit("sleep", ..., "block") on the system bus hands out a file
// descriptor, and the lock lasts while it is open. The request is asynchronous: the lock
// comes a moment after hold(), or never where there is no system bus or no logind (no
// error then). A lock that arrives after release() is not kept. Lives on the thread that
// runs the event loop.
class LogindSleepInhibitor final : public SleepInhibitor {
public:
    // `bus`: the system bus, or a test's own.
    explicit LogindSleepInhibitor(QDBusConnection bus = QDBusConnection::systemBus());

    void hold() override;
    void release() override;
    // From hold() to release(), whether logind granted the lock or not.
    bool held() const override { return m_wanted; }
    // Whether logind's lock is in force now.
    bool granted() const { return m_lock.isValid(); }

private:
    void answered(QDBusPendingCallWatcher& watcher);

    QDBusConnection m_bus;
    bool m_wanted = false;
    bool m_asking = false;           // a request is under way
    QDBusUnixFileDescriptor m_lock;  // invalid while no lock is held
    // Parent of the request's watcher; declared last, so it and the handler that refers to
    // this object go first.
    QObject m_requests;
};

}  // namespace tremolex
