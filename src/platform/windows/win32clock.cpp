#include "platform/windows/win32clock.h"

#include <windows.h>

namespace tremolex {

float Win32Clock::secondsSinceMidnight() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const long ms =
        ((now.wHour * 60L + now.wMinute) * 60L + now.wSecond) * 1000L + now.wMilliseconds;
    return static_cast<float>(static_cast<double>(ms) / 1000.0);
}

}  // namespace tremolex
