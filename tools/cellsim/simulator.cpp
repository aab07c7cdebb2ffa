#include "simulator.h"

#include <algorithm>
#include <random>
#include <string>

#include "platform/posix/portdevice.h"

namespace tremolex::cellsim {

namespace {

using namespace std::chrono_literals;

// While nobody has the port open the master only says so by a hang-up, which poll()
// reports at once and all the time: look again this often instead.
constexpr auto kReaderLook = 20ms;
constexpr auto kWriteRetry = 100ms;
constexpr double kDrainLimit = 2;  // seconds

// Where the link points while the device is away: a name that does not exist, as a
// by-id link does while its device is unplugged. The old /dev/pts name must not stay, as
// the next terminal opened on the machine may get it.
constexpr const char* kAwayTarget = "cellsim-device-unplugged";

std::chrono::nanoseconds nanoseconds(double seconds) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::duration<double>(seconds));
}

std::uint64_t seedOf(const Options& options) {
    return options.seed ? *options.seed : std::random_device{}();
}

}  // namespace

Simulator::Simulator(const Options& options, StopSignals& signals, std::ostream& out,
                     std::ostream& log)
    : m_options(options),
      m_signals(signals),
      m_out(out),
      m_log(log),
      m_profile(options.profile, options.volts.value_or(Profile::kDefaultLevel)),
      m_seed(seedOf(options)),
      m_maker({options.noise, options.garbage, options.ending, m_seed}),
      m_pacer({options.interval, options.speed, options.baud, options.burst}) {
    if (options.charge) {
        m_curve.emplace(*options.charge, m_seed);
        m_readings.emplace(*m_curve, options.interval, m_seed);
    }
}

double Simulator::now() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
}

int Simulator::run() {
    if (!m_terminal.open()) {
        m_log << "cellsim: " << m_terminal.error() << '\n';
        return kExitFailed;
    }
    switch (m_link.claim(m_options.port, m_terminal.devicePath())) {
        case PortLink::Outcome::Made:
            break;
        case PortLink::Outcome::Taken:
            m_log << "cellsim: port " << *m_options.port << " is taken: " << m_link.entry()
                  << " exists and was not made by this cellsim, so it is left alone.\n"
                  << "Choose another --port, or remove the entry if it is left over from a "
                     "simulator that was killed.\n";
            return kExitPortTaken;
        case PortLink::Outcome::NoneFree:
            m_log << "cellsim: no free port: com1..com" << PortLink::kHighestAutomaticPort
                  << " all exist in " << portsDirectory() << "; choose one with --port\n";
            return kExitPortTaken;
        case PortLink::Outcome::Failed:
            m_log << "cellsim: cannot make the port link: " << m_link.error() << '\n';
            return kExitFailed;
    }
    m_out << m_link.port() << std::endl;
    m_log << "cellsim: port " << m_link.port() << " is " << m_terminal.devicePath() << " (";
    if (m_curve) {
        m_log << ChargeCurve::nameOf(m_curve->kind()) << " seed " << m_seed;
    } else {
        m_log << Profile::nameOf(m_options.profile);
    }
    m_log << ", a reading every " << m_options.interval / m_options.speed
          << " s); readings start when a program "
          << "opens it" << std::endl;

    const int status = loop();
    if (status == kExitStopped && !m_signals.requested()) {
        drain();
    }
    m_link.release();
    m_terminal.close();
    m_log << "cellsim: stopped after " << m_index << " readings; port " << m_link.port()
          << " removed" << std::endl;
    return status;
}

void Simulator::noticeReader(bool present) {
    if (present == m_listening) {
        return;
    }
    m_listening = present;
    if (present) {
        m_pacer.restart(m_index, now());
        m_log << "cellsim: a program opened port " << m_link.port() << std::endl;
    } else {
        m_log << "cellsim: port " << m_link.port()
              << " was closed; readings wait until it is opened again" << std::endl;
    }
}

int Simulator::loop() {
    std::string pending;  // bytes of the latest reading the kernel has not taken yet
    std::uint64_t lastDisconnect = 0;
    while (!m_signals.requested()) {
        m_terminal.discardInput();
        const bool reader = m_terminal.readerPresent();
        noticeReader(reader);
        if (!pending.empty()) {
            if (!reader) {
                m_signals.wait(-1, 0, kReaderLook);
                continue;
            }
            const ssize_t taken = m_terminal.write(pending);
            if (taken < 0) {
                m_log << "cellsim: writing to " << m_terminal.devicePath() << " failed\n";
                return kExitFailed;
            }
            pending.erase(0, static_cast<std::size_t>(taken));
            if (!pending.empty()) {
                m_signals.wait(m_terminal.fd(), POLLOUT, kWriteRetry);
            }
            continue;
        }
        if (m_options.count && m_index >= *m_options.count) {
            return kExitStopped;
        }
        if (m_options.disconnectAfter && m_index > 0 && m_index % *m_options.disconnectAfter == 0 &&
            m_index != lastDisconnect) {
            lastDisconnect = m_index;
            if (!disconnect()) {
                return kExitFailed;
            }
            continue;
        }
        if (!reader) {
            m_signals.wait(-1, 0, kReaderLook);
            continue;
        }
        const double wait = m_pacer.dueAt(m_index) - now();
        if (wait > 0) {
            // Wakes early when the program closes the port (a hang-up) or writes.
            m_signals.wait(m_terminal.fd(), POLLIN, nanoseconds(wait));
            continue;
        }
        if (m_readings) {
            const auto slot = m_readings->next();
            if (!slot) {
                return kExitStopped;  // the capture is over
            }
            ++m_index;
            if (!slot->count) {
                continue;  // the device pauses: this reading never comes
            }
            pending = m_maker.linesForCount(*slot->count);
        } else {
            pending = m_maker.lines(m_profile.volts(m_options.from + static_cast<double>(m_index) *
                                                                         m_options.interval));
            ++m_index;
        }
        m_pacer.sent(now(), pending.size());
    }
    return kExitStopped;
}

bool Simulator::disconnect() {
    drain();
    m_log << "cellsim: port " << m_link.port() << " goes away for " << m_options.pause
          << " s after " << m_index << " readings" << std::endl;
    m_terminal.close();
    m_listening = false;
    if (!m_link.retarget(kAwayTarget)) {
        m_log << "cellsim: " << m_link.error() << '\n';
        return false;
    }
    const double back = now() + m_options.pause;
    while (!m_signals.requested() && now() < back) {
        m_signals.wait(-1, 0, nanoseconds(back - now()));
    }
    if (m_signals.requested()) {
        return true;
    }
    if (!m_terminal.open()) {
        m_log << "cellsim: " << m_terminal.error() << '\n';
        return false;
    }
    if (!m_link.retarget(m_terminal.devicePath())) {
        m_log << "cellsim: " << m_link.error() << '\n';
        return false;
    }
    m_log << "cellsim: port " << m_link.port() << " is back as " << m_terminal.devicePath()
          << std::endl;
    return true;
}

// Closing the terminal throws away what the program has not read yet, and a real line
// delivers the last line before the device goes away.
void Simulator::drain() {
    const double limit = std::max(now(), m_pacer.lineFreeAt()) + kDrainLimit;
    while (!m_signals.requested() && now() < limit && m_terminal.readerPresent()) {
        if (now() >= m_pacer.lineFreeAt() && m_terminal.unread() <= 0) {
            return;
        }
        m_signals.wait(-1, 0, kReaderLook / 2);
    }
}

}  // namespace tremolex::cellsim
