#include "platform/qt/qttimer.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLocale>

#include "platform/qt/qtlocale.h"

namespace tremolex {
namespace {

TEST(QtTimer, TicksUntilStopped) {
    QtTimer timer;
    int ticks = 0;
    timer.start(std::chrono::milliseconds(1), [&] { ++ticks; });
    const QDeadlineTimer deadline(5000);
    while (ticks < 3 && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    EXPECT_GE(ticks, 3);
    timer.stop();
    const int stoppedAt = ticks;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(ticks, stoppedAt);
}

TEST(QtLocale, DecimalSeparatorFollowsTheLocale) {
    QLocale::setDefault(QLocale(QLocale::German));
    EXPECT_EQ(localeDecimalSeparator(), ",");
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(localeDecimalSeparator(), ".");
}

}  // namespace
}  // namespace tremolex
