#pragma once

#include <QLabel>
#include <QStringList>
#include <string>
#include <vector>

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

    // Where a label grows when a caption needs more room than its design size: to the
    // right and down, or, for a label that must stay beside something on its right, to
    // the left and equally up and down.
    enum class Growth { RightAndDown, LeftAndBothWays };
    // Makes the label just large enough for the widest of `captions` (UTF-8; any digit
    // counts as the widest digit of the font) and never smaller than its geometry now, its
    // design size. Done again when the font changes.
    void fitCaptions(const std::vector<std::string>& captions, Growth growth);

protected:
    void changeEvent(QEvent* event) override;

private:
    void fit();

    bool m_hiddenWhenEmpty = false;
    QStringList m_captions;
    Growth m_growth = Growth::RightAndDown;
    QRect m_design;     // pixels; empty until fitCaptions()
    int m_grownUp = 0;  // pixels the top lies above the place setTop() gives
};

// Pixels of `twips` on the widget's screen, rounded to the nearest.
int twipsToPixels(const QWidget& widget, double twips);

}  // namespace tremolex
