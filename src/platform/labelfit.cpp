#include "platform/labelfit.h"

#include <algorithm>

namespace tremolex {

char LabelFit::widestDigit(const std::function<int(char)>& advance) {
    char widest = '0';
    for (char digit = '1'; digit <= '9'; ++digit) {
        if (advance(digit) > advance(widest)) {
            widest = digit;
        }
    }
    return widest;
}

std::vector<std::string> LabelFit::shapes(const std::vector<std::string>& captions, char widest) {
    std::vector<std::string> shapes;
    for (std::string caption : captions) {
        std::ranges::replace_if(
            caption, [](char c) { return c >= '0' && c <= '9'; }, widest);
        if (std::ranges::find(shapes, caption) == shapes.end()) {
            shapes.push_back(std::move(caption));
        }
    }
    return shapes;
}

LabelFit::Placed LabelFit::place(PixelRect design, PixelSize needed, WindowLabel::Growth growth,
                                 int top) {
    const int width = std::max(needed.width, design.width);
    const int height = std::max(needed.height, design.height);
    const bool left = growth == WindowLabel::Growth::LeftAndBothWays;
    const int grownUp = left ? (height - design.height) / 2 : 0;
    const int x = left ? design.x - (width - design.width) : design.x;
    return {{x, top - grownUp, width, height}, grownUp};
}

}  // namespace tremolex
