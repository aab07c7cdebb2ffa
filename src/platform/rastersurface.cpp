#include "platform/rastersurface.h"

#include <algorithm>
#include <cmath>

namespace tremolex {

namespace {

// Clips the segment to [0, width] x [0, height] (Liang-Barsky); false when nothing of it
// is inside. Works in doubles, so far-off ends never overflow a pixel index; an end cut
// at an edge is put exactly on it, so a level line from far away stays level and whole.
bool clipSegment(double& x1, double& y1, double& x2, double& y2, double width, double height) {
    const double dx = x2 - x1, dy = y2 - y1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x1, width - x1, y1, height - y1};
    const double edge[4] = {0, width, 0, height};
    double t0 = 0, t1 = 1;
    int edge0 = -1, edge1 = -1;  // the edge each end was cut at
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) {
                return false;
            }
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0 && t > t0) {
            t0 = t;
            edge0 = i;
        } else if (p[i] > 0 && t < t1) {
            t1 = t;
            edge1 = i;
        }
        if (t0 > t1) {
            return false;
        }
    }
    const auto cut = [&](double t, int at, double& x, double& y) {
        const double cx = x1 + t * dx, cy = y1 + t * dy;
        x = at == 0 || at == 1 ? edge[at] : cx;
        y = at == 2 || at == 3 ? edge[at] : cy;
    };
    double ax = x1, ay = y1, bx = x2, by = y2;
    if (edge0 >= 0) {
        cut(t0, edge0, ax, ay);
    }
    if (edge1 >= 0) {
        cut(t1, edge1, bx, by);
    }
    x1 = ax, y1 = ay, x2 = bx, y2 = by;
    return true;
}

}  // namespace

RasterSurface::RasterSurface() {
    m_rowOffsets.reserve(std::size_t{1} << 16);  // one per 16-bit value: series never allocate
}

std::uint32_t RasterSurface::pixelOf(Color color) {
    return 0xFF000000u | static_cast<std::uint32_t>(redOf(color)) << 16 |
           static_cast<std::uint32_t>(greenOf(color)) << 8 | blueOf(color);
}

void RasterSurface::setPicture(std::uint32_t* pixels, int width, int height,
                               std::ptrdiff_t stride) {
    m_pixels = pixels;
    m_width = width;
    m_height = height;
    m_stride = stride;
    for (int y = 0; y < height; ++y) {
        std::fill_n(pixels + y * stride, width, m_background);
    }
    updateTransform();
}

void RasterSurface::setBackColor(Color color) {
    m_background = pixelOf(color);
}

void RasterSurface::setScaleLeft(float left) {
    m_scaleLeft = left;
    updateTransform();
}
void RasterSurface::setScaleTop(float top) {
    m_scaleTop = top;
    updateTransform();
}
void RasterSurface::setScaleWidth(float width) {
    m_scaleWidth = width;
    updateTransform();
}
void RasterSurface::setScaleHeight(float height) {
    m_scaleHeight = height;
    updateTransform();
}

void RasterSurface::updateTransform() {
    m_xScale = m_width / static_cast<double>(m_scaleWidth);
    m_xOffset = -static_cast<double>(m_scaleLeft) * m_xScale;
    m_yScale = m_height / static_cast<double>(m_scaleHeight);
    m_yOffset = -static_cast<double>(m_scaleTop) * m_yScale;
}

void RasterSurface::Cls() {
    beforeClear();
    for (int y = 0; y < m_height; ++y) {
        std::fill_n(m_pixels + y * m_stride, m_width, m_background);
    }
    changed();
}

void RasterSurface::Line(float x1, float y1, float x2, float y2, Color color) {
    double ax = pixelX(x1), ay = pixelY(y1), bx = pixelX(x2), by = pixelY(y2);
    if (!std::isfinite(ax) || !std::isfinite(ay) || !std::isfinite(bx) || !std::isfinite(by)) {
        return;
    }
    const int width = m_width, height = m_height;
    if (!clipSegment(ax, ay, bx, by, width, height)) {
        return;
    }
    // Ends on the far edges fall one past the last pixel, which is left out below.
    int px = static_cast<int>(std::floor(ax));
    int py = static_cast<int>(std::floor(ay));
    const int qx = static_cast<int>(std::floor(bx));
    const int qy = static_cast<int>(std::floor(by));
    std::uint32_t* const bits = m_pixels;
    const std::ptrdiff_t stride = m_stride;
    const std::uint32_t rgb = pixelOf(color);
    if (py == qy && py < height) {  // the grid's lines are level or upright: no stepping
        for (int x = std::max(0, std::min(px, qx)); x <= std::min(width - 1, std::max(px, qx));
             ++x) {
            bits[py * stride + x] = rgb;
        }
        changed();
        return;
    }
    if (px == qx && px < width) {
        for (int y = std::max(0, std::min(py, qy)); y <= std::min(height - 1, std::max(py, qy));
             ++y) {
            bits[y * stride + px] = rgb;
        }
        changed();
        return;
    }
    // Bresenham between the two end pixels, both included.
    const int dx = std::abs(qx - px), sx = px < qx ? 1 : -1;
    const int dy = -std::abs(qy - py), sy = py < qy ? 1 : -1;
    for (int err = dx + dy;;) {
        if (px >= 0 && py >= 0 && px < width && py < height) {
            bits[py * stride + px] = rgb;
        }
        if (px == qx && py == qy) {
            break;
        }
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            px += sx;
        }
        if (e2 <= dx) {
            err += dx;
            py += sy;
        }
    }
    changed();
}

void RasterSurface::PSet(float x, float y, Color color) {
    const double px = pixelX(x), py = pixelY(y);
    // Also false for NaN. Inside the image truncation is the floor.
    if (px >= 0 && py >= 0 && px < m_width && py < m_height) {
        m_pixels[static_cast<std::ptrdiff_t>(py) * m_stride + static_cast<int>(px)] =
            pixelOf(color);
        changed();
    }
}

// The pixel of every point is the one PSet would colour. Columns never go left as i grows,
// so the points are taken a column at a time: the ends of a column's run are found from
// the mapping and checked exactly, and the run only looks up its rows.
void RasterSurface::PSetSeries(double xStep, std::span<const std::int16_t> values,
                               std::int16_t lowest, std::span<const float> heightOf, Color color) {
    const std::size_t n = values.size();
    if (!(m_xScale > 0) || !(xStep > 0) || !std::isfinite(xStep * static_cast<double>(n))) {
        Surface::PSetSeries(xStep, values, lowest, heightOf, color);
        return;
    }
    const double width = m_width, height = m_height;
    const std::ptrdiff_t stride = m_stride;
    m_rowOffsets.resize(heightOf.size());
    for (std::size_t k = 0; k < heightOf.size(); ++k) {
        const double py = pixelY(heightOf[k]);
        m_rowOffsets[k] = py >= 0 && py < height ? static_cast<std::ptrdiff_t>(py) * stride : -1;
    }
    const auto column = [&](std::size_t i) {
        return pixelX(static_cast<float>(xStep * static_cast<double>(i)));
    };

    std::uint32_t* const bits = m_pixels;
    const std::uint32_t rgb = pixelOf(color);
    for (std::size_t i = 1; i <= n;) {
        const double px = column(i);
        if (!(px < width)) {
            break;  // this point and all after it lie right of the surface
        }
        if (px < 0) {
            ++i;
            continue;
        }
        // The last point j of this column: column(j) < c + 1 <= column(j + 1).
        const double c = std::floor(px);
        const double guess = (c + 1 - m_xOffset) / m_xScale / xStep;
        std::size_t j =
            std::clamp(guess >= 1 ? static_cast<std::size_t>(std::min(guess, 1e18)) : 1, i, n);
        while (j < n && column(j + 1) < c + 1) {
            ++j;
        }
        while (j > i && column(j) >= c + 1) {
            --j;
        }
        std::uint32_t* const at = bits + static_cast<std::ptrdiff_t>(c);
        for (std::size_t k = i; k <= j; ++k) {
            const std::ptrdiff_t row =
                m_rowOffsets[static_cast<std::size_t>(values[k - 1] - lowest)];
            if (row >= 0) {
                at[row] = rgb;
            }
        }
        i = j + 1;
    }
    changed();
}

void RasterSurface::pointer(PointerEvent event) {
    event.x = static_cast<float>((event.pixelX + 0.5 - m_xOffset) / m_xScale);
    event.y = static_cast<float>((event.pixelY + 0.5 - m_yOffset) / m_yScale);
    if (m_onPointer) {
        m_onPointer(event);
    }
}

void RasterSurface::wheelTurned(int amount, bool sideways, PointerEvent event) {
    constexpr int kNotch = 120;
    int& rest = sideways ? m_sidewaysRest : m_wheelRest;
    rest += amount;
    event.kind = PointerEvent::Kind::Wheel;
    event.sideways = sideways;
    event.wheelSteps = rest / kNotch;
    rest %= kNotch;
    if (event.wheelSteps != 0) {
        pointer(event);
    }
}

}  // namespace tremolex
