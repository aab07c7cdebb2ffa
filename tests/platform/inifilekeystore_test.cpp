#include "platform/posix/inifilekeystore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/keystore_contract.h"
#include "platform/posix/configdir.h"
#include "support/files.h"

namespace tremolex {

namespace fs = std::filesystem;

// The settings file in the test's own config folder, which starts empty.
struct SettingsFile {
    SettingsFile() {
        fs::remove_all(userConfigDirectory());
        fs::create_directories(userConfigDirectory());
    }
    std::unique_ptr<KeyStore> store() const {
        return std::make_unique<IniFileKeyStore>(settingsFilePath());
    }
    // A file where the folder would be: root may write anything else.
    void forbid() const {
        fs::remove_all(userConfigDirectory());
        std::ofstream(userConfigDirectory()) << "";
    }
};

INSTANTIATE_TYPED_TEST_SUITE_P(IniFile, KeyStoreContract, SettingsFile);

using IniFileKeyStoreTest = KeyStoreContract<SettingsFile>;

// Kept elsewhere and linked in, as dotfiles often are: it stays linked.
TEST_F(IniFileKeyStoreTest, ReadsAndWritesAFileEditedByHand) {
    const fs::path file = settingsFilePath();
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
