#include "platform/qt/qtclock.h"

#include <gtest/gtest.h>

#include <QTime>

namespace tremolex {

TEST(QtClock, GivesTheLocalTimeOfDay) {
    QtClock clock;
    const double before = QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
    clock.secondsSinceMidnight();  // converts; the next reading uses what it found
    const double t = clock.secondsSinceMidnight();
    const double after = QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
    // Unless midnight passed during the readings.
    EXPECT_TRUE(after < before || (t >= before - 0.01 && t <= after + 0.01)) << t;
}

}  // namespace tremolex
