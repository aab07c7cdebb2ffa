#include "platform/qt/qtsurface.h"

#include <QPainter>
#include <QResizeEvent>

namespace tremolex {

QtSurface::QtSurface(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    newImage();
}

void QtSurface::beforeClear() {
    if (m_image.size() != size().expandedTo(QSize(1, 1))) {
        newImage();  // resized while hidden: the resize event comes only when shown
    }
}

void QtSurface::newImage() {
    m_image = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    setPicture(reinterpret_cast<std::uint32_t*>(m_image.bits()), m_image.width(), m_image.height(),
               m_image.bytesPerLine() / 4);
}

void QtSurface::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), m_image, event->rect());
}

void QtSurface::resizeEvent(QResizeEvent* event) {
    if (m_image.size() != size().expandedTo(QSize(1, 1))) {  // not already drawn at this size
        newImage();
    }
    QWidget::resizeEvent(event);
}

}  // namespace tremolex
