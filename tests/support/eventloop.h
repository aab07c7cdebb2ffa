#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <string_view>

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

// Writes all of `text` to `device` (such as a PseudoTerminal) while the event loop runs, so
// a reader in this process keeps taking it; false when that took longer than `milliseconds`.
template <typename Device>
bool sendAll(Device& device, std::string_view text, int milliseconds = 5000) {
    return waitFor([&] { return (text.remove_prefix(device.write(text)), text.empty()); },
                   milliseconds);
}

// Gives late events a chance to arrive, to show that none do.
inline void drainEvents() {
    waitFor([] { return false; }, 100);
}

}  // namespace tremolex
