#include "platform/windows/widetext.h"

#include <windows.h>

#include <algorithm>
#include <limits>

namespace tremolex {

namespace {
// The conversions count in int; texts of the program are far shorter.
constexpr std::size_t kLongest = std::numeric_limits<int>::max() / 4;
}  // namespace

std::wstring toWide(std::string_view utf8) {
    if (utf8.empty() || utf8.size() > kLongest) {
        return {};
    }
    const int length = static_cast<int>(utf8.size());
    const int wide = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    std::wstring result(static_cast<std::size_t>(std::max(wide, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, result.data(), wide);
    return result;
}

std::string toUtf8(std::wstring_view utf16) {
    if (utf16.empty() || utf16.size() > kLongest) {
        return {};
    }
    const int length = static_cast<int>(utf16.size());
    const int narrow =
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(std::max(narrow, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, result.data(), narrow, nullptr, nullptr);
    return result;
}

}  // namespace tremolex
