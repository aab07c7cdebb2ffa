#pragma once

#include <cstddef>
#include <cstdint>

namespace tremolex::cellsim {

// When each reading goes out, in seconds of real time. Reading i is measured at simulated
// time i * interval; time-lapse runs simulated time `speed` times faster. A line never
// goes out faster than the serial line carries it: 10 bits a byte (start, 8 data, stop) at
// `baud`, so when the schedule asks for more the readings simply come later.
class Pacer {
public:
    struct Settings {
        double interval = 1;  // simulated seconds between readings, > 0
        double speed = 1;     // time-lapse factor, > 0
        int baud = 19200;     // > 0
        int burst = 1;        // readings held back and sent together, >= 1
    };

    explicit Pacer(const Settings& settings) : m_settings(settings) {}

    // Seconds the line needs for `bytes` at `baud`.
    static double lineSeconds(std::size_t bytes, int baud);

    // Real seconds between two readings: interval / speed.
    double period() const { return m_settings.interval / m_settings.speed; }

    // The earliest time reading `index` may go out. With bursts, a group of `burst`
    // readings goes out together once its last one is measured.
    double dueAt(std::uint64_t index) const;

    // The line carried `bytes` from `start` on: it is busy until their last bit is out.
    void sent(double start, std::size_t bytes);

    // When the line is free again.
    double lineFreeAt() const { return m_lineFreeAt; }

    // Moves the schedule so that reading `index` is due at `now`: after a time with nobody
    // listening the readings go on from there instead of rushing to catch up.
    void restart(std::uint64_t index, double now);

private:
    double scheduledOffset(std::uint64_t index) const;

    Settings m_settings;
    double m_origin = 0;
    double m_lineFreeAt = 0;
};

}  // namespace tremolex::cellsim
