#include "chart/captions.h"

#include <cmath>
#include <cstdlib>

#include "settings/numtext.h"

namespace tremolex {

namespace {
// Beyond this a label shows nonsense anyway; it keeps the whole number exact.
constexpr double kLargestShown = 1e15;
}  // namespace

std::string scaleLabelText(float volts, std::string_view decimalSeparator) {
    if (!std::isfinite(volts) || std::fabs(volts) >= kLargestShown) {
        return "--V";
    }
    // A float times 100 is exact in double, so only the one rounding here happens.
    const auto hundredths =
        static_cast<std::int64_t>(std::round(static_cast<double>(volts) * 100.0));
    const std::int64_t magnitude = std::llabs(hundredths);
    std::string text = hundredths < 0 ? "-" : "";
    text += std::to_string(magnitude / 100);
    text += decimalSeparator;
    text += static_cast<char>('0' + magnitude % 100 / 10);
    text += static_cast<char>('0' + magnitude % 10);
    return text + 'V';
}

Caption valueCaption(float volts, std::int16_t count) {
    Caption caption;
    caption << std::string_view(numtext(volts)).substr(0, 5) << "V [" << count << "]";
    return caption;
}

Caption chargeTimeCaption(const ChargeTimes& times) {
    const double elapsed =
        std::floor(static_cast<double>(times.lasttime) - static_cast<double>(times.starttime));
    const auto seconds = elapsed >= 0 ? static_cast<std::int64_t>(std::fmin(elapsed, kLargestShown))
                                      : std::int64_t{0};
    Caption caption;
    caption << seconds / 60 << " min, " << seconds % 60 << " sec";
    return caption;
}

Caption storeFullCaption(std::int64_t rejected) {
    Caption caption;
    caption << "Store full: " << rejected << " new readings not stored";
    return caption;
}

}  // namespace tremolex
