#include "settings/settingsstore.h"

#include <algorithm>
#include <array>
#include <optional>

namespace tremolex {

void SettingsStore::regkey() const {
    m_store.create();
}

std::optional<std::string> SettingsStore::lookup(std::string_view name) const {
    std::array<char, kReadBufferSize> buffer;
    buffer.fill(' ');
    std::optional<std::size_t> size;
    if (auto key = m_store.open(KeyStore::Access::Read)) {
        size = key->query(name, buffer);
    }
    if (!size) {
        return std::nullopt;
    }
    // The data ends in its terminator; data of no bytes at all is empty text.
    const std::size_t length = std::min(*size, buffer.size());
    return std::string(buffer.data(), length > 0 ? length - 1 : 0);
}

std::string SettingsStore::regread(std::string_view name, std::string_view fallback) const {
    regkey();
    if (std::optional<std::string> stored = lookup(name)) {
        return *std::move(stored);
    }
    if (auto key = m_store.open(KeyStore::Access::Write)) {
        key->set(name, fallback);
    }
    return std::string(fallback);
}

void SettingsStore::regwrite(std::string_view name, std::string_view value) const {
    regkey();
    if (auto key = m_store.open(KeyStore::Access::Write)) {
        key->set(name, value);
    }
}

}  // namespace tremolex
