#pragma once

#include <cstdint>

namespace tremolex {

// Which readings the chart shows, and where: the whole store, spaced as the chart has
// always spaced it (5 units apart up to 200 readings, 2.5 up to 400, then squeezed into
// the width), or a stretch the user zoomed into, spread over the width with its last
// reading at x = 1000. Readings are store positions 1..n; x is in the chart's units, 0 to
// 1000. A stretch holds still while readings arrive; it never reaches outside the store.
class ChartView {
public:
    static constexpr std::int32_t kNarrowest = 10;  // readings across a zoomed chart

    struct Stretch {
        std::int32_t first = 1;
        std::int32_t last = 0;
        std::int32_t size() const { return last - first + 1; }
        bool operator==(const Stretch&) const = default;
    };

    bool zoomed() const { return m_zoomed; }
    // The readings shown, of `n` stored.
    Stretch stretch(std::int32_t n) const;
    // The distance between two readings on the chart.
    double xStep(std::int32_t n) const;
    double xOf(std::int32_t reading, std::int32_t n) const;
    // The reading nearest `x` (ties to the later one); 0 with none stored.
    std::int32_t nearest(double x, std::int32_t n) const;
    // The reading drawn within a step of `x`; 0 where none is.
    std::int32_t at(double x, std::int32_t n) const;

    // Zooms to the readings between x1 and x2, widened to kNarrowest when fewer.
    void zoomTo(double x1, double x2, std::int32_t n);
    // Zooms in (steps > 0) or out around `x`, keeping the reading there where it is; out
    // to the whole store gives the whole view back.
    void zoomAround(double x, int steps, std::int32_t n);
    // Moves a zoomed stretch by `readings` (later ones for a positive number).
    void pan(std::int32_t readings, std::int32_t n);
    // Moves a zoomed stretch so that `reading` is in it.
    void reveal(std::int32_t reading, std::int32_t n);
    // The whole store again, as the chart has always shown it.
    void whole() { m_zoomed = false; }

private:
    void show(std::int32_t first, std::int32_t size, std::int32_t n);

    bool m_zoomed = false;
    Stretch m_stretch;
};

}  // namespace tremolex
