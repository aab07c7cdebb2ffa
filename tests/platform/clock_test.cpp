#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>

#ifdef _WIN32
#include "platform/windows/win32clock.h"
using SystemClock = tremolex::Win32Clock;
#else
#include "platform/posix/posixclock.h"
using SystemClock = tremolex::PosixClock;
#endif

namespace tremolex {
namespace {

std::int64_t systemMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

TEST(SystemClock, SteadyNeverGoesBackAndTheWallClockIsTheSystemsInUtc) {
    SystemClock clock;
    const double steady = clock.steadySeconds();
    EXPECT_GT(steady, 0);
    EXPECT_GE(clock.steadySeconds(), steady);
    const std::int64_t before = systemMilliseconds();
    const std::int64_t wall = clock.utcMilliseconds();
    EXPECT_GE(wall, before - 20);  // the clocks may tick at different grains
    EXPECT_LE(wall, systemMilliseconds() + 20);
    const std::int32_t offset = clock.utcOffsetMinutes(wall);
    EXPECT_LE(std::abs(offset), 14 * 60);
    EXPECT_EQ(offset % 15, 0);
}

#ifndef _WIN32
// Zones given as rules, which need no zone database: the offset of each moment, daylight
// saving included, and of moments before 1970 too.
TEST(SystemClock, LocalOffsetFollowsTheZoneAndItsDaylightSaving) {
    const char* const saved = std::getenv("TZ");
    const std::string kept = saved != nullptr ? saved : "";
    const std::tuple<const char*, std::int64_t, std::int32_t> cases[] = {
        {"NPT-5:45", 1'796'720'400'000, 345},
        {"NST+3:30", 1'796'720'400'000, -210},
        {"CET-1CEST,M3.5.0,M10.5.0/3", 1'796'720'400'000, 60},   // December
        {"CET-1CEST,M3.5.0,M10.5.0/3", 1'783'000'000'000, 120},  // July
        {"CET-1CEST,M3.5.0,M10.5.0/3", -1, 60},                  // 1969-12-31 23:59:59.999
    };
    PosixClock clock;
    for (const auto& [zone, when, offset] : cases) {
        setenv("TZ", zone, 1);
        tzset();
        EXPECT_EQ(clock.utcOffsetMinutes(when), offset) << zone << " " << when;
    }
    if (saved != nullptr) {
        setenv("TZ", kept.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
}
#endif

}  // namespace
}  // namespace tremolex
