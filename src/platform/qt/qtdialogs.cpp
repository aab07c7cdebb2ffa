#include "platform/qt/qtdialogs.h"

#include <QInputDialog>
#include <QMessageBox>

namespace tremolex {

namespace {
QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
}  // namespace

std::string QtDialogs::InputBox(std::string_view prompt, std::string_view title,
                                std::string_view defaultText) {
    bool ok = false;
    const QString answer = QInputDialog::getText(m_parent, qs(title), qs(prompt), QLineEdit::Normal,
                                                 qs(defaultText), &ok);
    return ok ? answer.toStdString() : std::string();
}

void QtDialogs::MsgBox(std::string_view text, std::string_view title) {
    QMessageBox box(QMessageBox::NoIcon, qs(title), qs(text), QMessageBox::Ok, m_parent);
    box.exec();
}

}  // namespace tremolex
