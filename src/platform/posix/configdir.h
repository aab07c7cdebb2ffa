#pragma once

#include <filesystem>
#include <string_view>

#include "platform/productname.h"

namespace tremolex {

// The name under which the program keeps its files in the user's config folder.
inline constexpr std::string_view kConfigName = productname::kFull;

// ${XDG_CONFIG_HOME:-$HOME/.config}; a relative or empty XDG_CONFIG_HOME is ignored, as
// the XDG base directory rules say. Falls back to the password database when HOME is unset.
std::filesystem::path userConfigDirectory();

// The settings file: <config dir>/Bramwick Tremolex.conf
std::filesystem::path settingsFilePath();

}  // namespace tremolex
