#pragma once

#include <string>

#include "platform/instancelock.h"
#include "platform/productname.h"
#include "platform/windows/win32handle.h"

namespace tremolex {

// The lock is a named mutex in the user's session (its name may be any Unicode text); the system
// drops it with the last handle, so a copy that crashed holds nothing.
class WindowsInstanceLock final : public InstanceLock {
public:
    inline static const std::string kProgramMutex = "Local\\" + std::string(productname::kFull);

    // `name` of the mutex; tests give one of their own.
    explicit WindowsInstanceLock(std::string name = kProgramMutex);
    WindowsInstanceLock(const WindowsInstanceLock&) = delete;
    WindowsInstanceLock& operator=(const WindowsInstanceLock&) = delete;

    // When the mutex can be neither made nor found (no memory, say), the program runs:
    // a second copy is better than a program that never starts, silently.
    bool tryLock() override;

private:
    std::string m_name;
    KernelHandle m_mutex;  // held for the whole run
};

}  // namespace tremolex
