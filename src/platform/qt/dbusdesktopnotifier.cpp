#include "platform/qt/dbusdesktopnotifier.h"

#include <QApplication>
#include <QDBusMessage>
#include <QVariantMap>

#include "platform/productname.h"
#include "platform/qt/qttext.h"

namespace tremolex {

namespace {
// The program's desktop entry: the notification shows its icon, and the desktop groups it
// with the program.
const QString kDesktopEntry = QStringLiteral("org.example.Tremolex");
}  // namespace

DBusDesktopNotifier::DBusDesktopNotifier(QDBusConnection bus) : m_bus(std::move(bus)) {}

void DBusDesktopNotifier::notify(std::string_view title, std::string_view text) {
    QApplication::beep();
    if (!m_bus.isConnected()) {
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    call << toQString(productname::kShort) << 0u /* a new notification */ << kDesktopEntry
         << toQString(title) << toQString(text) << QStringList() /* no actions */
         << QVariantMap{{QStringLiteral("desktop-entry"), kDesktopEntry}}
         << -1 /* the service's own timeout */;
    m_bus.send(call);  // its answer, the notification's number, is of no use
}

}  // namespace tremolex
