#include "profile.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <span>

#include "converter.h"

namespace tremolex::cellsim {

namespace {

struct Knot {
    double minute;
    double volts;
};

// Points read off published 1C charge curves. The curve between them is a monotone cubic,
// so it never overshoots a knot: the peak and the bottom of the drop are where the table
// puts them, and it rises or falls only where the table does.
constexpr std::array<Knot, 15> kNiMH = {{{0, 1.250},
                                         {2, 1.290},
                                         {5, 1.320},
                                         {10, 1.340},
                                         {20, 1.360},
                                         {30, 1.375},
                                         {40, 1.390},
                                         {50, 1.410},
                                         {55, 1.430},
                                         {60, 1.455},
                                         {63, 1.475},
                                         {66, 1.485},
                                         {70, 1.479},
                                         {75, 1.475},
                                         {90, 1.473}}};

constexpr std::array<Knot, 16> kNiCd = {{{0, 1.200},
                                         {2, 1.260},
                                         {5, 1.280},
                                         {10, 1.290},
                                         {20, 1.300},
                                         {30, 1.310},
                                         {40, 1.320},
                                         {50, 1.340},
                                         {55, 1.360},
                                         {60, 1.400},
                                         {63, 1.450},
                                         {65, 1.470},
                                         {67, 1.455},
                                         {70, 1.435},
                                         {75, 1.425},
                                         {90, 1.420}}};

double secant(std::span<const Knot> knots, std::size_t i) {
    return (knots[i + 1].volts - knots[i].volts) / (knots[i + 1].minute - knots[i].minute);
}

// Fritsch-Butland slope at knot i: zero at a local extreme, which keeps the curve monotone
// between knots.
double slopeAt(std::span<const Knot> knots, std::size_t i) {
    if (i == 0) {
        return secant(knots, 0);
    }
    if (i == knots.size() - 1) {
        return secant(knots, i - 1);
    }
    const double before = secant(knots, i - 1);
    const double after = secant(knots, i);
    if (before * after <= 0) {
        return 0;
    }
    const double h0 = knots[i].minute - knots[i - 1].minute;
    const double h1 = knots[i + 1].minute - knots[i].minute;
    return 3 * (h0 + h1) / ((2 * h1 + h0) / before + (h1 + 2 * h0) / after);
}

double interpolate(std::span<const Knot> knots, double minute) {
    if (!(minute > knots.front().minute)) {
        return knots.front().volts;
    }
    if (minute >= knots.back().minute) {
        return knots.back().volts;
    }
    std::size_t i = 0;
    while (knots[i + 1].minute <= minute) {
        ++i;
    }
    const double h = knots[i + 1].minute - knots[i].minute;
    const double t = (minute - knots[i].minute) / h;
    const double t2 = t * t;
    const double t3 = t2 * t;
    return (2 * t3 - 3 * t2 + 1) * knots[i].volts + (t3 - 2 * t2 + t) * h * slopeAt(knots, i) +
           (-2 * t3 + 3 * t2) * knots[i + 1].volts + (t3 - t2) * h * slopeAt(knots, i + 1);
}

}  // namespace

std::optional<Profile::Kind> Profile::kindNamed(std::string_view name) {
    for (const Kind kind : {Kind::NiMH, Kind::NiCd, Kind::Ramp, Kind::Constant, Kind::Sine}) {
        if (name == nameOf(kind)) {
            return kind;
        }
    }
    return std::nullopt;
}

std::string_view Profile::nameOf(Kind kind) {
    switch (kind) {
        case Kind::NiMH:
            return "nimh";
        case Kind::NiCd:
            return "nicd";
        case Kind::Ramp:
            return "ramp";
        case Kind::Constant:
            return "constant";
        case Kind::Sine:
            return "sine";
    }
    return {};
}

std::optional<double> Profile::endSeconds() const {
    // The curve is monotone between knots, so it peaks on the highest one.
    const auto peak = [](std::span<const Knot> knots) {
        return std::max_element(knots.begin(), knots.end(),
                                [](const Knot& a, const Knot& b) { return a.volts < b.volts; })
                   ->minute *
               60;
    };
    switch (m_kind) {
        case Kind::NiMH:
            return peak(kNiMH);
        case Kind::NiCd:
            return peak(kNiCd);
        default:
            return std::nullopt;
    }
}

double Profile::volts(double seconds) const {
    switch (m_kind) {
        case Kind::NiMH:
            return interpolate(kNiMH, seconds / 60);
        case Kind::NiCd:
            return interpolate(kNiCd, seconds / 60);
        case Kind::Ramp:
            return std::fmod(seconds, kRampLength) / kTopCount * kFullScaleVolts;
        case Kind::Constant:
            return m_level;
        case Kind::Sine:
            return m_level +
                   kSineAmplitude * std::sin(2 * std::numbers::pi * seconds / kSinePeriod);
    }
    return 0;
}

}  // namespace tremolex::cellsim
