#include "platform/qt/terminalreader.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/posix/portdevice.h"

namespace tremolex {

namespace {

constexpr int kWakeupsPerSecond = 20;
constexpr int kMostPatience = 16;
constexpr int kCalmSeconds = 10;

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
            countWakeup();
            collect(true);
        }
    });
}

void TerminalReader::start(int fd) {
    stop();
    m_fd = fd;
    m_notifier.setSocket(fd);
    m_sinceRead.invalidate();
    watch();
}

void TerminalReader::stop() {
    m_notifier.setEnabled(false);
    m_beat.stop();
    m_fd = -1;
}

void TerminalReader::watch() {
    m_quietBeats = 0;
    m_notifier.setEnabled(true);
}

void TerminalReader::beat() {
    m_beat.start(kPause);
}

void TerminalReader::countWakeup() {
    // Text that keeps coming just after the line is watched again (a line that arrives in
    // pieces, a rate close to one line a pause) would wake the thread twice a pause: such
    // a second makes the beat more patient; calm ones make it eager to watch again.
    if (!m_second.isValid() || m_second.elapsed() >= 1000) {
        if (m_wakeups > kWakeupsPerSecond) {
            m_patience = std::min(2 * m_patience, kMostPatience);
            m_calmSeconds = 0;
        } else if (++m_calmSeconds >= kCalmSeconds && m_patience > 1) {
            m_patience /= 2;
            m_calmSeconds = 0;
        }
        m_second.start();
        m_wakeups = 0;
    }
    ++m_wakeups;
}

void TerminalReader::readable() {
    countWakeup();
    m_notifier.setEnabled(false);
    if (m_sinceRead.isValid() && m_sinceRead.elapsed() < kPause.count()) {
        m_quietBeats = 0;
        m_beat.start(kPause - std::chrono::milliseconds(m_sinceRead.elapsed()));
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
    if (*got >= kBacklog) {
        m_sinceRead.invalidate();
        watch();
    } else if (*got > 0) {
        // Text on a silent line is read at once and the line watched again, so a slow
        // line wakes the thread once a line; text coming within the pause starts the beat.
        m_sinceRead.start();
        m_quietBeats = 0;
        onBeat ? beat() : watch();
    } else if (++m_quietBeats >= m_patience) {
        watch();
    } else {
        beat();
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
