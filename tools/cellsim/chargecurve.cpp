#include "chargecurve.h"

#include <algorithm>
#include <cmath>

#include "fastrandom.h"

namespace tremolex::cellsim {

// The ranges below come from these published sources:
//  - Duracell, "Ni-MH Rechargeable Batteries" (technical bulletin): the voltage at constant
//    current climbs along a plateau, rises steeply near full charge, peaks and then drops
//    (-dV); at low rates (C/10) there is only a plateau and no usable drop.
//  - Energizer Battery Manufacturing, "Nickel Metal Hydride (NiMH) Handbook and Application
//    Manual": charge voltage of a cell at 1C, 0.5C and 0.1C at 20 °C, peaks of about
//    1.45-1.52 V, lower at lower rates, charge input of 110-130 % at the peak.
//  - D. Linden, T. B. Reddy, "Handbook of Batteries" (McGraw-Hill), the sealed nickel-cadmium
//    and portable nickel-metal hydride chapters: NiCd ends on a sharper rise and a larger
//    drop (10-20 mV per cell at 1C) than NiMH.
//  - Battery University (Cadex Electronics), "BU-408: Charging Nickel-metal-hydride": the
//    NiMH drop is small, about 5 mV per cell, and hard to see below 0.5C; a C/10 charge
//    takes about 15 hours.
//  - Maxim Integrated, "MAX712/MAX713 NiCd/NiMH Battery Fast-Charge Controllers" (data
//    sheet): NiMH cells at about 1C charged over 60-90 min to the -dV and zero-slope cutoffs.
//  - PowerStream, "NiMH Charging", and ABT Power, "Ni-MH charger charging curve": new or
//    deeply discharged cells show a bump early in the charge, which is why chargers hold
//    their slope detection off for the first minutes.
// The fall after the peak is given a time scale of a few minutes at 1C and 0.5C, as the
// data sheet figures show it; the sources give its size, not its speed.

namespace {

constexpr double kMinute = 60;
constexpr double kHour = 3600;

struct Ranges {
    double peakMinutes[2];
    double peakVolts[2];
    double finalRise[2];
    double riseMinutes[2];
    double plateauRise[2];
    double fall[2];
    double fallMinutes[2];
    double afterPeakMinutes;  // how long the capture runs on after the peak
};

constexpr Ranges kNiMH1C = {{60, 80},     {1.45, 1.52},   {0.04, 0.08}, {5, 10},
                            {0.03, 0.07}, {0.005, 0.012}, {1, 2.5},     25};
constexpr Ranges kNiMHHalfC = {{130, 160},   {1.43, 1.48},   {0.03, 0.06}, {10, 20},
                               {0.03, 0.06}, {0.005, 0.010}, {1.5, 3},     30};
constexpr Ranges kNiCd1C = {{60, 75},     {1.45, 1.55},   {0.06, 0.11}, {4, 8},
                            {0.04, 0.08}, {0.010, 0.020}, {1, 2.5},     25};
constexpr Ranges kNiMHTenthC = {{13 * 60, 16 * 60}, {1.42, 1.48}, {0.03, 0.06}, {45, 90},
                                {0.04, 0.07},       {0, 0.002},   {60, 120},    240};

constexpr double kDeeplyDischarged = 0.3;  // share of charges that start with the bump

double draw(FastRandom& random, const double (&range)[2]) {
    return random.between(range[0], range[1]);
}

ChargeCurve::Shape chargeShape(const Ranges& r, FastRandom& random, bool deeplyDischarged) {
    ChargeCurve::Shape s;
    s.peakSeconds = draw(random, r.peakMinutes) * kMinute;
    s.peakVolts = draw(random, r.peakVolts);
    s.finalRise = draw(random, r.finalRise);
    s.riseWidth = draw(random, r.riseMinutes) * kMinute;
    s.plateauRise = draw(random, r.plateauRise);
    s.fall = draw(random, r.fall);
    s.fallWidth = draw(random, r.fallMinutes) * kMinute;
    if (deeplyDischarged) {
        // From about 1.0-1.1 V up past the plateau within a minute or two, then back down.
        s.startDeficit = random.between(0.2, 0.35);
        s.startWidth = random.between(30, 90);
        s.bumpHeight = random.between(0.02, 0.06);
        s.bumpSeconds = random.between(60, 180);
    } else {
        s.startDeficit = random.between(0.05, 0.15);
        s.startWidth = random.between(30, 120);
    }
    return s;
}

const Ranges& fastCharge(FastRandom& random) {
    const Ranges* const kinds[] = {&kNiMH1C, &kNiMHHalfC, &kNiCd1C};
    return *kinds[random.next() % 3];
}

}  // namespace

ChargeCurve::ChargeCurve(Kind kind, std::uint64_t seed) : m_kind(kind) {
    FastRandom random(seed);
    const auto charge = [&](const Ranges& ranges) {
        m_shape = chargeShape(ranges, random, random.unit() < kDeeplyDischarged);
        m_end = m_shape.peakSeconds;  // the shape peaks there by construction
        m_length = m_shape.peakSeconds + ranges.afterPeakMinutes * kMinute;
    };
    switch (kind) {
        case Kind::NiMH1C:
            charge(kNiMH1C);
            break;
        case Kind::NiMHHalfC:
            charge(kNiMHHalfC);
            break;
        case Kind::NiCd1C:
            charge(kNiCd1C);
            break;
        case Kind::NiMHTenthC:
            charge(kNiMHTenthC);
            break;
        case Kind::Stopped80:
            m_shape = chargeShape(fastCharge(random), random, random.unit() < kDeeplyDischarged);
            m_length = 0.8 * m_shape.peakSeconds;
            break;
        case Kind::Steady:
            m_shape.level = random.between(1.20, 1.45);
            m_length = random.between(30, 180) * kMinute;
            break;
        case Kind::Drift:
            m_shape.level = random.between(1.25, 1.45);
            m_shape.drift = random.sign() * random.between(0.001, 0.010) / kHour;
            m_length = random.between(60, 240) * kMinute;
            break;
        case Kind::Bump:
            m_shape = chargeShape(kNiMH1C, random, true);
            m_length = random.between(10, 40) * kMinute;
            break;
    }
    // A few thousand points: interpolating them is far cheaper than the exponentials, and
    // off by well under a microvolt, as the curve bends over minutes.
    m_step = std::max(1.0, m_length / 3000);
    if (m_end) {
        m_step = *m_end / std::ceil(*m_end / m_step);  // a point on the peak keeps it the highest
    }
    const auto points = static_cast<std::size_t>(m_length / m_step) + 2;
    m_table.reserve(points);
    for (std::size_t i = 0; i < points; ++i) {
        m_table.push_back(exactVolts(static_cast<double>(i) * m_step));
    }
}

std::optional<ChargeCurve::Kind> ChargeCurve::kindNamed(std::string_view name) {
    for (const Kind kind : kKinds) {
        if (name == nameOf(kind)) {
            return kind;
        }
    }
    return std::nullopt;
}

std::string_view ChargeCurve::nameOf(Kind kind) {
    switch (kind) {
        case Kind::NiMH1C:
            return "nimh-1c";
        case Kind::NiMHHalfC:
            return "nimh-0.5c";
        case Kind::NiCd1C:
            return "nicd-1c";
        case Kind::NiMHTenthC:
            return "nimh-0.1c";
        case Kind::Stopped80:
            return "stopped-80";
        case Kind::Steady:
            return "steady";
        case Kind::Drift:
            return "drift";
        case Kind::Bump:
            return "bump";
    }
    return {};
}

double ChargeCurve::volts(double seconds) const {
    const double at = std::max(seconds, 0.0) / m_step;
    const auto i = static_cast<std::size_t>(at);
    if (i + 1 >= m_table.size()) {
        return exactVolts(seconds);
    }
    const double part = at - static_cast<double>(i);
    return m_table[i] + (m_table[i + 1] - m_table[i]) * part;
}

// Before the peak the curve is the peak less the final rise and the plateau, counted back
// from the peak; after it, the peak less the fall. Each part is flat where it meets the
// peak, so the peak is exactly at peakSeconds. The start's terms have died out by then
// (e^-30 and less).
double ChargeCurve::exactVolts(double seconds) const {
    const Shape& s = m_shape;
    const double t = std::max(seconds, 0.0);
    if (m_kind == Kind::Steady || m_kind == Kind::Drift) {
        return s.level + s.drift * t;
    }
    double volts = s.peakVolts;
    if (t <= s.peakSeconds) {
        const double back = s.peakSeconds - t;
        const double rise = back / s.riseWidth;
        volts -= s.finalRise * (1 - std::exp(-rise * rise));
        volts -= s.plateauRise / s.peakSeconds * back * (1 - std::exp(-rise));
    } else {
        const double after = (t - s.peakSeconds) / s.fallWidth;
        volts -= s.fall * (1 - std::exp(-after * after));
    }
    volts -= s.startDeficit * std::exp(-t / s.startWidth);
    if (s.bumpHeight > 0) {
        const double bump = t / s.bumpSeconds;
        volts += s.bumpHeight * bump * std::exp(1 - bump);
    }
    return volts;
}

}  // namespace tremolex::cellsim
