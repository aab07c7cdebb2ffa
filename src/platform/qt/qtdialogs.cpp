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

bool QtDialogs::askYesNo(std::string_view question, std::string_view title) {
    QMessageBox box(QMessageBox::Question, toQString(title), toQString(question),
                    QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace tremolex
