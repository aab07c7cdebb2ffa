#include "platform/qt/qtlabel.h"

#include <QEvent>
#include <cmath>

#include "platform/labelfit.h"
#include "platform/qt/qttext.h"

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
    const QString caption = toQString(text);
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
    move(x(), twipsToPixels(*this, twips) - m_grownUp);
}

void QtLabel::setLeft(float twips) {
    const int left = twipsToPixels(*this, twips);
    m_design.moveLeft(left);
    move(left, y());
}

void QtLabel::setToolTip(std::string_view text) {
    QLabel::setToolTip(toQString(text));
}

void QtLabel::setAlignment(Align align) {
    setAlignment((align == Align::Left ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter);
}

void QtLabel::setHiddenWhenEmpty(bool hidden) {
    m_hiddenWhenEmpty = hidden;
    setVisible(!hidden || !text().isEmpty());
}

void QtLabel::fitCaptions(const std::vector<std::string>& captions, Growth growth) {
    m_captions = captions;
    m_growth = growth;
    m_design = geometry();
    fit();
}

void QtLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange && !m_design.isEmpty()) {
        fit();
    }
}

// The label measures each text itself, so its margins, indent and style count too.
void QtLabel::fit() {
    const QFontMetrics metrics = fontMetrics();
    const char widest = LabelFit::widestDigit(
        [&](char digit) { return metrics.horizontalAdvance(QChar::fromLatin1(digit)); });
    const QString shown = text();
    QSize needed;
    for (const std::string& shape : LabelFit::shapes(m_captions, widest)) {
        setText(QString::fromStdString(shape));
        needed = needed.expandedTo(sizeHint());
    }
    setText(shown);
    const LabelFit::Placed placed =
        LabelFit::place({m_design.x(), m_design.y(), m_design.width(), m_design.height()},
                        {needed.width(), needed.height()}, m_growth, y() + m_grownUp);
    m_grownUp = placed.grownUp;
    setGeometry(placed.rect.x, placed.rect.y, placed.rect.width, placed.rect.height);
}

}  // namespace tremolex
