#pragma once

#include <QLabel>

#include "platform/label.h"

namespace tremolex {

// A label of the window. Twips are turned into pixels with the screen's logical
// resolution (15 twips a pixel at 96 dpi).
class QtLabel final : public QLabel, public Label {
public:
    explicit QtLabel(QWidget* parent = nullptr);

    void setCaption(std::string_view text) override;
    void setBackColor(Color color) override;
    void setForeColor(Color color) override;
    void setTop(float twips) override;
    void setToolTip(std::string_view text) override;

    // Hides the label while its caption is empty.
    void setHiddenWhenEmpty(bool hidden);

private:
    bool m_hiddenWhenEmpty = false;
};

// Pixels of `twips` on the widget's screen, rounded to the nearest.
int twipsToPixels(const QWidget& widget, double twips);

}  // namespace tremolex
