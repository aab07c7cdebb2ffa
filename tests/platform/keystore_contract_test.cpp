#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "fakes/fakekeystore.h"
#include "platform/posix/configdir.h"
#include "platform/posix/inifilekeystore.h"

namespace tremolex {
namespace {

// What the settings rely on from any key store, run against each implementation.
class KeyStoreContract
    : public testing::TestWithParam<std::function<std::unique_ptr<KeyStore>()>> {
protected:
    std::unique_ptr<KeyStore> store = GetParam()();
};

TEST_P(KeyStoreContract, MissingKeyCannotBeOpenedUntilCreated) {
    EXPECT_EQ(store->open(KeyStore::Access::Read), nullptr);
    EXPECT_TRUE(store->create());
    EXPECT_TRUE(store->create());
    EXPECT_NE(store->open(KeyStore::Access::Read), nullptr);
}

TEST_P(KeyStoreContract, QueryFillsTheBufferOnlyWhenTheDataFits) {
    ASSERT_TRUE(store->create());
    ASSERT_TRUE(store->open(KeyStore::Access::Write)->set("Range", "0.6"));
    auto key = store->open(KeyStore::Access::Read);
    char exact[4];
    ASSERT_EQ(key->query("Range", exact), 4u);
    EXPECT_EQ(std::string(exact, 4), std::string("0.6\0", 4));
    char small[3];
    EXPECT_EQ(key->query("Range", small), std::nullopt);
    EXPECT_EQ(key->query("Absent", exact), std::nullopt);
}

TEST_P(KeyStoreContract, KeyOpenedForReadingStoresNothing) {
    ASSERT_TRUE(store->create());
    EXPECT_FALSE(store->open(KeyStore::Access::Read)->set("Range", ".3"));
    char buffer[8];
    EXPECT_EQ(store->open(KeyStore::Access::Read)->query("Range", buffer), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Implementations, KeyStoreContract,
    testing::Values([]() -> std::unique_ptr<KeyStore> { return std::make_unique<FakeKeyStore>(); },
                    []() -> std::unique_ptr<KeyStore> {
                        std::filesystem::remove_all(userConfigDirectory());
                        return std::make_unique<IniFileKeyStore>(settingsFilePath());
                    }),
    [](const auto& info) { return info.index == 0 ? std::string("Fake") : std::string("File"); });

}  // namespace
}  // namespace tremolex
