#include <gtest/gtest.h>

#include <filesystem>

#include "platform/files.h"

namespace tremolex {

namespace fs = std::filesystem;

// What the log files' own tests, run on Windows too, cannot reach: a replacement that fails
// only at the last step, the rename over a folder, leaves no temporary file behind; a
// device name reads as a failure, not as an endless or empty file.
TEST(WindowsFiles, FailedReplaceLeavesNothingAndADeviceIsNoFile) {
    const fs::path folder = fs::temp_directory_path() / "tremolex-files-test";
    fs::remove_all(folder);
    fs::create_directories(folder / "folder.log");
    EXPECT_TRUE(writeFileAtomically(folder / "folder.log", "2\r\n"));
    EXPECT_TRUE(fs::is_empty(folder / "folder.log"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
    EXPECT_TRUE(readFileChunks("NUL", [](std::string_view) {}));
    fs::remove_all(folder);
}

}  // namespace tremolex
