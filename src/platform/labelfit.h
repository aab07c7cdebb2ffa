#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/window.h"

namespace tremolex {

// How a label grows to fit the widest of the captions it may show, the same on every
// platform: each backend only measures texts in its font.
class LabelFit {
public:
    // The digit of `0`..`9` that `advance` says is widest (the first of equals).
    static char widestDigit(const std::function<int(char)>& advance);
    // The texts to measure: each caption with every digit turned into `widest`, each
    // shape once.
    static std::vector<std::string> shapes(const std::vector<std::string>& captions, char widest);

    struct Placed {
        PixelRect rect;
        int grownUp = 0;  // pixels the top lies above the place the layout gives
    };
    // The label's place for the size its shapes need, never smaller than its design place
    // `design`; `top` is where the layout puts its top.
    static Placed place(PixelRect design, PixelSize needed, WindowLabel::Growth growth, int top);
};

}  // namespace tremolex
