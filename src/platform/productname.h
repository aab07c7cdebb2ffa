#pragma once

#include <string_view>

// The program's names, wherever the program shows or files itself.
namespace tremolex::productname {

// Its own name: the title of its message boxes, its notifications and its sleep lock.
inline constexpr std::string_view kShort = "Tremolex";
// With its maker's: the window's title, and the name of its settings, its folder of port
// entries and its single-instance lock.
inline constexpr std::string_view kFull = "Bramwick Tremolex";

}  // namespace tremolex::productname
