#pragma once

#include <chrono>
#include <cstddef>
#include <optional>

namespace tremolex {

// When a serial port reads its line, so that the thread wakes about 20 times a second at
// any steady line rate and not at all on a silent line:
// - a silent line is watched, and what arrives is read at once;
// - input that arrives within kPause of the last read waits until kPause has passed; from
//   then on the line is read every kPause (the beat), unwatched, and watched again once a
//   read finds nothing. A line whose input keeps coming just after it is watched again (a
//   line that arrives in pieces, a rate close to one line a pause) would wake the thread
//   twice a pause: a second with more than 22 wakeups makes the beat go on through more
//   empty reads (up to 16), ten calm seconds make it go on through fewer.
// A read of kBacklog bytes or more ends the pause at once: the line brings more than the
// kernel's buffer (about 4 KB) could hold over a pause.
//
// Toolkit-free: the port tells it what happened and when, and watches or sets its timer as
// told.
class ReadPacer {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kPause{50};
    static constexpr std::size_t kBacklog = 1024;

    enum class Next { Watch, Beat };  // watch the line, or read again after kPause

    // The port starts watching a line it has not read yet.
    void start();
    // The watched line has input at `now`: read it now (zero), or after the time returned.
    Clock::duration readable(Clock::time_point now);
    // The beat's time has come at `now`: the port reads.
    void beat(Clock::time_point now);
    // A read at `now`, on the beat or not, brought `bytes`.
    Next afterRead(Clock::time_point now, std::size_t bytes, bool onBeat);

private:
    void countWakeup(Clock::time_point now);

    std::optional<Clock::time_point> m_lastRead;  // none: no pause to wait out
    int m_emptyReads = 0;                         // in a row, on the beat
    int m_patience = 1;                           // as many end the beat
    Clock::time_point m_second{};
    int m_wakeups = 0;  // since m_second
    int m_calmSeconds = 0;
};

}  // namespace tremolex
