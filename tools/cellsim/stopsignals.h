#pragma once

#include <poll.h>
#include <signal.h>

#include <chrono>

namespace tremolex::cellsim {

// Ctrl+C, SIGTERM and SIGHUP as a request to stop that every wait notices at once. The
// signals are blocked except inside wait(), so none slips in between a check and a wait.
// SIGPIPE is ignored: a closed standard output must not kill the simulator before it
// removes its link. One at a time, for the life of the process's main loop.
class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    bool requested() const;

    // Waits until `fd` has one of `events`, `timeout` passes or a stop is requested; returns
    // the events that happened (0 for none). With fd -1 it only waits.
    short wait(int fd, short events, std::chrono::nanoseconds timeout);

private:
    sigset_t m_oldMask{};
    sigset_t m_waitMask{};
    struct sigaction m_oldActions[4]{};
};

}  // namespace tremolex::cellsim
