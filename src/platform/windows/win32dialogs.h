#pragma once

#include <windows.h>

#include "platform/dialogs.h"

namespace tremolex {

// The modal boxes, owned by the window: the message box is the system's, the input box a
// dialog made in memory (prompt, OK and Cancel, and an edit box whose default text is
// selected), in the system's message font and centred on the window.
class Win32Dialogs final : public Dialogs {
public:
    explicit Win32Dialogs(HWND owner) : m_owner(owner) {}

    std::string InputBox(std::string_view prompt, std::string_view title,
                         std::string_view defaultText) override;
    void MsgBox(std::string_view text, std::string_view title) override;
    bool askYesNo(std::string_view question, std::string_view title) override;

private:
    HWND m_owner;
};

}  // namespace tremolex
