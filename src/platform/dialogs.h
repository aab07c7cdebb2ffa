#pragma once

#include <string>
#include <string_view>

namespace tremolex {

// The modal boxes of the window. Both return when the user closes them; other events
// (timer ticks, received data) may be handled meanwhile.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // The text the user typed (the default text if unchanged), or "" on Cancel.
    virtual std::string InputBox(std::string_view prompt, std::string_view title,
                                 std::string_view defaultText) = 0;

    // A message with an OK button only and no icon.
    virtual void MsgBox(std::string_view text, std::string_view title) = 0;

    // A question with Yes and No buttons: true for Yes. Closing the box is No.
    virtual bool askYesNo(std::string_view question, std::string_view title) = 0;
};

}  // namespace tremolex
