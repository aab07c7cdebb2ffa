#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/dialogs.h"

namespace tremolex {

// The modal boxes, centred on their parent window.
class QtDialogs final : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent) : m_parent(parent) {}

    std::string InputBox(std::string_view prompt, std::string_view title,
                         std::string_view defaultText) override;
    void MsgBox(std::string_view text, std::string_view title) override;
    bool askYesNo(std::string_view question, std::string_view title) override;

private:
    QPointer<QWidget> m_parent;
};

}  // namespace tremolex
