#include "app/windowgeometry.h"

#include <algorithm>
#include <cmath>

#include "app/formlayout.h"
#include "settings/textnum.h"

namespace tremolex {

namespace {
constexpr double kLargestTwips = 1'000'000;
}  // namespace

float WindowGeometry::settingValue(std::string_view text, float fallback) {
    const auto value = static_cast<float>(textnum(text));
    return std::isfinite(value) && std::fabs(value) < kLargestTwips ? value : fallback;
}

WindowGeometry WindowGeometry::keptOnScreen(WindowGeometry window, std::span<const Rect> screens) {
    // The layout raises a smaller window to its minimum.
    const double width = std::max(window.width, FormLayout::kMinimumSize);
    const double height = std::max(window.height, FormLayout::kMinimumSize);
    const auto overlaps = [&](const Rect& s) {
        return window.left < s.left + s.width && s.left < window.left + width &&
               window.top < s.top + s.height && s.top < window.top + height;
    };
    if (!screens.empty() && std::none_of(screens.begin(), screens.end(), overlaps)) {
        const WindowGeometry defaults;
        window.left = defaults.left;
        window.top = defaults.top;
    }
    return window;
}

}  // namespace tremolex
