#pragma once

#include <QLabel>
#include <string>
#include <vector>

#include "platform/window.h"

namespace tremolex {

// A label of the window. Twips are turned into pixels with the screen's logical
// resolution (15 twips a pixel at 96 dpi).
class QtLabel final : public QLabel, public WindowLabel {
public:
    explicit QtLabel(QWidget* parent = nullptr);

    void setCaption(std::string_view text) override;
    void setBackColor(Color color) override;
    void setForeColor(Color color) override;
    void setTop(float twips) override;
    void setLeft(float twips) override;
    void setToolTip(std::string_view text) override;

    using QLabel::setAlignment;
    void setAlignment(Align align) override;
    void setHiddenWhenEmpty(bool hidden) override;
    void fitCaptions(const std::vector<std::string>& captions, Growth growth) override;
    std::string caption() const override { return text().toStdString(); }
    PixelRect bounds() const override { return {x(), y(), width(), height()}; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void fit();

    bool m_hiddenWhenEmpty = false;
    std::vector<std::string> m_captions;
    Growth m_growth = Growth::RightAndDown;
    QRect m_design;     // pixels; empty until fitCaptions()
    int m_grownUp = 0;  // pixels the top lies above the place setTop() gives
};

// Pixels of `twips` on the widget's screen, rounded to the nearest.
int twipsToPixels(const QWidget& widget, double twips);

}  // namespace tremolex
