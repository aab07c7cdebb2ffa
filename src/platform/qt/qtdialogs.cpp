#include "platform/qt/qtdialogs.h"

#include <QInputDialog>
#include <QMessageBox>

#include "platform/qt/qttext.h"

namespace tremolex {

std::string QtDialogs::InputBox(std::string_view prompt, std::string_view title,
                                std::string_view defaultText) {
    bool ok = false;
    const QString answer = QInputDialog::getText(m_parent, toQString(title), toQString(prompt),
                                                 QLineEdit::Normal, toQString(defaultText), &ok);
    return ok ? answer.toStdString() : std::string();
}

void QtDialogs::MsgBox(std::string_view text, std::string_view title) {
    QMessageBox box(QMessageBox::NoIcon, toQString(title), toQString(text), QMessageBox::Ok,
                    m_parent);
    box.exec();
}

}  // namespace tremolex
