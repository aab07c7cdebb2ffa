#include "platform/qt/terminalreader.h"

#include <unistd.h>

#include <cerrno>

#include "platform/posix/portdevice.h"

namespace tremolex {

namespace {

// A read that keeps filling the chunk is a flood, not a serial line: the rest waits for the
// next turn of the event loop rather than hold up the window.
constexpr std::size_t kMostPerRead = 4 * 16384;

}  // namespace

TerminalReader::TerminalReader(std::function<void()> onInput, std::function<void()> onHangUp)
    : m_onInput(std::move(onInput)), m_onHangUp(std::move(onHangUp)) {
    m_beat.setSingleShot(true);
    m_beat.setTimerType(Qt::PreciseTimer);  // never early: at most one read per pause
    // An activation queued before stop() may still come: it finds the reader stopped.
    QObject::connect(&m_notifier, &QSocketNotifier::activated, [this] {
        if (m_fd >= 0) {
            readable();
        }
    });
    QObject::connect(&m_beat, &QTimer::timeout, [this] {
        if (m_fd >= 0) {
            m_pacer.beat(ReadPacer::Clock::now());
            collect(true);
        }
    });
}

void TerminalReader::start(int fd) {
    stop();
    m_fd = fd;
    m_notifier.setSocket(fd);
    m_pacer.start();
    m_notifier.setEnabled(true);
}

void TerminalReader::stop() {
    m_notifier.setEnabled(false);
    m_beat.stop();
    m_fd = -1;
}

void TerminalReader::readable() {
    // The notifier is turned off only while the beat waits: a slow line, read at once and
    // watched on, costs no calls into the event dispatcher per line.
    const auto wait = m_pacer.readable(ReadPacer::Clock::now());
    if (wait > ReadPacer::Clock::duration::zero()) {
        m_notifier.setEnabled(false);
        m_beat.start(std::chrono::ceil<std::chrono::milliseconds>(wait));
        return;
    }
    collect(false);
}

void TerminalReader::collect(bool onBeat) {
    const std::optional<std::size_t> got = readWaiting();
    if (!got) {
        stop();
        if (m_onHangUp) {
            m_onHangUp();
        }
        return;
    }
    if (m_pacer.afterRead(ReadPacer::Clock::now(), *got, onBeat) == ReadPacer::Next::Beat) {
        m_notifier.setEnabled(false);
        m_beat.start(ReadPacer::kPause);
    } else {
        m_notifier.setEnabled(true);
    }
    // Last: the handler may stop or restart the reader.
    if (*got > 0 && m_onInput) {
        m_onInput();
    }
}

std::optional<std::size_t> TerminalReader::readWaiting() {
    std::size_t got = 0;
    for (;;) {
        const ssize_t n = ::read(m_fd, m_chunk.data(), m_chunk.size());
        if (n > 0) {
            m_received.append(m_chunk.data(), static_cast<std::size_t>(n));
            got += static_cast<std::size_t>(n);
            if (static_cast<std::size_t>(n) < m_chunk.size() || got >= kMostPerRead) {
                return got;  // what the terminal had; more comes with the next call
            }
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        // With VMIN 0 a quiet line reads as end of file, like a device that went away; the
        // line's state tells them apart. A pseudo-terminal whose other side closed fails
        // with EIO.
        if (got == 0 && ((n < 0 && errno == EIO) || hungUp(m_fd))) {
            return std::nullopt;
        }
        return got;
    }
}

}  // namespace tremolex
