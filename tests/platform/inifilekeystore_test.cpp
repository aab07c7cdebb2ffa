#include "platform/posix/inifilekeystore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/posix/configdir.h"
#include "support/files.h"

namespace tremolex {

namespace fs = std::filesystem;
using namespace std::string_view_literals;

class IniFileKeyStoreTest : public testing::Test {
protected:
    IniFileKeyStoreTest() {
        fs::remove_all(userConfigDirectory());
        fs::create_directories(userConfigDirectory());
    }

    std::optional<std::string> read(const std::string& name) {
        auto key = store.open(KeyStore::Access::Read);
        char buffer[1024];
        const auto size = key ? key->query(name, buffer) : std::nullopt;
        return size ? std::optional<std::string>(std::string(buffer, *size - 1)) : std::nullopt;
    }
    bool write(const std::string& name, const std::string& text) {
        auto key = store.open(KeyStore::Access::Write);
        return key && key->set(name, text);
    }

    fs::path file = settingsFilePath();
    IniFileKeyStore store{file};
};

TEST_F(IniFileKeyStoreTest, AnyTextReadsBackExactly) {
    ASSERT_TRUE(store.create());
    // Blanks at either end, quotes, escapes written by hand, line breaks, a zero byte.
    const std::string_view texts[] = {"",        "\t4000 ",    "\"quoted\"",   "\"",
                                      "a\\nb\\", "x=y; z # w", "line\nfeed\r", "/home/ünï/données/",
                                      "nul\0z"sv};
    for (const std::string_view text : texts) {
        ASSERT_TRUE(write("Last Path", std::string(text)));
        EXPECT_EQ(read("Last Path"), text);
    }
}

// Kept elsewhere and linked in, as dotfiles often are: it stays linked.
TEST_F(IniFileKeyStoreTest, ReadsAndWritesAFileEditedByHand) {
    const fs::path target = userConfigDirectory() / "dotfiles.conf";
    std::ofstream(target, std::ios::binary)
        << "# my bench\r\n[Tremolex]\r\n  Range =  .3  \r\nbroken line\r\n"
           "Serial Port Number=5\r\nSerial Port Number=6\r\nLast Path=C:\\data\\\r\n";
    fs::create_symlink(target, file);
    EXPECT_EQ(read("Range"), ".3");
    EXPECT_EQ(read("Serial Port Number"), "5");
    EXPECT_EQ(read("Last Path"), "C:\\data\\");
    EXPECT_EQ(read("broken line"), std::nullopt);

    ASSERT_TRUE(write("Range", ".5") && write("Window Left", "7"));
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_EQ(contentOf(target),
              "# my bench\n[Tremolex]\nRange=.5\nbroken line\nSerial Port Number=5\n"
              "Serial Port Number=6\nLast Path=C:\\data\\\nWindow Left=7\n");
}

}  // namespace tremolex
