#include "platform/posix/posixclock.h"

#include <ctime>

namespace tremolex {

namespace {

timespec now(clockid_t clock) {
    timespec time{};
    clock_gettime(clock, &time);
    return time;
}

constexpr std::int64_t kMsPerSecond = 1000;
constexpr std::int64_t kNsPerMs = 1'000'000;

// Rounds towards minus infinity, so a time before 1970 falls in the right second.
std::int64_t floorDivide(std::int64_t value, std::int64_t by) {
    const std::int64_t quotient = value / by;
    return quotient * by > value ? quotient - 1 : quotient;
}

}  // namespace

double PosixClock::steadySeconds() {
    const timespec time = now(CLOCK_BOOTTIME);
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) * 1e-9;
}

std::int64_t PosixClock::utcMilliseconds() {
    const timespec time = now(CLOCK_REALTIME);
    return static_cast<std::int64_t>(time.tv_sec) * kMsPerSecond + time.tv_nsec / kNsPerMs;
}

std::int32_t PosixClock::utcOffsetMinutes(std::int64_t utcMilliseconds) {
    const auto seconds = static_cast<std::time_t>(floorDivide(utcMilliseconds, kMsPerSecond));
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr) {
        return 0;
    }
    return static_cast<std::int32_t>(local.tm_gmtoff / 60);
}

}  // namespace tremolex
