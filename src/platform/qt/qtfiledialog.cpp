#include "platform/qt/qtfiledialog.h"

#include <QFileDialog>

namespace tremolex {

void QtFileDialog::ShowOpen() {
    QFileDialog dialog(m_parent, QStringLiteral("Select Graph LOG File"),
                       QString::fromStdString(m_initDir));
    // "*" lists every name here; a Windows dialog would say "*.*".
    dialog.setNameFilters({QStringLiteral("LOG files (*.log)"), QStringLiteral("All files (*)")});
    dialog.setFileMode(m_mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (!m_fileName.empty()) {
        dialog.selectFile(QString::fromStdString(m_fileName));
    }
    m_fileName.clear();
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        m_fileName = dialog.selectedFiles().constFirst().toStdString();
    }
}

}  // namespace tremolex
