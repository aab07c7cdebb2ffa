#pragma once

#include <QImage>
#include <QWidget>

#include "platform/rastersurface.h"

namespace tremolex {

// The drawing surface as a widget. Drawing goes straight into a retained image of the
// widget's size, which paintEvent only copies to the screen: what is shown is always
// exactly what was last drawn, also after the widget was covered. A resize starts a new
// image cleared to the background colour, at the latest when it is next cleared.
class QtSurface final : public QWidget, public RasterSurface {
public:
    explicit QtSurface(QWidget* parent = nullptr);

    void setBounds(PixelRect rect) override {
        setGeometry(rect.x, rect.y, rect.width, rect.height);
    }
    PixelRect bounds() const override { return {x(), y(), width(), height()}; }

    const QImage& image() const { return m_image; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void beforeClear() override;
    void changed() override { update(); }
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void newImage();
    void mouse(PointerEvent::Kind kind, const QMouseEvent& event);

    QImage m_image;
};

}  // namespace tremolex
