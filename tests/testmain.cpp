#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

// Every test process gets its own config and runtime folders, so no test can read or
// change the settings of the person running the tests.
int main(int argc, char** argv) {
    std::string root = (std::filesystem::temp_directory_path() / "tremolex-test-XXXXXX").string();
    if (mkdtemp(root.data()) == nullptr) {
        return 2;
    }
    std::filesystem::create_directories(root + "/config");
    std::filesystem::create_directories(root + "/runtime");
    std::filesystem::permissions(root + "/runtime", std::filesystem::perms::owner_all);
    setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (root + "/runtime").c_str(), 1);
    setenv("HOME", root.c_str(), 1);

    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    return result;
}
