#include "platform/windows/win32clock.h"

#include <windows.h>

namespace tremolex {

namespace {

// FILETIME counts 100 ns from 1601-01-01; Unix time from 1970-01-01.
constexpr std::int64_t kTicksPerMs = 10'000;
constexpr std::int64_t kUnixEpochTicks = 116'444'736'000'000'000LL;

std::int64_t ticksOf(const FILETIME& time) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                     time.dwLowDateTime);
}

FILETIME fileTimeOf(std::int64_t ticks) {
    const auto bits = static_cast<std::uint64_t>(ticks);
    return {static_cast<DWORD>(bits & 0xffffffffU), static_cast<DWORD>(bits >> 32)};
}

}  // namespace

double Win32Clock::steadySeconds() {
    return static_cast<double>(GetTickCount64()) / 1000.0;
}

std::int64_t Win32Clock::utcMilliseconds() {
    FILETIME now{};
    GetSystemTimePreciseAsFileTime(&now);
    return (ticksOf(now) - kUnixEpochTicks) / kTicksPerMs;
}

std::int32_t Win32Clock::utcOffsetMinutes(std::int64_t utcMilliseconds) {
    const std::int64_t minuteTicks = utcMilliseconds / 60'000 * 60'000 * kTicksPerMs;
    const FILETIME utc = fileTimeOf(minuteTicks + kUnixEpochTicks);
    SYSTEMTIME utcParts{};
    SYSTEMTIME localParts{};
    FILETIME local{};
    if (FileTimeToSystemTime(&utc, &utcParts) == 0 ||
        SystemTimeToTzSpecificLocalTime(nullptr, &utcParts, &localParts) == 0 ||
        SystemTimeToFileTime(&localParts, &local) == 0) {
        return 0;
    }
    return static_cast<std::int32_t>((ticksOf(local) - ticksOf(utc)) / (60 * 1000 * kTicksPerMs));
}

}  // namespace tremolex
