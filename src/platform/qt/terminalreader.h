#pragma once

#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTimer>
#include <array>
#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace tremolex {

// Reads an open serial line (a terminal's descriptor, non-blocking, raw, VMIN and VTIME 0
// as QSerialPort leaves it) on the event loop of the thread that made it, in batches, so
// that the thread wakes about 20 times a second at any steady line rate and not at all on
// a silent line:
// - a silent line is watched, and what arrives is read at once;
// - input that arrives within kPause of the last read waits until kPause has passed; from
//   then on the line is read every kPause, unwatched, and watched again once a read finds
//   nothing (several in a row while input keeps coming just after the line is watched
//   again, so that such a line, too, wakes the thread about 20 times a second).
// A read of kBacklog bytes or more ends the pause at once: the line brings more than the
// kernel's buffer (about 4 KB) could hold over a pause.
//
// The owner takes the text through received(). Not thread-safe.
class TerminalReader {
public:
    static constexpr std::chrono::milliseconds kPause{50};
    static constexpr std::size_t kBacklog = 1024;

    // `onInput` runs after bytes were added to received(); `onHangUp` once when the device
    // has gone away (unplugged, the other side of a pseudo-terminal closed), with the
    // reader stopped. Either may stop or restart the reader.
    TerminalReader(std::function<void()> onInput, std::function<void()> onHangUp);
    TerminalReader(const TerminalReader&) = delete;
    TerminalReader& operator=(const TerminalReader&) = delete;

    // Reads `fd` from now on; it must stay open until stop() (or the destructor).
    void start(int fd);
    // Harmless when stopped. Leaves received() as it is.
    void stop();

    // Read and not yet taken; the owner takes it out (swap, clear).
    std::string& received() { return m_received; }

private:
    void countWakeup();
    void readable();
    void collect(bool onBeat);
    // The bytes read, or nothing when the device has gone away.
    std::optional<std::size_t> readWaiting();
    void watch();
    void beat();

    std::function<void()> m_onInput;
    std::function<void()> m_onHangUp;
    int m_fd = -1;
    QSocketNotifier m_notifier{QSocketNotifier::Read};
    QTimer m_beat;
    QElapsedTimer m_sinceRead;  // invalid: no read to wait after
    int m_quietBeats = 0;       // reads in a row that found nothing
    int m_patience = 1;         // as many end the beat
    QElapsedTimer m_second;
    int m_wakeups = 0;  // in m_second
    int m_calmSeconds = 0;
    std::string m_received;
    std::array<char, 16384> m_chunk{};  // more than a terminal hands over in one read
};

}  // namespace tremolex
