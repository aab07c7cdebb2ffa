#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>

namespace tremolex {

// Runs the event loop until `done` holds or `milliseconds` have passed; says whether it
// holds. Tests wait on conditions, never for fixed times.
template <typename Condition>
bool waitFor(Condition done, int milliseconds = 5000) {
    const QDeadlineTimer deadline(milliseconds);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    return done();
}

// Gives late events a chance to arrive, to show that none do.
inline void drainEvents() {
    waitFor([] { return false; }, 100);
}

}  // namespace tremolex
