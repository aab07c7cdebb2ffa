#pragma once

#include <QImage>
#include <QWidget>

#include "platform/surface.h"

namespace tremolex {

// The drawing surface as a widget. Drawing goes straight into a retained image of the
// widget's size, which paintEvent only copies to the screen: what is shown is always
// exactly what was last drawn, also after the widget was covered. A resize starts a new
// image cleared to the background colour.
class QtSurface final : public QWidget, public Surface {
public:
    explicit QtSurface(QWidget* parent = nullptr);

    void setBackColor(Color color);

    void setScaleLeft(float left) override;
    void setScaleTop(float top) override;
    void setScaleWidth(float width) override;
    void setScaleHeight(float height) override;

    void Cls() override;
    void Line(float x1, float y1, float x2, float y2, Color color) override;
    void PSet(float x, float y, Color color) override;
    void PSetMany(std::span<const PointF> points, Color color) override;

    const QImage& image() const { return m_image; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateTransform();
    void plotPixel(int px, int py, QRgb rgb) {
        if (px >= 0 && py >= 0 && px < m_image.width() && py < m_image.height()) {
            reinterpret_cast<QRgb*>(m_image.scanLine(py))[px] = rgb;
        }
    }

    QImage m_image;
    QRgb m_background = qRgb(0, 0, 0);
    float m_scaleLeft = 0;
    float m_scaleTop = 0;
    float m_scaleWidth = 1;
    float m_scaleHeight = 1;
    // Pixel = logical * scale + offset, for each axis.
    double m_xScale = 1, m_xOffset = 0, m_yScale = 1, m_yOffset = 0;
};

}  // namespace tremolex
