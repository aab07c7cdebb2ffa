#pragma once

#include "platform/sleepinhibitor.h"

namespace tremolex {

// Keeps Windows from sleeping while the system is idle, through the execution state of the
// calling thread: made and used on the user-interface thread, which lasts as long as the
// program. Sleep the user asks for still happens.
class Win32SleepInhibitor final : public SleepInhibitor {
public:
    Win32SleepInhibitor() = default;
    ~Win32SleepInhibitor() override { release(); }
    Win32SleepInhibitor(const Win32SleepInhibitor&) = delete;
    Win32SleepInhibitor& operator=(const Win32SleepInhibitor&) = delete;

    void hold() override;
    void release() override;
    bool held() const override { return m_held; }

private:
    bool m_held = false;
};

}  // namespace tremolex
