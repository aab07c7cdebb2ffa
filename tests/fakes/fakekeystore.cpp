#include "fakes/fakekeystore.h"

#include <algorithm>

namespace tremolex {

namespace {

class FakeKey final : public KeyStore::Key {
public:
    FakeKey(FakeKeyStore& store, bool writable) : m_store(store), m_writable(writable) {
        ++m_store.openKeys;
    }
    ~FakeKey() override { --m_store.openKeys; }

    std::optional<std::size_t> query(std::string_view name, std::span<char> buffer) override {
        const auto it = m_store.data.find(name);
        if (it == m_store.data.end() || it->second.size() > buffer.size()) {
            return std::nullopt;
        }
        std::ranges::copy(it->second, buffer.begin());
        return it->second.size();
    }

    bool set(std::string_view name, std::string_view text) override {
        if (m_writable) {
            std::vector<char>& bytes = m_store.data[std::string(name)];
            bytes.assign(text.begin(), text.end());
            bytes.push_back('\0');
        }
        return m_writable;
    }

private:
    FakeKeyStore& m_store;
    bool m_writable;
};

}  // namespace

std::unique_ptr<KeyStore::Key> FakeKeyStore::open(Access access) {
    return exists && canOpen ? std::make_unique<FakeKey>(*this, access == Access::Write) : nullptr;
}

}  // namespace tremolex
