#include "platform/windows/win32sleepinhibitor.h"

#include <windows.h>

namespace tremolex {

void Win32SleepInhibitor::hold() {
    if (!m_held) {
        SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
        m_held = true;
    }
}

void Win32SleepInhibitor::release() {
    if (m_held) {
        SetThreadExecutionState(ES_CONTINUOUS);
        m_held = false;
    }
}

}  // namespace tremolex
