#include "platform/qt/qtlabel.h"

#include <cmath>

namespace tremolex {

namespace {
QColor toQColor(Color color) {
    return QColor(redOf(color), greenOf(color), blueOf(color));
}
}  // namespace

int twipsToPixels(const QWidget& widget, double twips) {
    return static_cast<int>(std::lround(twips * widget.logicalDpiY() / 1440.0));
}

QtLabel::QtLabel(QWidget* parent) : QLabel(parent) {
    setAutoFillBackground(true);
}

void QtLabel::setCaption(std::string_view text) {
    const QString caption = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (caption != this->text()) {
        setText(caption);
    }
    if (m_hiddenWhenEmpty) {
        setVisible(!caption.isEmpty());
    }
}

void QtLabel::setBackColor(Color color) {
    QPalette p = palette();
    p.setColor(QPalette::Window, toQColor(color));
    setPalette(p);
}

void QtLabel::setForeColor(Color color) {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, toQColor(color));
    setPalette(p);
}

void QtLabel::setTop(float twips) {
    move(x(), twipsToPixels(*this, twips));
}

void QtLabel::setToolTip(std::string_view text) {
    QLabel::setToolTip(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void QtLabel::setHiddenWhenEmpty(bool hidden) {
    m_hiddenWhenEmpty = hidden;
    setVisible(!hidden || !text().isEmpty());
}

}  // namespace tremolex
