#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <ostream>

#include "chargecurve.h"
#include "chargereadings.h"
#include "deviceterminal.h"
#include "linemaker.h"
#include "options.h"
#include "pacer.h"
#include "portlink.h"
#include "profile.h"
#include "stopsignals.h"

namespace tremolex::cellsim {

// Exit statuses of cellsim.
inline constexpr int kExitStopped = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitBadArguments = 2;
inline constexpr int kExitPortTaken = 3;

// The simulated device at work: a pseudo-terminal attached as a port, readings written to
// it on schedule, the link removed at the end. Readings go out only while a program has
// the port open; they wait otherwise, so none is lost.
class Simulator {
public:
    // `out` gets the port number, `log` what happens, for a person.
    Simulator(const Options& options, StopSignals& signals, std::ostream& out, std::ostream& log);

    // Runs until --count readings are out or a stop is requested; returns the exit status.
    int run();

    std::uint64_t readingsSent() const { return m_index; }

private:
    int loop();
    bool disconnect();
    // Waits, boundedly, until the program has read what was written.
    void drain();
    double now() const;
    void noticeReader(bool present);

    Options m_options;
    StopSignals& m_signals;
    std::ostream& m_out;
    std::ostream& m_log;
    Profile m_profile;
    std::uint64_t m_seed;
    std::optional<ChargeCurve> m_curve;        // a simulated charge, when asked for
    std::optional<ChargeReadings> m_readings;  // its readings
    LineMaker m_maker;
    Pacer m_pacer;
    DeviceTerminal m_terminal;
    PortLink m_link;
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
    std::uint64_t m_index = 0;  // readings made so far
    bool m_listening = false;   // a program had the port open at the last look
};

}  // namespace tremolex::cellsim
