#pragma once

#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <string_view>

namespace tremolex::cellsim {

// The count of the device's 10-bit converter for `volts`: volts / 2.5 * 1023, rounded
// half away from zero and held to 0..1023 (NaN gives 0).
int countForVolts(double volts);

// How the device ends its lines.
enum class LineEnding {
    LineFeed,  // "512\n", as the device should
    CrLf,      // "512\r\n", which the program must reject
    None,      // "512512513...": a stream with no line feed at all
};

// Turns readings into the bytes the device sends. Noise and invalid lines are drawn from
// generators seeded with `seed`, so one seed gives the same bytes every time.
class LineMaker {
public:
    struct Settings {
        double noise = 0;    // standard deviation of Gaussian noise, in counts
        double garbage = 0;  // probability, 0..1, that an invalid line goes before a reading
        LineEnding ending = LineEnding::LineFeed;
        std::uint64_t seed = 0;
    };

    explicit LineMaker(const Settings& settings);

    // The count a reading of `volts` gives, noise added before rounding.
    int count(double volts);

    // The bytes of one reading of `volts`, an invalid line first when the draw says so.
    std::string lines(double volts);
    // The same for a reading that is already a count (no noise added).
    std::string linesForCount(int count);

    // Lines the program must drop (without their ending): each breaks the protocol one way.
    static std::span<const std::string_view> invalidLines();

private:
    Settings m_settings;
    std::mt19937_64 m_noiseEngine;
    std::mt19937_64 m_garbageEngine;  // apart, so invalid lines do not change the noise
    std::normal_distribution<double> m_noise;
};

}  // namespace tremolex::cellsim
