#pragma once

#include <span>
#include <string>
#include <string_view>

namespace tremolex {

// The window's stored place and size, in twips, and the rules that keep a hand-edited
// or out-of-date setting from losing the window.
struct WindowGeometry {
    float left = 4000;
    float top = 3000;
    float width = 8000;
    float height = 8000;

    struct Rect {
        double left, top, width, height;
    };

    // A stored number as the window takes it: textnum as single precision, or
    // `fallback` when it is beyond what any window can be (not finite, or a million
    // twips and more either way: over 17 metres).
    static float settingValue(std::string_view text, float fallback);

    // A window that would lie entirely outside every screen (a monitor was removed) goes
    // to the default position; one that is partly on a screen stays where it is.
    static WindowGeometry keptOnScreen(WindowGeometry window, std::span<const Rect> screens);
};

}  // namespace tremolex
