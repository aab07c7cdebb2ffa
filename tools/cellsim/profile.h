#pragma once

#include <optional>
#include <string_view>

namespace tremolex::cellsim {

// What the simulated device measures: the cell voltage as a function of time since the
// charge began. The charge curves follow published shapes for a cell charged at 1C.
class Profile {
public:
    enum class Kind { NiMH, NiCd, Ramp, Constant, Sine };

    static constexpr double kDefaultLevel = 1.25;   // volts
    static constexpr double kSineAmplitude = 0.25;  // volts
    static constexpr double kSinePeriod = 60.0;     // seconds
    static constexpr double kRampLength = 1024.0;   // seconds until the ramp starts again

    // `level` is the voltage of `constant` and the middle of `sine`; the others ignore it.
    explicit Profile(Kind kind, double level = kDefaultLevel) : m_kind(kind), m_level(level) {}

    // "nimh", "nicd", "ramp", "constant", "sine"; nothing for any other name.
    static std::optional<Kind> kindNamed(std::string_view name);
    static std::string_view nameOf(Kind kind);

    Kind kind() const { return m_kind; }

    // Volts at `seconds` (>= 0) after the start.
    //  nimh: about 1.25 V, a slow rise, a steep rise to a peak of 1.485 V at 66 min, then a
    //        drop of about 12 mV (-dV) that levels off; flat from 90 min on.
    //  nicd: 1.20 V, a lower plateau, a peak of 1.47 V at 65 min, then a sharper drop of
    //        about 45 mV within 10 min.
    //  ramp: one count (2.5 V / 1023) a second from 0 V: at whole second s the count is
    //        exactly s mod 1024.
    //  constant: level.  sine: level + 0.25 V * sin(2 pi seconds / 60 s).
    double volts(double seconds) const;
    // Seconds from the start to the peak of nimh and nicd (the end of the charge); nothing for
    // the others.
    std::optional<double> endSeconds() const;

private:
    Kind m_kind;
    double m_level;
};

}  // namespace tremolex::cellsim
