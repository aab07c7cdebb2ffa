#include "chart/chartinput.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "chart/captions.h"
#include "state/countvolts.h"

namespace tremolex {

namespace {

constexpr double kGridColumn = 100;  // chart units between two vertical grid lines

}  // namespace

void ChartInput::pointer(const PointerEvent& event) {
    using Kind = PointerEvent::Kind;
    using Button = PointerEvent::Button;
    ChartView& view = m_chart.view();
    const std::int32_t n = count();
    switch (event.kind) {
        case Kind::Leave:
            // Held buttons keep the pointer until let go, so a leave before that means the
            // system took it away (a window opened over the chart): the drag is broken off.
            cancelDrag();
            m_chart.notices().show(NoticeStrip::Notice::Pointer, "");
            return;
        case Kind::Wheel:
            if (event.shift || event.sideways) {
                const std::int32_t column = gridColumn(n);
                view.pan(-event.wheelSteps * column, n);
            } else {
                view.zoomAround(event.x, event.wheelSteps, n);
            }
            m_chart.viewChanged();
            hover(event.x);
            return;
        case Kind::Press:
            m_drag = event.button == Button::Left ? Drag::Pressed : Drag::Panning;
            m_press = event;
            m_pressFirst = view.stretch(n).first;
            return;
        case Kind::Release:
            released(event);
            return;
        case Kind::Move:
            break;
    }
    if (m_drag == Drag::Pressed && std::abs(event.pixelX - m_press.pixelX) >= kDragPixels) {
        m_drag = Drag::Zooming;
    }
    if (m_drag == Drag::Zooming) {
        m_chart.markSelection(m_press.x, event.x);
        m_chart.viewChanged();
    } else if (m_drag == Drag::Panning && view.zoomed()) {
        // The readings follow the pointer.
        const double moved = (m_press.x - event.x) / view.xStep(n);
        view.pan(
            m_pressFirst + static_cast<std::int32_t>(std::lround(moved)) - view.stretch(n).first,
            n);
        m_chart.viewChanged();
    }
    hover(event.x);
}

void ChartInput::released(const PointerEvent& event) {
    ChartView& view = m_chart.view();
    const Drag drag = std::exchange(m_drag, Drag::None);
    if (drag == Drag::Zooming) {
        m_chart.clearSelection();
        view.zoomTo(m_press.x, event.x, count());
        m_chart.viewChanged();
    } else if (drag == Drag::Pressed && count() > 0) {
        m_chart.cursors().place(view.nearest(event.x, count()));
        m_chart.viewChanged();
    }
    hover(event.x);
}

// Forgets a drag going on and its selection; whether there was one.
bool ChartInput::cancelDrag() {
    if (std::exchange(m_drag, Drag::None) == Drag::None) {
        return false;
    }
    m_chart.clearSelection();
    m_chart.viewChanged();
    return true;
}

void ChartInput::key(Key key, bool shift) {
    ChartView& view = m_chart.view();
    ChartCursors& cursors = m_chart.cursors();
    const std::int32_t n = count();
    switch (key) {
        case Key::Left:
        case Key::Right: {
            const std::int32_t step = shift ? gridColumn(n) : 1;
            cursors.move(key == Key::Left ? -step : step, n, view.nearest(500, n));
            view.reveal(cursors.active(), n);
            break;
        }
        case Key::Tab:
            cursors.switchActive();
            break;
        case Key::Escape:  // the innermost first: a drag going on, else the cursors
            if (!cancelDrag()) {
                cursors.clear();
            }
            break;
        case Key::Home:
            view.whole();
            break;
    }
    m_chart.viewChanged();
}

void ChartInput::wholeCharge() {
    key(Key::Home, false);
}

// The readings between two vertical grid lines, at least one.
std::int32_t ChartInput::gridColumn(std::int32_t n) const {
    return std::max(1,
                    static_cast<std::int32_t>(std::lround(kGridColumn / m_chart.view().xStep(n))));
}

// The reading nearest the pointer, in the strip.
void ChartInput::hover(double x) {
    const std::int32_t reading = m_chart.view().nearest(x, count());
    if (reading == 0) {
        return;
    }
    const std::int16_t value = m_samples.sample(reading);
    const ReadingTime time = m_samples.time(reading);
    m_chart.notices().show(NoticeStrip::Notice::Pointer,
                           readingCaption("", reading, countToVolts(value, m_fullscale), value,
                                          time, m_chart.utcOffsetAt(time))
                               .view());
}

}  // namespace tremolex
