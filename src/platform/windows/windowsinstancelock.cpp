#include "platform/windows/windowsinstancelock.h"

#include <windows.h>

namespace tremolex {

WindowsInstanceLock::WindowsInstanceLock(std::string name) : m_name(std::move(name)) {}

WindowsInstanceLock::~WindowsInstanceLock() {
    if (m_mutex != nullptr) {
        CloseHandle(m_mutex);
    }
}

bool WindowsInstanceLock::tryLock() {
    if (m_mutex != nullptr) {
        return true;
    }
    HANDLE mutex = CreateMutexA(nullptr, FALSE, m_name.c_str());
    const DWORD error = GetLastError();
    if (mutex == nullptr) {
        // Made by another user's copy in this session, with rights that keep us out.
        return error != ERROR_ACCESS_DENIED;
    }
    if (error == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return false;
    }
    m_mutex = mutex;
    return true;
}

}  // namespace tremolex
