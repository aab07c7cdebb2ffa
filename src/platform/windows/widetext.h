#pragma once

#include <string>
#include <string_view>

namespace tremolex {

// The program's texts are UTF-8; the wide ("W") calls of Windows take and give UTF-16.
// A byte sequence that is not UTF-8 becomes U+FFFD, and so does a lone surrogate on the
// way back.
std::wstring toWide(std::string_view utf8);
std::string toUtf8(std::wstring_view utf16);

}  // namespace tremolex
