#include "platform/windows/windowsinstancelock.h"

#include <windows.h>

#include <utility>

#include "platform/windows/widetext.h"

namespace tremolex {

WindowsInstanceLock::WindowsInstanceLock(std::string name) : m_name(std::move(name)) {}

bool WindowsInstanceLock::tryLock() {
    if (m_mutex) {
        return true;
    }
    const std::wstring name = toWide(m_name);
    KernelHandle mutex(CreateMutexW(nullptr, FALSE, name.c_str()));
    const DWORD error = GetLastError();  // ERROR_ALREADY_EXISTS also on success
    if (!mutex) {
        // Made by another user's copy in this session, with rights that keep us out.
        return error != ERROR_ACCESS_DENIED;
    }
    if (error == ERROR_ALREADY_EXISTS) {
        return false;
    }
    m_mutex = std::move(mutex);
    return true;
}

}  // namespace tremolex
