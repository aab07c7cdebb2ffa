#include "stopsignals.h"

#include <algorithm>
#include <array>
#include <csignal>

namespace tremolex::cellsim {

namespace {

volatile std::sig_atomic_t g_stopRequested = 0;

constexpr std::array<int, 3> kStopSignals = {SIGINT, SIGTERM, SIGHUP};

void requestStop(int) {
    g_stopRequested = 1;
}

}  // namespace

StopSignals::StopSignals() {
    g_stopRequested = 0;
    sigset_t stops;
    sigemptyset(&stops);
    for (const int signal : kStopSignals) {
        sigaddset(&stops, signal);
    }
    sigprocmask(SIG_BLOCK, &stops, &m_oldMask);
    m_waitMask = m_oldMask;
    for (const int signal : kStopSignals) {
        sigdelset(&m_waitMask, signal);
    }
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < kStopSignals.size(); ++i) {
        sigaction(kStopSignals[i], &action, &m_oldActions[i]);
    }
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, &m_oldActions[kStopSignals.size()]);
}

StopSignals::~StopSignals() {
    for (std::size_t i = 0; i < kStopSignals.size(); ++i) {
        sigaction(kStopSignals[i], &m_oldActions[i], nullptr);
    }
    sigaction(SIGPIPE, &m_oldActions[kStopSignals.size()], nullptr);
    sigprocmask(SIG_SETMASK, &m_oldMask, nullptr);
}

bool StopSignals::requested() const {
    return g_stopRequested != 0;
}

short StopSignals::wait(int fd, short events, std::chrono::nanoseconds timeout) {
    if (requested()) {
        return 0;
    }
    timeout = std::max(timeout, std::chrono::nanoseconds(0));
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(timeout);
    const timespec limit{static_cast<time_t>(seconds.count()),
                         static_cast<long>((timeout - seconds).count())};
    pollfd entry{fd, events, 0};
    // A stop signal pending from before is delivered as ppoll unblocks it: EINTR at once.
    if (::ppoll(&entry, fd >= 0 ? 1 : 0, &limit, &m_waitMask) <= 0) {
        return 0;
    }
    return entry.revents;
}

}  // namespace tremolex::cellsim
