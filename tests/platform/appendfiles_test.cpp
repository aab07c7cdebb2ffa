#include <gtest/gtest.h>

#include <filesystem>

#include "platform/appendfile.h"
#include "support/files.h"

namespace tremolex {
namespace {

namespace fs = std::filesystem;

// The disk's recording files on this platform: a name never taken over, text appended and
// synced, a file cut back to its whole lines, and every failure told with the system's words.
TEST(DiskAppendFiles, MakesNewFilesOnlyAppendsAndCutsBack) {
    const fs::path folder = fs::temp_directory_path() / "tremolex-append-test" / u8"Aufnahmen ü";
    fs::remove_all(folder.parent_path());
    const std::unique_ptr<AppendFiles> files = diskAppendFiles();
    ASSERT_FALSE(files->makeFolder(folder));
    ASSERT_FALSE(files->makeFolder(folder));  // there already
    const fs::path file = folder / "2026-12-08 10.00.05.csv";
    std::error_code error;
    {
        const std::unique_ptr<AppendFile> made = files->create(file, error);
        ASSERT_TRUE(made) << error.message();
        EXPECT_FALSE(made->append("head\r\n1,2\r\n3,"));
        EXPECT_FALSE(made->sync());
        EXPECT_EQ(contentOf(file), "head\r\n1,2\r\n3,");
        EXPECT_FALSE(files->create(file, error));
        EXPECT_EQ(error, std::errc::file_exists);
    }
    {
        const std::unique_ptr<AppendFile> again = files->reopen(file, 11, error);
        ASSERT_TRUE(again) << error.message();
        EXPECT_FALSE(again->append("5,6\r\n"));
        EXPECT_FALSE(again->sync());
    }
    EXPECT_EQ(contentOf(file), "head\r\n1,2\r\n5,6\r\n");
    EXPECT_FALSE(files->reopen(file, 100, error));  // longer than it is: no zeros added
    EXPECT_EQ(contentOf(file), "head\r\n1,2\r\n5,6\r\n");
    EXPECT_FALSE(files->reopen(folder / "absent.csv", 0, error));
    EXPECT_EQ(error, std::errc::no_such_file_or_directory);
    EXPECT_FALSE(files->create(folder / "absent" / "x.csv", error));
    EXPECT_FALSE(error.message().empty());
    fs::remove_all(folder.parent_path());
}

#ifndef _WIN32
// A file deleted while it is open takes what is written to it nowhere: the sync says so.
TEST(DiskAppendFiles, SyncTellsOfAFileDeletedUnderIt) {
    const fs::path folder = fs::temp_directory_path() / "tremolex-append-deleted";
    fs::remove_all(folder);
    const std::unique_ptr<AppendFiles> files = diskAppendFiles();
    ASSERT_FALSE(files->makeFolder(folder));
    std::error_code error;
    const std::unique_ptr<AppendFile> file = files->create(folder / "a.csv", error);
    ASSERT_TRUE(file);
    fs::remove(folder / "a.csv");
    EXPECT_FALSE(file->append("1\r\n"));
    EXPECT_EQ(file->sync(), std::errc::no_such_file_or_directory);
    fs::remove_all(folder);
}
#endif

}  // namespace
}  // namespace tremolex
