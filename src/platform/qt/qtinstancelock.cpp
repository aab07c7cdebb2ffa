#include "platform/qt/qtinstancelock.h"

#include <QDir>
#include <QStandardPaths>

#include "platform/productname.h"
#include "platform/qt/qttext.h"

namespace tremolex {

namespace {
QString lockFilePath() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) {
        folder = QDir::tempPath();
    }
    return folder + u'/' + toQString(productname::kFull) + QStringLiteral(".lock");
}
}  // namespace

QtInstanceLock::QtInstanceLock() : m_lock(lockFilePath()) {}

}  // namespace tremolex
