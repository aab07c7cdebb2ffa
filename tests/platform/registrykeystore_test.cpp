#include "platform/windows/registrykeystore.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/keystore_contract.h"
#include "platform/windows/widetext.h"
#include "settings/settingsstore.h"
#include "support/registry.h"

namespace tremolex {

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
        DWORD type = REG_NONE, size = static_cast<DWORD>(data.size());
        EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER, key.storeKey().c_str(), name,
                               RRF_RT_ANY | RRF_NOEXPAND, &type, data.data(), &size),
                  ERROR_SUCCESS);
        data.resize(size);
        return {type, data};
    }

    TestRegistryKey key;
    RegistryKeyStore store{key.storeKey()};
    SettingsStore settings{store};
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

// A folder outside the code page ("D:\Messdaten für Zellen\Łódź\", whose Ł and ź code page
// 1252 lacks) reads back whole, and other programs find it as UTF-16 REG_SZ. An ASCII value
// that the 8-bit calls of earlier versions wrote reads back as it was.
TEST_F(RegistryKeyStoreTest, TextOutsideTheCodePageIsStoredAsUtf16AndReadBackWhole) {
    const std::string path =
        "D:\\Messdaten f\xc3\xbcr Zellen\\\xc5\x81\xc3\xb3"
        "d\xc5\xba\\";
    settings.regwrite("Last Path", path);
    EXPECT_EQ(settings.regread("Last Path", "c:\\"), path);
    std::wstring data(64, L'\0');
    DWORD type = REG_NONE, size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, toWide(key.storeKey()).c_str(), L"Last Path",
                           RRF_RT_ANY | RRF_NOEXPAND, &type, data.data(), &size),
              ERROR_SUCCESS);
    data.resize(size / sizeof(wchar_t));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(data, std::wstring(L"D:\\Messdaten f\u00fcr Zellen\\\u0141\u00f3d\u017a\\") + L'\0');

    put("Window Left", REG_SZ, "4000", 5);
    put("Last Path", REG_SZ, "c:\\data\\", 9);
    EXPECT_EQ(settings.regread("Window Left", "0"), "4000");
    EXPECT_EQ(settings.regread("Last Path", "c:\\"), "c:\\data\\");
}

// A key of the test's own below HKEY_CURRENT_USER.
struct TestKey {
    std::unique_ptr<KeyStore> store() const {
        return std::make_unique<RegistryKeyStore>(key.storeKey());
    }
    void forbid() const { key.forbid(); }
    TestRegistryKey key;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Registry, KeyStoreContract, TestKey);

}  // namespace tremolex
