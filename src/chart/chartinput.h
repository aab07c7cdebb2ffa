#pragma once

#include <cstdint>
#include <optional>

#include "chart/chart.h"
#include "platform/window.h"
#include "state/samplestore.h"

namespace tremolex {

// The chart read with the pointer and the keys: the reading under the pointer in the strip;
// a click sets a measuring cursor and the arrow keys move it (Shift: by a grid column), Tab
// switches between A and B, Esc clears them; a drag zooms to the readings it spans, the
// wheel zooms around the pointer, a drag with the right button or the wheel with Shift
// moves the zoomed stretch (so does a sideways wheel), Esc breaks a drag off, and Home (or
// View > Whole Charge) shows the whole charge again.
class ChartInput {
public:
    static constexpr int kDragPixels = 4;  // a press that moves less is a click

    ChartInput(Chart& chart, const SampleStore& samples, const std::int32_t& fullscale)
        : m_chart(chart), m_samples(samples), m_fullscale(fullscale) {}

    void pointer(const PointerEvent& event);
    void key(Key key, bool shift);
    void wholeCharge();

private:
    enum class Drag { None, Pressed, Zooming, Panning };

    bool cancelDrag();
    void hover(double x);
    std::int32_t gridColumn(std::int32_t n) const;
    void released(const PointerEvent& event);
    std::int32_t count() const { return m_samples.samplecount(); }

    Chart& m_chart;
    const SampleStore& m_samples;
    const std::int32_t& m_fullscale;
    Drag m_drag = Drag::None;
    PointerEvent m_press;           // where the drag began
    std::int32_t m_pressFirst = 0;  // the first reading shown then
};

}  // namespace tremolex
