#include "linemaker.h"

#include <array>
#include <cmath>

#include "converter.h"

namespace tremolex::cellsim {

namespace {

using namespace std::string_view_literals;

// Each one is a mistake a real device or a noisy line makes.
constexpr std::array kInvalidLines = {
    "abc"sv,   "+512"sv, "0512"sv,  "5.12"sv, "51 2"sv, "512x"sv,     "-"sv,
    "99999"sv, "-0"sv,   "\t512"sv, ""sv,     "5e2"sv,  "\x7f\x80"sv, "--5"sv,
    "5\0"sv,  // a NUL that a lax number reader would stop at
};

std::string_view endingText(LineEnding ending) {
    switch (ending) {
        case LineEnding::LineFeed:
            return "\n";
        case LineEnding::CrLf:
            return "\r\n";
        case LineEnding::None:
            return "";
    }
    return "\n";
}

}  // namespace

int countForVolts(double volts) {
    const double count = std::round(volts / kFullScaleVolts * kTopCount);
    if (!(count > 0)) {
        return 0;
    }
    return count >= kTopCount ? kTopCount : static_cast<int>(count);
}

LineMaker::LineMaker(const Settings& settings)
    : m_settings(settings),
      m_noiseEngine(settings.seed),
      m_garbageEngine(settings.seed ^ 0x9e3779b97f4a7c15ULL),
      m_noise(0.0, settings.noise > 0 ? settings.noise : 1.0) {}

int LineMaker::count(double volts) {
    if (m_settings.noise <= 0) {
        return countForVolts(volts);
    }
    return countForVolts(volts + m_noise(m_noiseEngine) * kFullScaleVolts / kTopCount);
}

std::string LineMaker::lines(double volts) {
    return linesForCount(count(volts));
}

std::string LineMaker::linesForCount(int count) {
    const std::string_view ending = endingText(m_settings.ending);
    std::string text;
    if (m_settings.garbage > 0 &&
        std::uniform_real_distribution<double>(0.0, 1.0)(m_garbageEngine) < m_settings.garbage) {
        const auto pick = std::uniform_int_distribution<std::size_t>(
            0, kInvalidLines.size() - 1)(m_garbageEngine);
        text.append(kInvalidLines[pick]).append(ending);
    }
    text.append(std::to_string(count)).append(ending);
    return text;
}

std::span<const std::string_view> LineMaker::invalidLines() {
    return kInvalidLines;
}

}  // namespace tremolex::cellsim
