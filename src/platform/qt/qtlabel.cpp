#include "platform/qt/qtlabel.h"

#include <QEvent>
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
    move(x(), twipsToPixels(*this, twips) - m_grownUp);
}

void QtLabel::setToolTip(std::string_view text) {
    QLabel::setToolTip(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void QtLabel::setAlignment(Align align) {
    setAlignment((align == Align::Left ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter);
}

void QtLabel::setHiddenWhenEmpty(bool hidden) {
    m_hiddenWhenEmpty = hidden;
    setVisible(!hidden || !text().isEmpty());
}

void QtLabel::fitCaptions(const std::vector<std::string>& captions, Growth growth) {
    m_captions.clear();
    for (const std::string& caption : captions) {
        m_captions.append(QString::fromStdString(caption));
    }
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
    QChar widestDigit = u'0';
    for (char16_t digit = u'0'; digit <= u'9'; ++digit) {
        if (metrics.horizontalAdvance(QChar(digit)) > metrics.horizontalAdvance(widestDigit)) {
            widestDigit = QChar(digit);
        }
    }
    QStringList shapes;
    for (QString caption : m_captions) {
        for (QChar& c : caption) {
            c = c.isDigit() ? widestDigit : c;
        }
        shapes.append(caption);
    }
    shapes.removeDuplicates();

    const QString shown = text();
    QSize needed = m_design.size();
    for (const QString& shape : shapes) {
        setText(shape);
        needed = needed.expandedTo(sizeHint());
    }
    setText(shown);

    const int top = y() + m_grownUp;  // where the layout put it
    const int grownWide = needed.width() - m_design.width();
    m_grownUp = m_growth == Growth::LeftAndBothWays ? (needed.height() - m_design.height()) / 2 : 0;
    const int left = m_growth == Growth::LeftAndBothWays ? m_design.x() - grownWide : m_design.x();
    setGeometry(left, top - m_grownUp, needed.width(), needed.height());
}

}  // namespace tremolex
