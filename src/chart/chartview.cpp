#include "chart/chartview.h"

#include <algorithm>
#include <cmath>

namespace tremolex {

namespace {

constexpr double kWidth = 1000;
constexpr double kZoomStep = 0.8;  // of the readings shown, per step in

}  // namespace

ChartView::Stretch ChartView::stretch(std::int32_t n) const {
    return m_zoomed ? m_stretch : Stretch{1, n};
}

double ChartView::xStep(std::int32_t n) const {
    if (m_zoomed) {
        return kWidth / m_stretch.size();
    }
    return n <= 200 ? kWidth / 200 : n <= 400 ? kWidth / 400 : kWidth / n;
}

double ChartView::xOf(std::int32_t reading, std::int32_t n) const {
    return xStep(n) * (reading - stretch(n).first + 1);
}

std::int32_t ChartView::nearest(double x, std::int32_t n) const {
    const Stretch shown = stretch(n);
    if (shown.size() <= 0) {
        return 0;
    }
    const double steps = std::floor(x / xStep(n) + 0.5);
    const double reading = shown.first - 1 + std::clamp(steps, 1.0, double(shown.size()));
    return static_cast<std::int32_t>(reading);
}

std::int32_t ChartView::at(double x, std::int32_t n) const {
    const std::int32_t reading = nearest(x, n);
    return reading > 0 && std::abs(xOf(reading, n) - x) <= xStep(n) ? reading : 0;
}

void ChartView::zoomTo(double x1, double x2, std::int32_t n) {
    const std::int32_t first = nearest(std::min(x1, x2), n);
    const std::int32_t last = nearest(std::max(x1, x2), n);
    const std::int32_t size = std::max(last - first + 1, kNarrowest);
    show(first + (last - first + 1 - size) / 2, size, n);
}

void ChartView::zoomAround(double x, int steps, std::int32_t n) {
    const std::int32_t anchor = nearest(x, n);
    if (anchor == 0) {
        return;
    }
    const std::int32_t size = stretch(n).size();
    // From ten readings up, each step changes the number by at least two.
    const auto wanted = std::max(
        static_cast<std::int32_t>(std::lround(size * std::pow(kZoomStep, steps))), kNarrowest);
    if (wanted >= n) {
        whole();
        return;
    }
    // The anchor keeps its x: it is the round(x / step)-th reading of the new stretch.
    const auto place = std::lround(x / (kWidth / wanted));
    show(anchor + 1 - static_cast<std::int32_t>(std::clamp<long>(place, 1, wanted)), wanted, n);
}

void ChartView::pan(std::int32_t readings, std::int32_t n) {
    if (m_zoomed) {
        show(m_stretch.first + readings, m_stretch.size(), n);
    }
}

void ChartView::reveal(std::int32_t reading, std::int32_t n) {
    if (m_zoomed && reading < m_stretch.first) {
        pan(reading - m_stretch.first, n);
    } else if (m_zoomed && reading > m_stretch.last) {
        pan(reading - m_stretch.last, n);
    }
}

// `size` readings from `first`, moved and narrowed into the store; too few readings for a
// zoom leave the view as it is.
void ChartView::show(std::int32_t first, std::int32_t size, std::int32_t n) {
    if (n < kNarrowest) {
        return;
    }
    size = std::min(size, n);
    first = std::clamp(first, 1, n - size + 1);
    m_zoomed = true;
    m_stretch = {first, first + size - 1};
}

}  // namespace tremolex
