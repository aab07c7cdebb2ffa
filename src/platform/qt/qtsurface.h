#pragma once

#include <QImage>
#include <QWidget>
#include <vector>

#include "platform/window.h"

namespace tremolex {

// The drawing surface as a widget. Drawing goes straight into a retained image of the
// widget's size, which paintEvent only copies to the screen: what is shown is always
// exactly what was last drawn, also after the widget was covered. A resize starts a new
// image cleared to the background colour, at the latest when it is next cleared.
class QtSurface final : public QWidget, public WindowSurface {
public:
    explicit QtSurface(QWidget* parent = nullptr);

    void setBackColor(Color color) override;
    void setBounds(PixelRect rect) override {
        setGeometry(rect.x, rect.y, rect.width, rect.height);
    }
    PixelRect bounds() const override { return {x(), y(), width(), height()}; }

    void setScaleLeft(float left) override;
    void setScaleTop(float top) override;
    void setScaleWidth(float width) override;
    void setScaleHeight(float height) override;

    void Cls() override;
    void Line(float x1, float y1, float x2, float y2, Color color) override;
    void PSet(float x, float y, Color color) override;
    void PSetSeries(double xStep, std::span<const std::int16_t> values, std::int16_t lowest,
                    std::span<const float> heightOf, Color color) override;

    const QImage& image() const { return m_image; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void newImage();
    void updateTransform();
    double pixelX(float x) const { return x * m_xScale + m_xOffset; }
    double pixelY(float y) const { return y * m_yScale + m_yOffset; }

    QImage m_image;
    QRgb m_background = qRgb(0, 0, 0);
    float m_scaleLeft = 0;
    float m_scaleTop = 0;
    float m_scaleWidth = 1;
    float m_scaleHeight = 1;
    // Pixel = logical * scale + offset, for each axis.
    double m_xScale = 1, m_xOffset = 0, m_yScale = 1, m_yOffset = 0;
    std::vector<qsizetype> m_rowOffsets;  // PSetSeries: where each value's row starts
};

}  // namespace tremolex
