#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <stdexcept>
#include <string>

namespace tremolex {

// Something the program needs from Win32 could not be made: a window, a control, a GDI
// object, a timer. The code that made the call throws it; run() tells it to the user once
// and ends the program, which then writes no settings.
class Win32Failure final : public std::runtime_error {
public:
    // `what` says what was not made ("the main window"); `error` is why, as GetLastError()
    // gave it; the message has it in the system's words.
    Win32Failure(const std::string& what, DWORD error);

    DWORD error() const { return m_error; }
    // The system's own words for `error`, without the line break they end in.
    static std::string systemWords(DWORD error);

    // `made` when it is something (a handle, a timer id); else throws for `what`.
    template <typename T>
    static T check(T made, const char* what) {
        if (!made) {
            const DWORD error = GetLastError();  // before anything else can change it
            throw Win32Failure(what, error);
        }
        return made;
    }

    // For window procedures, out of which nothing may be thrown: runs `handler` and gives
    // its result. What it throws is kept, the message loop is asked to end, and
    // rethrowKept() throws it again there; `failed` is the message's result meanwhile.
    // Only the first failure is kept.
    template <typename F>
    static LRESULT guard(F&& handler, LRESULT failed = 0) noexcept {
        try {
            return handler();
        } catch (...) {
            keep(std::current_exception());
            return failed;
        }
    }
    static void rethrowKept();

    // Runs the program and gives its exit code. A failure it throws, also one kept by
    // guard(), is told through `tell` once and gives exit code 1.
    static int run(const std::function<int()>& program,
                   const std::function<void(const std::string&)>& tell);

private:
    static void keep(std::exception_ptr failure) noexcept;

    DWORD m_error;
};

}  // namespace tremolex
