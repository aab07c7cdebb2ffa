// The Linux program: the window logic on a Qt window, with an INI file for its settings.
#include <QApplication>
#include <QStandardPaths>

#include "app/form1.h"
#include "platform/posix/configdir.h"
#include "platform/posix/inifilekeystore.h"
#include "platform/posix/posixclock.h"
#include "platform/qt/dbusdesktopnotifier.h"
#include "platform/qt/logindsleepinhibitor.h"
#include "platform/qt/qtcommport.h"
#include "platform/qt/qtinstancelock.h"
#include "platform/qt/qtlocale.h"
#include "platform/qt/qtmainwindow.h"
#include "platform/qt/qtquitsignals.h"

int main(int argc, char** argv) {
    using namespace tremolex;
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Tremolex"));  // its menu entry

    Form1Services services;
    services.keys = std::make_unique<IniFileKeyStore>(settingsFilePath());
    services.instanceLock = std::make_unique<QtInstanceLock>();
    services.notifier = std::make_unique<DBusDesktopNotifier>();
    services.sleepInhibitor = std::make_unique<LogindSleepInhibitor>();
    services.comm = std::make_unique<QtCommPort>();
    services.clock = std::make_unique<PosixClock>();
    services.recordingFiles = diskAppendFiles();
    services.recordingWork = Recorder::DiskWork::OnAThreadOfItsOwn;
    services.documentsFolder =
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString();
    services.programFolder = QCoreApplication::applicationDirPath().toStdString();
    services.decimalSeparator = localeDecimalSeparator();

    QtMainWindow window;
    Form1 form(window, std::move(services));
    if (!form.Form_Load()) {
        return 0;  // another copy runs
    }
    const QtQuitSignals quitSignals([&window] { window.close(); });
    window.show();
    return QApplication::exec();
}
