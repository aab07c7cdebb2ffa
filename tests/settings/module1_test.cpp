#include "settings/module1.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "fakes/fakekeystore.h"
#include "platform/posix/configdir.h"
#include "platform/posix/inifilekeystore.h"

namespace tremolex {
namespace {

// The settings rules hold for every backend: each test runs against the fake and the
// real settings file.
class Backend {
public:
    virtual ~Backend() = default;
    virtual KeyStore& store() = 0;
    // What another program sees, or changes, in the key.
    virtual std::optional<std::string> peek(const std::string& name) = 0;
    virtual void poke(const std::string& name, const std::string& text) = 0;
    // Makes the key impossible to create or open.
    virtual void breakKey() = 0;
};

class FakeBackend final : public Backend {
public:
    KeyStore& store() override { return m_store; }
    std::optional<std::string> peek(const std::string& name) override {
        const auto it = m_store.data.find(name);
        if (it == m_store.data.end()) {
            return std::nullopt;
        }
        return std::string(it->second.begin(), it->second.end() - 1);
    }
    void poke(const std::string& name, const std::string& text) override {
        m_store.exists = true;
        m_store.put(name, text);
    }
    void breakKey() override { m_store.canCreate = m_store.canOpen = false; }

    FakeKeyStore m_store;
};

class FileBackend final : public Backend {
public:
    FileBackend() {
        std::filesystem::remove_all(userConfigDirectory());
        m_store = std::make_unique<IniFileKeyStore>(settingsFilePath());
    }
    KeyStore& store() override { return *m_store; }
    std::optional<std::string> peek(const std::string& name) override {
        IniFileKeyStore other(settingsFilePath());
        auto key = other.open(KeyStore::Access::Read);
        char buffer[4096];
        const auto size = key ? key->query(name, buffer) : std::nullopt;
        return size ? std::optional<std::string>(std::string(buffer, *size - 1)) : std::nullopt;
    }
    void poke(const std::string& name, const std::string& text) override {
        IniFileKeyStore other(settingsFilePath());
        other.create();
        other.open(KeyStore::Access::Write)->set(name, text);
    }
    void breakKey() override {
        // A file where the config folder should be: not even root can write below it.
        const auto config = userConfigDirectory();
        std::filesystem::remove_all(config);
        std::ofstream(config) << "not a folder";
    }

private:
    std::unique_ptr<IniFileKeyStore> m_store;
};

class Module1Test : public testing::TestWithParam<std::function<std::unique_ptr<Backend>()>> {
protected:
    std::unique_ptr<Backend> backend = GetParam()();
    Module1 settings{backend->store()};
};

TEST_P(Module1Test, MissingValueGivesItsDefaultAndStoresIt) {
    EXPECT_EQ(settings.regread("Range", "0.6"), "0.6");
    EXPECT_EQ(backend->peek("Range"), "0.6");
    EXPECT_EQ(settings.regread("Range", "0.9"), "0.6");
}

TEST_P(Module1Test, WrittenValueReadsBack) {
    settings.regwrite("Range", ".3");  // also creates the missing key
    EXPECT_EQ(settings.regread("Range", "0.6"), ".3");
    settings.regwrite("Range", ".4");
    EXPECT_EQ(settings.regread("Range", "0.6"), ".4");
}

TEST_P(Module1Test, EmptyValueIsEmptyTextNotTheDefault) {
    settings.regwrite("Window Left", "");
    EXPECT_EQ(settings.regread("Window Left", "4000"), "");
}

TEST_P(Module1Test, TextsUpTo254BytesReadWholeLongerOnesAreReplaced) {
    const std::string longest(254, 'x');
    settings.regwrite("Last Path", longest);
    EXPECT_EQ(settings.regread("Last Path", "/opt/"), longest);

    settings.regwrite("Last Path", std::string(255, 'y'));
    EXPECT_EQ(settings.regread("Last Path", "/opt/"), "/opt/");
    EXPECT_EQ(backend->peek("Last Path"), "/opt/");
}

TEST_P(Module1Test, ChangeByAnotherProgramIsSeenAtTheNextRead) {
    EXPECT_EQ(settings.regread("Serial Port Number", "2"), "2");
    backend->poke("Serial Port Number", "7");
    EXPECT_EQ(settings.regread("Serial Port Number", "2"), "7");
}

TEST_P(Module1Test, UnusableKeyGivesDefaultsAndLosesWrites) {
    backend->breakKey();
    settings.regwrite("Range", ".3");
    EXPECT_EQ(settings.regread("Range", "0.6"), "0.6");
    EXPECT_EQ(backend->peek("Range"), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Backends, Module1Test,
    testing::Values([]() -> std::unique_ptr<Backend> { return std::make_unique<FakeBackend>(); },
                    []() -> std::unique_ptr<Backend> { return std::make_unique<FileBackend>(); }),
    [](const auto& info) { return info.index == 0 ? std::string("Fake") : std::string("File"); });

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
