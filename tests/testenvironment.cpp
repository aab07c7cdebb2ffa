#include "testenvironment.h"

#include <stdlib.h>
#ifdef _WIN32
#include <windows.h>
#endif

#include <filesystem>

namespace tremolex {

#ifdef _WIN32
// Windows keeps settings in the registry, where each test uses a key of its own; the
// folders are for the tests' files.
std::string isolateUserFolders() {
    const std::filesystem::path temp = std::filesystem::temp_directory_path();
    std::filesystem::path root;
    for (unsigned attempt = 0;; ++attempt) {
        std::string name = "tremolex-test-";
        name += std::to_string(GetCurrentProcessId());
        name += '-';
        name += std::to_string(attempt);
        root = temp / name;
        if (std::filesystem::create_directory(root)) {
            break;
        }
    }
    _putenv_s("HOME", root.string().c_str());
    return root.string();
}
#else
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
#endif

}  // namespace tremolex
