#include "fakes/fakekeystore.h"

#include <algorithm>

namespace tremolex {

namespace {

class FakeKey final : public KeyStore::Key {
public:
    FakeKey(FakeKeyStore& store, KeyStore::Access access) : m_store(store), m_access(access) {
        ++m_store.openKeys;
    }
    ~FakeKey() override { --m_store.openKeys; }

    std::optional<std::size_t> query(std::string_view name, std::span<char> buffer) override {
        const auto it = m_store.data.find(name);
        if (it == m_store.data.end() || it->second.size() > buffer.size()) {
            return std::nullopt;
        }
        std::copy(it->second.begin(), it->second.end(), buffer.begin());
        return it->second.size();
    }

    bool set(std::string_view name, std::string_view text) override {
        if (m_access != KeyStore::Access::Write) {
            return false;
        }
        m_store.put(std::string(name), std::string(text));
        return true;
    }

private:
    FakeKeyStore& m_store;
    KeyStore::Access m_access;
};

}  // namespace

bool FakeKeyStore::create() {
    exists = exists || canCreate;
    return exists;
}

std::unique_ptr<KeyStore::Key> FakeKeyStore::open(Access access) {
    if (!exists || !canOpen) {
        return nullptr;
    }
    return std::make_unique<FakeKey>(*this, access);
}

void FakeKeyStore::put(const std::string& name, const std::string& text) {
    std::vector<char> bytes(text.begin(), text.end());
    bytes.push_back('\0');
    data[name] = std::move(bytes);
}

}  // namespace tremolex
