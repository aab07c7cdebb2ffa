#include "platform/qt/qtfiledialog.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>

namespace tremolex {

QString QtFileDialog::startFolder(const QString& folder, QFileDialog::AcceptMode mode) {
    const QFileInfo info(folder);
    if (!folder.isEmpty() && info.isDir() &&
        (mode == QFileDialog::AcceptOpen || info.isWritable())) {
        return folder;
    }
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

void QtFileDialog::show(QFileDialog::AcceptMode mode) {
    QFileDialog dialog(m_parent, QStringLiteral("Select Graph LOG File"),
                       startFolder(QString::fromStdString(m_initDir), mode));
    // "*" lists every name here; a Windows dialog would say "*.*".
    const QStringList filters = {QStringLiteral("LOG files (*.log)"),
                                 QStringLiteral("Recordings with times (*.csv)"),
                                 QStringLiteral("All files (*)")};
    dialog.setNameFilters(filters);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    if (!m_fileName.empty()) {
        dialog.selectFile(QString::fromStdString(m_fileName));
    }
    m_fileName.clear();
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        m_fileName = dialog.selectedFiles().constFirst().toStdString();
        m_filterIndex = static_cast<std::size_t>(
                            std::max<qsizetype>(0, filters.indexOf(dialog.selectedNameFilter()))) +
                        1;
    }
}

}  // namespace tremolex
