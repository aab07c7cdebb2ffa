#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/keystore.h"

namespace tremolex {

// What every KeyStore does, run against each implementation with a Place: where a test's
// key lives, missing at the start:
//   std::unique_ptr<KeyStore> store();  a new store object for that key
//   void forbid();                      no key can be made or opened there any more
template <typename Place>
class KeyStoreContract : public testing::Test {
protected:
    // The text stored under `name`, read through a buffer of `room` bytes.
    std::optional<std::string> read(std::string_view name, std::size_t room = 1024) {
        auto key = store->open(KeyStore::Access::Read);
        std::vector<char> buffer(room);
        const auto size = key ? key->query(name, buffer) : std::nullopt;
        if (!size || *size == 0 || *size > room || buffer[*size - 1] != '\0') {
            return std::nullopt;  // no value, or data that breaks the contract
        }
        return std::string(buffer.data(), *size - 1);
    }
    bool write(std::string_view name, std::string_view text) {
        auto key = store->open(KeyStore::Access::Write);
        return key && key->set(name, text);
    }

    Place place;
    std::unique_ptr<KeyStore> store = place.store();
};

TYPED_TEST_SUITE_P(KeyStoreContract);

// The key is missing until it is created (twice is harmless); a missing name reads nothing.
TYPED_TEST_P(KeyStoreContract, KeyExistsOnceCreated) {
    EXPECT_EQ(this->store->open(KeyStore::Access::Read), nullptr);
    EXPECT_TRUE(this->store->create());
    EXPECT_TRUE(this->store->create());
    EXPECT_NE(this->store->open(KeyStore::Access::Read), nullptr);
    EXPECT_EQ(this->read("Range"), std::nullopt);
}

// Blanks at either end, quotes, escapes written by hand, separators, line breaks, a path
// beyond ASCII, a zero byte: each reads back as it was written, also through a new store, and a
// shorter text replaces a longer one whole.
TYPED_TEST_P(KeyStoreContract, AnyTextReadsBackExactly) {
    using namespace std::string_view_literals;
    ASSERT_TRUE(this->store->create());
    const std::string_view texts[] = {"C:\\a rather long folder name\\",
                                      "",
                                      "\t4000 ",
                                      "\"quoted\"",
                                      "\"",
                                      "a\\nb\\",
                                      "x=y; z # w",
                                      "[Section]",
                                      "line\nfeed\r",
                                      "/home/ünï/données/",
                                      "nul\0z"sv,
                                      ".3"};
    for (const std::string_view text : texts) {
        ASSERT_TRUE(this->write("Last Path", text)) << text;
        EXPECT_EQ(this->read("Last Path"), text);
    }
    ASSERT_TRUE(this->write("Range", ".5"));
    this->store = this->place.store();
    EXPECT_EQ(std::pair(this->read("Last Path"), this->read("Range")),
              std::pair(std::optional<std::string>(".3"), std::optional<std::string>(".5")));
}

// Folder names beyond ASCII, in a Western code page and beyond any 8-bit one (Cyrillic,
// Greek, CJK), read back as written.
// ON THE REGISTRY: fails until the registry store stores through the wide ("W") calls.
TYPED_TEST_P(KeyStoreContract, NonAsciiTextReadsBackExactly) {
    ASSERT_TRUE(this->store->create());
    for (const std::string text : {"D:\\Messdaten für Zellen\\", "C:\\Измерения Ω 測定\\"}) {
        ASSERT_TRUE(this->write("Last Path", text));
        EXPECT_EQ(this->read("Last Path"), text);
    }
}

// The buffer holds the text and its zero byte, or nothing is read; an empty one too.
TYPED_TEST_P(KeyStoreContract, QueryFillsTheBufferOnlyWhenAllFits) {
    ASSERT_TRUE(this->store->create());
    ASSERT_TRUE(this->write("Window Left", "4000"));
    EXPECT_EQ(this->read("Window Left", 5), "4000");
    EXPECT_EQ(this->read("Window Left", 4), std::nullopt);
    EXPECT_EQ(this->read("Window Left", 0), std::nullopt);
}

// Where no key can be made, nothing opens and nothing is stored.
TYPED_TEST_P(KeyStoreContract, ForbiddenKeyFailsEverything) {
    this->place.forbid();
    EXPECT_FALSE(this->store->create());
    EXPECT_EQ(this->store->open(KeyStore::Access::Read), nullptr);
    EXPECT_FALSE(this->write("Range", ".3"));
}

REGISTER_TYPED_TEST_SUITE_P(KeyStoreContract, KeyExistsOnceCreated, AnyTextReadsBackExactly,
                            NonAsciiTextReadsBackExactly, QueryFillsTheBufferOnlyWhenAllFits,
                            ForbiddenKeyFailsEverything);

}  // namespace tremolex
