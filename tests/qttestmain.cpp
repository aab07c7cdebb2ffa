#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <filesystem>

#include "testenvironment.h"

// Widget tests run without a display, on Qt's offscreen platform.
int main(int argc, char** argv) {
    const std::string root = tremolex::isolateUserFolders();
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    return result;
}
