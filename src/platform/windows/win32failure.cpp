#include "platform/windows/win32failure.h"

#include <array>
#include <cwctype>
#include <string_view>
#include <utility>

#include "platform/windows/widetext.h"

namespace tremolex {

namespace {

std::exception_ptr& kept() {
    static std::exception_ptr failure;
    return failure;
}

}  // namespace

// The standard library's system_category() does not know the system's own messages here.
std::string Win32Failure::systemWords(DWORD error) {
    std::array<wchar_t, 512> text{};
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                       0, text.data(), static_cast<DWORD>(text.size()), nullptr);
    std::wstring_view words(text.data(), length);
    while (!words.empty() && std::iswspace(words.back())) {
        words.remove_suffix(1);  // the messages end in a line break
    }
    return words.empty() ? "system error " + std::to_string(error) : toUtf8(words);
}

Win32Failure::Win32Failure(const std::string& what, DWORD error)
    : std::runtime_error(what + " could not be made: " + systemWords(error)), m_error(error) {}

void Win32Failure::keep(std::exception_ptr failure) noexcept {
    if (!kept()) {
        kept() = std::move(failure);
        PostQuitMessage(1);  // also ends a modal dialog's loop on the way
    }
}

void Win32Failure::rethrowKept() {
    if (std::exception_ptr failure = std::exchange(kept(), nullptr)) {
        std::rethrow_exception(failure);
    }
}

int Win32Failure::run(const std::function<int()>& program,
                      const std::function<void(const std::string&)>& tell) {
    kept() = nullptr;
    try {
        const int code = program();
        rethrowKept();
        return code;
    } catch (const std::exception& failure) {
        tell(failure.what());
    } catch (...) {
        tell("The program failed.");
    }
    kept() = nullptr;
    return 1;
}

}  // namespace tremolex
