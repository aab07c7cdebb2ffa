#pragma once

#include <string_view>

#include "platform/color.h"

namespace tremolex {

// A text label of the window; every change shows at once.
class Label {
public:
    virtual ~Label() = default;

    virtual void setCaption(std::string_view text) = 0;  // UTF-8
    virtual void setBackColor(Color color) = 0;
    virtual void setForeColor(Color color) = 0;
    virtual void setTop(float twips) = 0;                // from the top of the window's client area
    virtual void setToolTip(std::string_view text) = 0;  // UTF-8; "" for none
};

}  // namespace tremolex
