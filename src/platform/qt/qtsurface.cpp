#include "platform/qt/qtsurface.h"

#include <QPainter>
#include <QResizeEvent>
#include <cmath>

namespace tremolex {

namespace {

QRgb toRgb(Color color) { return qRgb(redOf(color), greenOf(color), blueOf(color)); }

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

QtSurface::QtSurface(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_image = QImage(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
    m_image.fill(m_background);
    updateTransform();
}

void QtSurface::setBackColor(Color color) { m_background = toRgb(color); }

void QtSurface::setScaleLeft(float left) {
    m_scaleLeft = left;
    updateTransform();
}
void QtSurface::setScaleTop(float top) {
    m_scaleTop = top;
    updateTransform();
}
void QtSurface::setScaleWidth(float width) {
    m_scaleWidth = width;
    updateTransform();
}
void QtSurface::setScaleHeight(float height) {
    m_scaleHeight = height;
    updateTransform();
}

void QtSurface::updateTransform() {
    m_xScale = m_image.width() / static_cast<double>(m_scaleWidth);
    m_xOffset = -static_cast<double>(m_scaleLeft) * m_xScale;
    m_yScale = m_image.height() / static_cast<double>(m_scaleHeight);
    m_yOffset = -static_cast<double>(m_scaleTop) * m_yScale;
}

void QtSurface::Cls() {
    m_image.fill(m_background);
    update();
}

void QtSurface::Line(float x1, float y1, float x2, float y2, Color color) {
    double ax = x1 * m_xScale + m_xOffset, ay = y1 * m_yScale + m_yOffset;
    double bx = x2 * m_xScale + m_xOffset, by = y2 * m_yScale + m_yOffset;
    if (!std::isfinite(ax) || !std::isfinite(ay) || !std::isfinite(bx) || !std::isfinite(by)) {
        return;
    }
    const double w = m_image.width(), h = m_image.height();
    if (!clipSegment(ax, ay, bx, by, w, h)) {
        return;
    }
    // Ends on the far edges fall one past the last pixel, which plotPixel leaves out.
    int px = static_cast<int>(std::floor(ax));
    int py = static_cast<int>(std::floor(ay));
    const int qx = static_cast<int>(std::floor(bx));
    const int qy = static_cast<int>(std::floor(by));
    // Bresenham between the two end pixels, both included.
    const int dx = std::abs(qx - px), sx = px < qx ? 1 : -1;
    const int dy = -std::abs(qy - py), sy = py < qy ? 1 : -1;
    const QRgb rgb = toRgb(color);
    for (int err = dx + dy;;) {
        plotPixel(px, py, rgb);
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
    update();
}

void QtSurface::PSet(float x, float y, Color color) {
    const PointF point{x, y};
    PSetMany({&point, 1}, color);
}

void QtSurface::PSetMany(std::span<const PointF> points, Color color) {
    const QRgb rgb = toRgb(color);
    const double width = m_image.width(), height = m_image.height();
    QRgb* const bits = reinterpret_cast<QRgb*>(m_image.bits());
    const qsizetype stride = m_image.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));
    for (const PointF& point : points) {
        const double px = std::floor(point.x * m_xScale + m_xOffset);
        const double py = std::floor(point.y * m_yScale + m_yOffset);
        // Also false for NaN, so only finite, visible points get through.
        if (px >= 0 && py >= 0 && px < width && py < height) {
            bits[static_cast<qsizetype>(py) * stride + static_cast<qsizetype>(px)] = rgb;
        }
    }
    update();
}

void QtSurface::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), m_image, event->rect());
}

void QtSurface::resizeEvent(QResizeEvent* event) {
    const QSize size = event->size().expandedTo(QSize(1, 1));
    m_image = QImage(size, QImage::Format_RGB32);
    m_image.fill(m_background);
    updateTransform();
    QWidget::resizeEvent(event);
}

}  // namespace tremolex
