#pragma once

#include <string>

namespace tremolex {

// Points XDG_CONFIG_HOME, XDG_RUNTIME_DIR and HOME at a new temporary folder, so no test
// can read or change the settings of the person running the tests. Returns the folder.
std::string isolateUserFolders();

}  // namespace tremolex
