#include <QApplication>

#include "app/form1.h"
#include "platform/qt/qtclock.h"
#include "platform/qt/qtcommport.h"
#include "platform/qt/qtlocale.h"
#include "platform/qt/qtmainwindow.h"
#ifdef _WIN32
#include "platform/windows/registrykeystore.h"
#include "platform/windows/windowsinstancelock.h"
#else
#include "platform/posix/configdir.h"
#include "platform/posix/inifilekeystore.h"
#include "platform/qt/dbusdesktopnotifier.h"
#include "platform/qt/logindsleepinhibitor.h"
#include "platform/qt/qtinstancelock.h"
#include "platform/qt/qtquitsignals.h"
#endif

int main(int argc, char** argv) {
    using namespace tremolex;
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Tremolex"));  // its menu entry

    Form1Services services;
#ifdef _WIN32
    services.keys = std::make_unique<RegistryKeyStore>();
    services.instanceLock = std::make_unique<WindowsInstanceLock>();
#else
    services.keys = std::make_unique<IniFileKeyStore>(settingsFilePath());
    services.instanceLock = std::make_unique<QtInstanceLock>();
    services.notifier = std::make_unique<DBusDesktopNotifier>();
    services.sleepInhibitor = std::make_unique<LogindSleepInhibitor>();
#endif
    services.comm = std::make_unique<QtCommPort>();
    services.clock = std::make_unique<QtClock>();
    services.programFolder = QCoreApplication::applicationDirPath().toStdString();
    services.decimalSeparator = localeDecimalSeparator();

    QtMainWindow window;
    Form1 form(window, std::move(services));
    if (!form.Form_Load()) {
        return 0;  // another copy runs
    }
#ifndef _WIN32
    const QtQuitSignals quitSignals([&window] { window.close(); });
#endif
    window.show();
    return QApplication::exec();
}
