#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/files.h"
#include "support/files.h"

namespace tremolex {
namespace {

namespace fs = std::filesystem;

// The log files' own tests cover saving and loading through these on Windows too.
TEST(WindowsFiles, ReplaceIsWholeOrNothingAndLeavesNothingElse) {
    const fs::path folder = fs::temp_directory_path() / "tremolex-files-test";
    fs::remove_all(folder);
    fs::create_directories(folder / "folder.log");
    std::ofstream(folder / "a.log", std::ios::binary) << "old";
    std::string content;
    for (int i = 0; content.size() < 200'000; ++i) {  // several read chunks, not a multiple
        content += std::to_string(i) + "\r\n";
    }
    ASSERT_FALSE(writeFileAtomically(folder / "a.log", content));
    std::string read;
    EXPECT_FALSE(readFileChunks(folder / "a.log", [&](std::string_view chunk) { read += chunk; }));
    EXPECT_EQ(read, content);

    for (const fs::path& target :
         {folder / "folder.log", folder / "missing" / "b.log", folder / "a.log" / "b.log"}) {
        EXPECT_TRUE(writeFileAtomically(target, "2\r\n")) << target;
    }
    EXPECT_EQ(contentOf(folder / "a.log"), content);
    EXPECT_TRUE(fs::is_directory(folder / "folder.log"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);
    for (const fs::path& file : {folder / "absent.log", folder / "folder.log", fs::path("NUL")}) {
        EXPECT_TRUE(readFileChunks(file, [](std::string_view) {})) << file;
    }
    fs::remove_all(folder);
}

}  // namespace
}  // namespace tremolex
