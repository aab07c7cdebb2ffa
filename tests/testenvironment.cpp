#include "testenvironment.h"

#include <stdlib.h>

#include <filesystem>

namespace tremolex {

std::string isolateUserFolders() {
    std::string root = (std::filesystem::temp_directory_path() / "tremolex-test-XXXXXX").string();
    if (mkdtemp(root.data()) == nullptr) {
        abort();
    }
    std::filesystem::create_directories(root + "/config");
    std::filesystem::create_directories(root + "/runtime");
    std::filesystem::permissions(root + "/runtime", std::filesystem::perms::owner_all);
    setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (root + "/runtime").c_str(), 1);
    setenv("HOME", root.c_str(), 1);
    return root;
}

}  // namespace tremolex
