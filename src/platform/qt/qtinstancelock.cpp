#include "platform/qt/qtinstancelock.h"

#include <QDir>
#include <QStandardPaths>

namespace tremolex {

namespace {
QString lockFilePath() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) {
        folder = QDir::tempPath();
    }
    return folder + QStringLiteral("/Bramwick Tremolex.lock");
}
}  // namespace

QtInstanceLock::QtInstanceLock() : m_lock(lockFilePath()) {}

}  // namespace tremolex
