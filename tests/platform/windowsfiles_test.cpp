#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/files.h"
#include "support/files.h"

namespace tremolex {
namespace {

namespace fs = std::filesystem;

class WindowsFilesTest : public testing::Test {
protected:
    WindowsFilesTest() {
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    ~WindowsFilesTest() override {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    std::ptrdiff_t entries() const {
        return std::distance(fs::directory_iterator(folder), fs::directory_iterator());
    }
    std::string read(const fs::path& file, std::error_code& error) const {
        std::string content;
        error = readFileChunks(file, [&](std::string_view chunk) { content += chunk; });
        return content;
    }

    fs::path folder = fs::temp_directory_path() / "tremolex-files-test";
};

TEST_F(WindowsFilesTest, ReplacesTheFileWholeAndLeavesNothingElse) {
    std::ofstream(folder / "a.log", std::ios::binary) << "old";
    std::string content;
    for (int i = 0; content.size() < 200'000; ++i) {  // several read chunks, not a multiple
        content += std::to_string(i);
        content += "\r\n";
    }
    ASSERT_FALSE(writeFileAtomically(folder / "a.log", content));
    std::error_code error;
    EXPECT_EQ(read(folder / "a.log", error), content);
    EXPECT_FALSE(error);
    ASSERT_FALSE(writeFileAtomically(folder / "new.log", ""));
    EXPECT_EQ(contentOf(folder / "new.log"), "");
    EXPECT_EQ(entries(), 2);
}

TEST_F(WindowsFilesTest, FailedReplaceSaysWhyAndLeavesTheOldFile) {
    std::ofstream(folder / "kept.log", std::ios::binary) << "1\r\n";
    fs::create_directories(folder / "folder.log");
    for (const fs::path& target :
         {folder / "folder.log", folder / "missing" / "a.log", folder / "kept.log" / "a.log"}) {
        EXPECT_TRUE(writeFileAtomically(target, "2\r\n")) << target;
    }
    EXPECT_EQ(contentOf(folder / "kept.log"), "1\r\n");
    EXPECT_TRUE(fs::is_directory(folder / "folder.log"));
    EXPECT_EQ(entries(), 2);

    for (const fs::path& file : {folder / "absent.log", folder / "folder.log", fs::path("NUL")}) {
        std::error_code error;
        read(file, error);
        EXPECT_TRUE(error) << file;
    }
}

}  // namespace
}  // namespace tremolex
