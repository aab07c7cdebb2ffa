#include "testenvironment.h"

#include <stdlib.h>

#include <filesystem>
#include <random>

namespace tremolex {

std::string isolateUserFolders() {
    namespace fs = std::filesystem;
    fs::path root;
    std::random_device entropy;
    do {
        root = fs::temp_directory_path() / ("tremolex-test-" + std::to_string(entropy()));
    } while (!fs::create_directory(root));
    fs::permissions(root, fs::perms::owner_all);
#ifdef _WIN32
    // Windows keeps settings in the registry, where each test uses a key of its own; the
    // folders are for the tests' files.
    _putenv_s("HOME", root.string().c_str());
#else
    fs::create_directory(root / "config");
    fs::create_directory(root / "runtime");
    fs::permissions(root / "runtime", fs::perms::owner_all);  // as Qt wants it
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (root / "runtime").c_str(), 1);
    setenv("HOME", root.c_str(), 1);
    // GTK's dialogs keep recent files and caches there.
    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_CACHE_HOME");
#endif
    return root.string();
}

}  // namespace tremolex
