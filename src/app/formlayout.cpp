#include "app/formlayout.h"

#include <algorithm>

#include "settings/textnum.h"

namespace tremolex {

FormLayout::Size FormLayout::windowSize(Size outer) {
    return {std::max(outer.width, kMinimumSize), std::max(outer.height, kMinimumSize)};
}

FormLayout::Size FormLayout::chartSize(Size client) {
    return {client.width - (kChartWidthMargin - kDesignDecorationsWidth),
            client.height - (kChartHeightMargin - kDesignDecorationsHeight)};
}

std::int32_t FormLayout::gridstep(float chartHeight) {
    return static_cast<std::int32_t>(roundHalfEven(static_cast<double>(chartHeight) / 14));
}

std::array<float, 7> FormLayout::labelTops(float chartTop, std::int32_t gridstep) {
    std::array<float, 7> tops{};
    for (int m = 1, label = 6; label >= 0; m += 2, --label) {  // lab7 first, with m = 1
        tops[static_cast<std::size_t>(label)] =
            static_cast<float>(static_cast<double>(chartTop) + m * gridstep - kLabelOffset);
    }
    return tops;
}

}  // namespace tremolex
