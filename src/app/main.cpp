#include <QApplication>

#include "app/form1.h"
#include "platform/posix/configdir.h"
#include "platform/posix/inifilekeystore.h"
#include "platform/qt/qtclock.h"
#include "platform/qt/qtcommport.h"
#include "platform/qt/qtinstancelock.h"
#include "platform/qt/qtlocale.h"
#include "platform/qt/qtquitsignals.h"

int main(int argc, char** argv) {
    using namespace tremolex;
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Tremolex"));  // its menu entry

    Form1Services services;
    services.keys = std::make_unique<IniFileKeyStore>(settingsFilePath());
    services.comm = std::make_unique<QtCommPort>();
    services.clock = std::make_unique<QtClock>();
    services.instanceLock = std::make_unique<QtInstanceLock>();
    services.programFolder = QCoreApplication::applicationDirPath().toStdString();
    services.decimalSeparator = localeDecimalSeparator();

    Form1 form(std::move(services));
    if (!form.Form_Load()) {
        return 0;  // another copy runs
    }
    const QtQuitSignals quitSignals([&form] { form.close(); });
    form.show();
    return QApplication::exec();
}
