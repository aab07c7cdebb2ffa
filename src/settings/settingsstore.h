#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/keystore.h"

namespace tremolex {

// The settings store (once Module1): named text values in the key store, nothing held in memory.
// Every call opens the key and closes it again, so a value changed by another program
// between two reads is seen. No failure is reported: a value that cannot be read gives
// its default, and a write that cannot be stored is lost.
class SettingsStore {
public:
    // Values of this many bytes or more (text without its terminating zero) are
    // unreadable and replaced by the default at their next read.
    static constexpr std::size_t kReadBufferSize = 255;

    explicit SettingsStore(KeyStore& store) : m_store(store) {}

    // Creates the key when it is missing.
    void regkey() const;

    // The stored text of `name`; when it cannot be read (absent, too long, the key
    // missing or unreadable), `fallback` is stored under `name` and returned.
    std::string regread(std::string_view name, std::string_view fallback) const;

    // The stored text of `name`, or nothing when it cannot be read; unlike regread, nothing
    // is stored then.
    std::optional<std::string> lookup(std::string_view name) const;

    // Stores `value` under `name`, replacing earlier data.
    void regwrite(std::string_view name, std::string_view value) const;

private:
    KeyStore& m_store;
};

}  // namespace tremolex
