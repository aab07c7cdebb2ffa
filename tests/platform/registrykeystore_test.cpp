#include "platform/windows/registrykeystore.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "settings/module1.h"
#include "support/registry.h"

namespace tremolex {
namespace {

// A value's type and raw data, as another program sees them.
using Value = std::pair<DWORD, std::vector<char>>;

class RegistryKeyStoreTest : public testing::Test {
protected:
    void put(const char* name, DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(
            RegSetKeyValueA(HKEY_CURRENT_USER, key.storeKey().c_str(), name, type, data, size),
            ERROR_SUCCESS);
    }
    Value get(const char* name) {
        std::vector<char> data(1024);
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(data.size());
        if (RegGetValueA(HKEY_CURRENT_USER, key.storeKey().c_str(), name, RRF_RT_ANY | RRF_NOEXPAND,
                         &type, data.data(), &size) != ERROR_SUCCESS) {
            return {REG_NONE, {}};
        }
        data.resize(size);
        return {type, data};
    }

    TestRegistryKey key;
    RegistryKeyStore store{key.storeKey()};
    Module1 settings{store};
};

// Data the program never writes itself: the type is not looked at, the bytes less the
// last one are the text; data that does not fit the buffer is replaced by the default.
TEST_F(RegistryKeyStoreTest, DataOfOtherTypesReadsAsTextWhenItFits) {
    ASSERT_TRUE(store.create());
    const DWORD digits = 0x00303234;  // the bytes '4' '2' '0' 0
    put("Window Left", REG_DWORD, &digits, sizeof digits);
    put("Window Top", REG_BINARY, "", 0);
    const std::vector<char> large(300, 'x');
    put("Last Path", REG_BINARY, large.data(), static_cast<DWORD>(large.size()));

    EXPECT_EQ(settings.regread("Window Left", "4000"), "420");
    EXPECT_EQ(get("Window Left").first, static_cast<DWORD>(REG_DWORD));  // left as it was
    EXPECT_EQ(settings.regread("Window Top", "3000"), "");
    EXPECT_EQ(settings.regread("Last Path", "c:\\"), "c:\\");
    EXPECT_EQ(get("Last Path"), (Value{REG_SZ, {'c', ':', '\\', '\0'}}));
}

// Other programs read the value in the system's code page; the program reads back its own
// UTF-8 text.
TEST_F(RegistryKeyStoreTest, TextBeyondAsciiIsStoredInTheCodePage) {
    const std::string path = "c:\\caf\xc3\xa9\\";  // "c:\café\" in UTF-8
    settings.regwrite("Last Path", path);
    EXPECT_EQ(settings.regread("Last Path", "c:\\"), path);
    if (GetACP() != 1252) {
        GTEST_SKIP() << "the checks of the stored bytes assume code page 1252";
    }
    EXPECT_EQ(get("Last Path").second,
              (std::vector<char>{'c', ':', '\\', 'c', 'a', 'f', '\xe9', '\\', '\0'}));
    // 200 letters fit the buffer in the code page but not in UTF-8: as unreadable as a
    // text that is too long.
    std::string letters;
    for (int i = 0; i < 200; ++i) {
        letters += "\xc3\xa9";
    }
    settings.regwrite("Last Path", letters);
    EXPECT_EQ(get("Last Path").second.size(), 201u);
    EXPECT_EQ(settings.regread("Last Path", "c:\\"), "c:\\");
}

// Text is stored as REG_SZ with its terminator. A key opened for reading stores nothing;
// the registry calls end a name at its first zero byte: such a name would reach another value.
TEST_F(RegistryKeyStoreTest, StoresTextAsRegSzAndRefusesWritesThatCannotBeRight) {
    EXPECT_EQ(store.open(KeyStore::Access::Read), nullptr);  // the key is missing
    settings.regwrite("Range", ".3");
    settings.regwrite("Last Path", "");
    EXPECT_EQ(get("Last Path"), (Value{REG_SZ, {'\0'}}));
    EXPECT_FALSE(store.open(KeyStore::Access::Read)->set("Range", ".4"));
    const std::string name("Range\0X", 7);
    char buffer[16];
    EXPECT_FALSE(store.open(KeyStore::Access::Write)->set(name, ".9"));
    EXPECT_EQ(store.open(KeyStore::Access::Read)->query(name, buffer), std::nullopt);
    EXPECT_EQ(get("Range"), (Value{REG_SZ, {'.', '3', '\0'}}));
}

}  // namespace
}  // namespace tremolex
