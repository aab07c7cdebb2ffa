#pragma once

#include <array>
#include <cstdint>

namespace tremolex {

// Where the window's resizable parts go, in twips (1440 to the inch): the chart grows
// with the window, and the seven scale labels sit beside every second grid line.
class FormLayout {
public:
    static constexpr float kMinimumSize = 7000;  // outer width and height
    // The chart is this much narrower and lower than the outer frame of the design, whose
    // decorations (borders, caption and menu bar) take 120 by 690.
    static constexpr float kChartWidthMargin = 1125;
    static constexpr float kChartHeightMargin = 2415;
    static constexpr float kDesignDecorationsWidth = 120;
    static constexpr float kDesignDecorationsHeight = 690;
    static constexpr float kChartLeft = 900;
    static constexpr float kChartTop = 1320;
    static constexpr float kLabelOffset = 110;  // a label's top above its grid line

    struct Size {
        float width = 0;
        float height = 0;
    };

    // The window's size once the minimum is kept (exactly 7000 is left alone).
    static Size windowSize(Size outer);
    // The chart's size for the client area below the menu bar. The decorations of a real
    // desktop differ from the design's, so the chart keeps its margins inside the client
    // area the window really has; with the design's decorations this is the outer size less
    // 1125 by 2415.
    static Size chartSize(Size client);
    // A fourteenth of the chart's height as the chart reports it, halves to even.
    static std::int32_t gridstep(float chartHeight);
    // Tops of lab1 (bottom of the voltage window) .. lab7: lab7 beside the second line from
    // the top, each other one two lines further down.
    static std::array<float, 7> labelTops(float chartTop, std::int32_t gridstep);
};

}  // namespace tremolex
