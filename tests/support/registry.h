#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace tremolex {

// A registry key of the running test's own below HKEY_CURRENT_USER, removed before and
// after the test, so tests never see each other's values or the program's own settings.
class TestRegistryKey {
public:
    TestRegistryKey() { remove(); }
    ~TestRegistryKey() { remove(); }
    TestRegistryKey(const TestRegistryKey&) = delete;
    TestRegistryKey& operator=(const TestRegistryKey&) = delete;

    // Where the store's key goes: one level below the test's key, so that key can be made
    // into one under which nothing lasting may be created.
    std::string storeKey() const { return m_path + "\\Bramwick Tremolex"; }

    // No key can be created or opened at storeKey() any more.
    void forbid() const {
        remove();
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, m_path.c_str(), 0, nullptr,
                                  REG_OPTION_VOLATILE, KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    void remove() const { RegDeleteTreeA(HKEY_CURRENT_USER, m_path.c_str()); }

private:
    const testing::TestInfo& m_test = *testing::UnitTest::GetInstance()->current_test_info();
    const std::string m_path =
        std::string("Software\\Tremolex tests\\") + m_test.test_suite_name() + '.' + m_test.name();
};

}  // namespace tremolex
