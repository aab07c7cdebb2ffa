#pragma once

#include <windows.h>

#include <type_traits>
#include <utility>

namespace tremolex {

// The ways handles are freed, as functions of our own: a template argument cannot point at
// an imported function.
inline void closeKernelHandle(HANDLE handle) {
    CloseHandle(handle);
}
// Waits for a callback of the wait that is under way to end before it returns.
inline void unregisterWait(HANDLE wait) {
    UnregisterWaitEx(wait, INVALID_HANDLE_VALUE);
}
inline void destroyWindow(HWND window) {
    DestroyWindow(window);
}
template <typename G>
void deleteGdiObject(G object) {
    DeleteObject(object);
}
inline void deleteMemoryDc(HDC dc) {
    DeleteDC(dc);
}
inline void closeRegistryKey(HKEY key) {
    RegCloseKey(key);
}

// The one owner of a Win32 handle: `Close` frees it when the owner is destroyed or given
// another. Move-only. Null is empty; so is INVALID_HANDLE_VALUE for kernel handles, which
// CreateFile gives on failure.
template <typename H, void (*Close)(H)>
class Win32Handle {
public:
    Win32Handle() = default;
    explicit Win32Handle(H handle) : m_handle(emptyIfInvalid(handle)) {}
    ~Win32Handle() { reset(); }
    Win32Handle(const Win32Handle&) = delete;
    Win32Handle& operator=(const Win32Handle&) = delete;
    Win32Handle(Win32Handle&& other) noexcept : m_handle(other.release()) {}
    Win32Handle& operator=(Win32Handle&& other) noexcept {
        reset(other.release());
        return *this;
    }

    H get() const { return m_handle; }
    explicit operator bool() const { return m_handle != H{}; }

    // Gives up ownership without freeing: the caller frees what it gets.
    H release() { return std::exchange(m_handle, H{}); }
    void reset(H handle = H{}) {
        const H old = std::exchange(m_handle, emptyIfInvalid(handle));
        if (old != H{}) {
            Close(old);
        }
    }

private:
    static H emptyIfInvalid(H handle) {
        if constexpr (std::is_same_v<H, HANDLE>) {
            if constexpr (Close == &closeKernelHandle) {
                return handle == INVALID_HANDLE_VALUE ? H{} : handle;
            }
        }
        return handle;
    }

    H m_handle{};
};

using KernelHandle = Win32Handle<HANDLE, &closeKernelHandle>;
using WaitHandle = Win32Handle<HANDLE, &unregisterWait>;
using OwnedWindow = Win32Handle<HWND, &destroyWindow>;
using OwnedBrush = Win32Handle<HBRUSH, &deleteGdiObject<HBRUSH>>;
using OwnedFont = Win32Handle<HFONT, &deleteGdiObject<HFONT>>;
using OwnedBitmap = Win32Handle<HBITMAP, &deleteGdiObject<HBITMAP>>;
using OwnedMemoryDc = Win32Handle<HDC, &deleteMemoryDc>;
using OwnedRegistryKey = Win32Handle<HKEY, &closeRegistryKey>;

}  // namespace tremolex
