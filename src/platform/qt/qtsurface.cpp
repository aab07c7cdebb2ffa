#include "platform/qt/qtsurface.h"

#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QWheelEvent>

namespace tremolex {

QtSurface::QtSurface(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);  // the pointer is followed with no button held too
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

void QtSurface::mouse(PointerEvent::Kind kind, const QMouseEvent& event) {
    PointerEvent pointerEvent;
    pointerEvent.kind = kind;
    pointerEvent.button = event.button() == Qt::LeftButton    ? PointerEvent::Button::Left
                          : event.button() == Qt::RightButton ? PointerEvent::Button::Right
                                                              : PointerEvent::Button::None;
    const QPoint at = event.position().toPoint();
    pointerEvent.pixelX = at.x();
    pointerEvent.pixelY = at.y();
    pointerEvent.shift = (event.modifiers() & Qt::ShiftModifier) != 0;
    if (kind != PointerEvent::Kind::Move && pointerEvent.button == PointerEvent::Button::None) {
        return;  // the middle button and others do nothing here
    }
    pointer(pointerEvent);
}

void QtSurface::mouseMoveEvent(QMouseEvent* event) {
    mouse(PointerEvent::Kind::Move, *event);
}

void QtSurface::mousePressEvent(QMouseEvent* event) {
    mouse(PointerEvent::Kind::Press, *event);
}

void QtSurface::mouseReleaseEvent(QMouseEvent* event) {
    mouse(PointerEvent::Kind::Release, *event);
}

void QtSurface::leaveEvent(QEvent* event) {
    PointerEvent left;
    left.kind = PointerEvent::Kind::Leave;
    pointer(left);
    QWidget::leaveEvent(event);
}

void QtSurface::wheelEvent(QWheelEvent* event) {
    // Some desktops turn a wheel held with Shift into a sideways one.
    const QPoint delta = event->angleDelta();
    const bool sideways = delta.y() == 0;  // to the left positive, as Qt counts
    const QPoint at = event->position().toPoint();
    wheelTurned(sideways ? delta.x() : delta.y(), sideways,
                {.pixelX = at.x(),
                 .pixelY = at.y(),
                 .shift = (event->modifiers() & Qt::ShiftModifier) != 0});
    event->accept();
}

}  // namespace tremolex
