#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tremolex::cellsim {

// One simulated charge of one cell, or a capture that never ends, drawn from a seed within
// published ranges: the noise-free voltage over charge time and, for a charge, its true
// end (the peak of that voltage). ChargeReadings turns it into what a device reports.
class ChargeCurve {
public:
    enum class Kind {
        NiMH1C,      // NiMH at 1C: peak near 1.5 V after 60-80 min, then -dV of 5-12 mV
        NiMHHalfC,   // NiMH at 0.5C: lower peak after 130-160 min, smaller -dV
        NiCd1C,      // NiCd at 1C: steeper final rise, -dV of 10-20 mV
        NiMHTenthC,  // NiMH at C/10: 13-16 h, a gentle final rise and a flat end (no clear -dV)
        Stopped80,   // a fast charge stopped at 80 % of its charge, before any peak
        Steady,      // a steady voltage
        Drift,       // a slow drift up or down, up to 10 mV an hour
        Bump,        // the early bump of a deeply discharged cell, then the plateau, no end
    };
    static constexpr std::array kKinds = {Kind::NiMH1C,     Kind::NiMHHalfC, Kind::NiCd1C,
                                          Kind::NiMHTenthC, Kind::Stopped80, Kind::Steady,
                                          Kind::Drift,      Kind::Bump};

    ChargeCurve(Kind kind, std::uint64_t seed);

    // "nimh-1c", "nimh-0.5c", "nicd-1c", "nimh-0.1c", "stopped-80", "steady", "drift",
    // "bump"; nothing for any other name.
    static std::optional<Kind> kindNamed(std::string_view name);
    static std::string_view nameOf(Kind kind);

    Kind kind() const { return m_kind; }
    // Volts of the noise-free curve at `seconds` of charge time (before 0: as at 0).
    double volts(double seconds) const;
    // Charge time of the true peak; nothing for a capture that never ends.
    std::optional<double> endSeconds() const { return m_end; }
    // Charge time at which the capture stops (for a charge: well after its end).
    double lengthSeconds() const { return m_length; }

    // The shape, in volts and seconds. A charge climbs along a plateau to a final rise
    // that tops out at `peakVolts` at `peakSeconds`, then falls by `fall`; the start adds
    // the quick climb of a cell put on charge and, for a deeply discharged one, a bump.
    struct Shape {
        double peakVolts = 1.45;
        double peakSeconds = 3600;
        double finalRise = 0.06;    // the last steep climb, below the peak
        double riseWidth = 420;     // its time scale
        double plateauRise = 0.05;  // the climb from the start to the final rise
        double fall = 0.008;        // -dV after the peak
        double fallWidth = 150;     // its time scale
        double startDeficit = 0.1;  // below the plateau at the start, made up quickly
        double startWidth = 60;
        double bumpHeight = 0;     // the early bump of a deeply discharged cell
        double bumpSeconds = 120;  // when it tops out
        double level = 1.3;        // Steady and Drift: the voltage at the start
        double drift = 0;          // Drift: volts a second
    };
    const Shape& shape() const { return m_shape; }

private:
    double exactVolts(double seconds) const;

    Kind m_kind;
    Shape m_shape;
    std::optional<double> m_end;
    double m_length = 0;
    double m_step = 1;            // seconds between the table's points
    std::vector<double> m_table;  // exactVolts every m_step seconds, read with interpolation
};

}  // namespace tremolex::cellsim
