#include "platform/qt/qtclock.h"

#include <gtest/gtest.h>

#include <QTime>

namespace tremolex {
namespace {

TEST(QtClock, GivesTheLocalTimeOfDay) {
    QtClock clock;
    for (int i = 0; i < 3; ++i) {  // the first reading converts, later ones use the cache
        const double before = QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
        const double t = clock.secondsSinceMidnight();
        const double after = QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
        if (after >= before) {  // else midnight passed during the reading
            EXPECT_GE(t, before - 0.01);
            EXPECT_LE(t, after + 0.01);
        }
    }
}

}  // namespace
}  // namespace tremolex
