#include <QtCore/qtestsupport_core.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>
#include <map>
#include <memory>

#include "platform/qt/dbusdesktopnotifier.h"
#include "platform/qt/logindsleepinhibitor.h"

namespace tremolex {

// A dbus-daemon of the test's own, starting no services, stands in for the session and the
// system bus. The fixture is the fake logind or notification service: it keeps every call.
class DBusServices : public testing::Test, public QDBusVirtualObject {
protected:
    void SetUp() override {
        m_daemon.start("dbus-daemon",
                       {"--nofork", "--print-address", "--config-file=" TEST_BUS_CONFIG,
                        "--address=unix:dir=" + m_folder.path()});
        ASSERT_TRUE(m_daemon.waitForReadyRead(10000)) << "no dbus-daemon";
        const QString address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        m_bus = QDBusConnection::connectToBus(address, "program");
        m_fake = QDBusConnection::connectToBus(address, "fake");
        ASSERT_TRUE(m_bus.isConnected() && m_fake.isConnected());
    }
    void TearDown() override {
        QDBusConnection::disconnectFromBus("program");
        QDBusConnection::disconnectFromBus("fake");
        m_daemon.kill();
        m_daemon.waitForFinished();
    }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
        m_calls.append(message);
        return true;
    }
    QString introspect(const QString&) const override { return {}; }
    void serve(const QString& name) {
        m_name = name;
        ASSERT_TRUE(m_fake.registerService(name) && m_fake.registerVirtualObject(path(), this));
    }
    QString path() const { return "/" + QString(m_name).replace('.', '/'); }
    // Until all the program sent so far has come: one connection's messages keep their order.
    void waitForAllCalls() {
        m_bus.send(QDBusMessage::createMethodCall(m_name, path(), "test.Marker", "Marker"));
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return !m_calls.isEmpty() && m_calls.back().member() == "Marker"; }));
        m_calls.removeLast();
    }
    // Answers the next call with the write end of a new pipe; the test keeps the read end.
    void answerWithPipe() {
        const qsizetype next = m_readEnds.size();
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_calls.size() > next; }));
        int ends[2] = {};
        ASSERT_EQ(pipe(ends), 0);
        const QDBusUnixFileDescriptor writeEnd(ends[1]);  // a copy of its own
        close(ends[1]);
        m_readEnds.emplace_back().giveFileDescriptor(ends[0]);
        m_fake.send(m_calls[next].createReply(QVariant::fromValue(writeEnd)));
    }

    QTemporaryDir m_folder;
    QProcess m_daemon;
    QDBusConnection m_bus{QString()};
    QDBusConnection m_fake{QString()};
    QString m_name;
    QList<QDBusMessage> m_calls;
    QList<QDBusUnixFileDescriptor> m_readEnds;  // of the locks handed out
};

TEST_F(DBusServices, NotificationIsSentOnceWithTitleAndText) {
    serve("org.freedesktop.Notifications");
    DBusDesktopNotifier(m_bus).notify("Charge ended", "Cell 2 · 1,48 V after 3 h 05 min");
    waitForAllCalls();
    ASSERT_EQ(m_calls.size(), 1);
    EXPECT_EQ(m_calls[0].interface() + "." + m_calls[0].member(), m_name + ".Notify");
    const QVariantList args = m_calls[0].arguments();
    EXPECT_EQ(args.mid(0, 6), (QVariantList{"Tremolex", 0u, "org.example.Tremolex", "Charge ended",
                                            "Cell 2 · 1,48 V after 3 h 05 min", QStringList()}));
    EXPECT_EQ(args.value(7), QVariant(-1));  // the service's own timeout
}

// Steps: h hold, r release, d destroy, a answer the next Inhibit with a pipe, g wait for
// the lock to arrive. Every lock handed out must end closed, but one wanted at the end. The
// fake answers on the test's thread: a call that waited for its answer would never get it.
struct InhibitCase {
    const char* name;
    std::string_view steps;
    bool heldAtEnd;
};
class LogindInhibit : public DBusServices, public testing::WithParamInterface<InhibitCase> {};

TEST_P(LogindInhibit, LockIsOpenExactlyWhileWanted) {
    serve("org.freedesktop.login1");
    auto inhibitor = std::make_unique<LogindSleepInhibitor>(m_bus);
    const std::map<char, std::function<void()>> act{
        {'h', [&] { inhibitor->hold(); }},
        {'r', [&] { inhibitor->release(); }},
        {'d', [&] { inhibitor.reset(); }},
        {'a', [&] { answerWithPipe(); }},
        {'g', [&] { ASSERT_TRUE(QTest::qWaitFor([&] { return inhibitor->granted(); })); }}};
    for (const char step : GetParam().steps) {
        ASSERT_NO_FATAL_FAILURE(act.at(step)()) << step;
    }
    waitForAllCalls();
    EXPECT_EQ(m_calls.size(), m_readEnds.size());  // no call but those answered
    const QDBusMessage& call = m_calls.back();
    EXPECT_EQ(call.interface() + "." + call.member(), m_name + ".Manager.Inhibit");
    EXPECT_EQ(call.arguments(), (QVariantList{"sleep", "Tremolex", "Recording a charge", "block"}));
    for (qsizetype i = 0; i < m_readEnds.size(); ++i) {
        const bool kept = GetParam().heldAtEnd && i + 1 == m_readEnds.size();
        pollfd end{m_readEnds[i].fileDescriptor(), POLLIN, 0};
        EXPECT_TRUE(QTest::qWaitFor([&] {
            return (poll(&end, 1, 0) && end.revents & POLLHUP) != kept;
        })) << i;
    }
    EXPECT_TRUE(!inhibitor || inhibitor->held() == GetParam().heldAtEnd);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, LogindInhibit,
    testing::Values(InhibitCase{"ReleaseClosesTheLock", "hagr", false},
                    InhibitCase{"DestructionClosesTheLock", "hagd", false},
                    InhibitCase{"ReleaseBeforeTheAnswerEndsReleased", "hra", false},
                    InhibitCase{"DestructionBeforeTheAnswer", "hda", false},
                    InhibitCase{"HoldAgainBeforeTheAnswerKeepsItsLock", "hrhag", true},
                    InhibitCase{"HoldingTwiceAsksOnce", "hhagh", true},
                    InhibitCase{"HoldAfterAReleaseAsksAgain", "hagrhag", true}),
    [](const auto& info) { return std::string(info.param.name); });

// No service on the bus, or no bus at all: no error, and a hold is still wanted.
TEST_F(DBusServices, MissingServiceOrBusIsNoError) {
    for (const QDBusConnection& bus : {m_bus, QDBusConnection::connectToBus("unix:path=/-", "-")}) {
        LogindSleepInhibitor inhibitor(bus);
        inhibitor.hold();
        DBusDesktopNotifier(bus).notify("Charge ended", "");
        QTest::qWait(100);  // for the refusals to come back
        EXPECT_TRUE(inhibitor.held() && !inhibitor.granted());
    }
    QDBusConnection::disconnectFromBus("-");
}

}  // namespace tremolex
