#include "settings/settingsstore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "fakes/fakekeystore.h"
#ifdef _WIN32
#include "platform/windows/registrykeystore.h"
#include "support/registry.h"
#else
#include "platform/posix/configdir.h"
#include "platform/posix/inifilekeystore.h"
#endif

namespace tremolex {
namespace {

// The settings rules hold for every backend: each test runs against the fake and the
// real store, the settings file (the registry on Windows).
struct Backend {
    std::unique_ptr<KeyStore> store;
    std::function<void()> breakKey;  // makes the key impossible to create or open
};

Backend fakeBackend() {
    auto store = std::make_unique<FakeKeyStore>();
    FakeKeyStore* fake = store.get();
    return {std::move(store), [fake] { fake->canCreate = fake->canOpen = false; }};
}

#ifdef _WIN32
Backend realBackend() {
    // The key is removed when the last copy of breakKey goes, with the backend.
    auto key = std::make_shared<TestRegistryKey>();
    return {std::make_unique<RegistryKeyStore>(key->storeKey()), [key] { key->forbid(); }};
}
#else
Backend realBackend() {
    std::filesystem::remove_all(userConfigDirectory());
    return {std::make_unique<IniFileKeyStore>(settingsFilePath()), [] {
                // A file where the config folder should be: not even root can write below it.
                std::filesystem::remove_all(userConfigDirectory());
                std::ofstream(userConfigDirectory()) << "not a folder";
            }};
}
#endif

class SettingsStoreTest : public testing::TestWithParam<Backend (*)()> {
protected:
    Backend backend = GetParam()();
    SettingsStore settings{*backend.store};
};

TEST_P(SettingsStoreTest, MissingValueGivesItsDefaultAndStoresIt) {
    EXPECT_EQ(settings.regread("Range", "0.6"), "0.6");
    EXPECT_EQ(SettingsStore(*backend.store).regread("Range", "none"), "0.6");  // as another program
    EXPECT_EQ(settings.regread("Range", "0.9"), "0.6");
}

TEST_P(SettingsStoreTest, WrittenValuesReadBackAsAnotherProgramWroteThem) {
    settings.regwrite("Range", "");                   // also creates the missing key
    EXPECT_EQ(settings.regread("Range", "0.6"), "");  // empty text, not the default
    SettingsStore(*backend.store).regwrite("Range", ".3");
    EXPECT_EQ(settings.regread("Range", "0.6"), ".3");
}

TEST_P(SettingsStoreTest, TextsUpTo254BytesReadWholeLongerOnesAreReplaced) {
    const std::string longest(254, 'x');
    settings.regwrite("Last Path", longest);
    EXPECT_EQ(settings.regread("Last Path", "/opt/"), longest);
    settings.regwrite("Last Path", std::string(255, 'y'));
    EXPECT_EQ(settings.regread("Last Path", "/opt/"), "/opt/");
    EXPECT_EQ(SettingsStore(*backend.store).regread("Last Path", "none"), "/opt/");
}

TEST_P(SettingsStoreTest, UnusableKeyGivesDefaultsAndLosesWrites) {
    backend.breakKey();
    settings.regwrite("Range", ".3");
    EXPECT_EQ(settings.regread("Range", "0.6"), "0.6");
    EXPECT_EQ(SettingsStore(*backend.store).regread("Range", "none"), "none");
}

INSTANTIATE_TEST_SUITE_P(Backends, SettingsStoreTest, testing::Values(&fakeBackend, &realBackend),
                         [](const auto& info) { return info.index == 0 ? "Fake" : "Real"; });

// Data the program never writes itself, as the registry may hold it.
TEST(SettingsStoreRawData, AnyDataThatFitsReadsAsTextLessItsLastByte) {
    FakeKeyStore store;
    store.exists = true;
    store.data["Range"] = {'.', '5', 'X'};  // another type: no terminator of its own
    store.data["Window Top"] = {};          // no data at all
    const SettingsStore settings(store);
    EXPECT_EQ(settings.regread("Range", "0.6"), ".5");
    EXPECT_EQ(settings.regread("Window Top", "3000"), "");
    EXPECT_EQ(store.openKeys, 0);
}

}  // namespace
}  // namespace tremolex
