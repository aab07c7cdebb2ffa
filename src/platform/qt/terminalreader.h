#pragma once

#include <QSocketNotifier>
#include <QTimer>
#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "platform/readpacer.h"

namespace tremolex {

// Reads an open serial line (a terminal's descriptor, non-blocking, raw, VMIN and VTIME 0
// as QSerialPort leaves it) on the event loop of the thread that made it, in batches paced
// by a ReadPacer: about 20 wakeups a second at any steady line rate, none on a silent line.
//
// The owner takes the text through received(). Not thread-safe.
class TerminalReader {
public:
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
    void readable();
    void collect(bool onBeat);
    // The bytes read, or nothing when the device has gone away.
    std::optional<std::size_t> readWaiting();

    std::function<void()> m_onInput;
    std::function<void()> m_onHangUp;
    int m_fd = -1;
    QSocketNotifier m_notifier{QSocketNotifier::Read};
    QTimer m_beat;
    ReadPacer m_pacer;
    std::string m_received;
    std::array<char, 16384> m_chunk{};  // more than a terminal hands over in one read
};

}  // namespace tremolex
