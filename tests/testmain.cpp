#include <gtest/gtest.h>

#include <filesystem>

#include "testenvironment.h"

int main(int argc, char** argv) {
    const std::string root = tremolex::isolateUserFolders();
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    return result;
}
