#include "settings/module1.h"

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
// real settings file (the registry on Windows).
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
Backend registryBackend() {
    // The key is removed when the last copy of breakKey goes, with the backend.
    auto key = std::make_shared<TestRegistryKey>();
    return {std::make_unique<RegistryKeyStore>(key->storeKey()), [key] { key->forbid(); }};
}
#else
Backend fileBackend() {
    std::filesystem::remove_all(userConfigDirectory());
    return {std::make_unique<IniFileKeyStore>(settingsFilePath()), [] {
                // A file where the config folder should be: not even root can write below it.
                std::filesystem::remove_all(userConfigDirectory());
                std::ofstream(userConfigDirectory()) << "not a folder";
            }};
}
#endif

class Module1Test : public testing::TestWithParam<Backend (*)()> {
protected:
    // What another program sees, or changes, in the key.
    std::optional<std::string> peek(std::string_view name) {
        auto key = backend.store->open(KeyStore::Access::Read);
        char buffer[4096];
        const auto size = key ? key->query(name, buffer) : std::nullopt;
        return size ? std::optional<std::string>(std::string(buffer, *size - 1)) : std::nullopt;
    }
    void poke(std::string_view name, std::string_view text) {
        backend.store->create();
        backend.store->open(KeyStore::Access::Write)->set(name, text);
    }

    Backend backend = GetParam()();
    Module1 settings{*backend.store};
};

TEST_P(Module1Test, MissingValueGivesItsDefaultAndStoresIt) {
    EXPECT_EQ(settings.regread("Range", "0.6"), "0.6");
    EXPECT_EQ(peek("Range"), "0.6");
    EXPECT_EQ(settings.regread("Range", "0.9"), "0.6");
}

TEST_P(Module1Test, WrittenValueReadsBackAnEmptyOneToo) {
    settings.regwrite("Range", ".3");  // also creates the missing key
    EXPECT_EQ(settings.regread("Range", "0.6"), ".3");
    settings.regwrite("Range", "");
    EXPECT_EQ(settings.regread("Range", "0.6"), "");  // empty text, not the default
}

TEST_P(Module1Test, TextsUpTo254BytesReadWholeLongerOnesAreReplaced) {
    const std::string longest(254, 'x');
    settings.regwrite("Last Path", longest);
    EXPECT_EQ(settings.regread("Last Path", "/opt/"), longest);

    settings.regwrite("Last Path", std::string(255, 'y'));
    EXPECT_EQ(settings.regread("Last Path", "/opt/"), "/opt/");
    EXPECT_EQ(peek("Last Path"), "/opt/");
}

TEST_P(Module1Test, ChangeByAnotherProgramIsSeenAtTheNextRead) {
    EXPECT_EQ(settings.regread("Serial Port Number", "2"), "2");
    poke("Serial Port Number", "7");
    EXPECT_EQ(settings.regread("Serial Port Number", "2"), "7");
}

TEST_P(Module1Test, UnusableKeyGivesDefaultsAndLosesWrites) {
    backend.breakKey();
    settings.regwrite("Range", ".3");
    EXPECT_EQ(settings.regread("Range", "0.6"), "0.6");
    EXPECT_EQ(peek("Range"), std::nullopt);
}

#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(Backends, Module1Test, testing::Values(&fakeBackend, &registryBackend),
                         [](const auto& info) { return info.index == 0 ? "Fake" : "Registry"; });
#else
INSTANTIATE_TEST_SUITE_P(Backends, Module1Test, testing::Values(&fakeBackend, &fileBackend),
                         [](const auto& info) { return info.index == 0 ? "Fake" : "File"; });
#endif

// Data the program never writes itself, as the registry may hold it.
TEST(Module1RawData, AnyDataThatFitsReadsAsTextLessItsLastByte) {
    FakeKeyStore store;
    store.exists = true;
    store.data["Range"] = {'.', '5', 'X'};  // another type: no terminator of its own
    store.data["Window Top"] = {};          // no data at all
    const Module1 settings(store);
    EXPECT_EQ(settings.regread("Range", "0.6"), ".5");
    EXPECT_EQ(settings.regread("Window Top", "3000"), "");
    EXPECT_EQ(store.openKeys, 0);
}

}  // namespace
}  // namespace tremolex
