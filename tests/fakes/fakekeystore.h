#pragma once

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "platform/keystore.h"

namespace tremolex {

// The key in memory, as raw data the way the registry holds it: set() stores the text
// and a terminating zero byte; tests may put in any data. Switches make each step fail.
class FakeKeyStore final : public KeyStore {
public:
    struct FakeKey final : Key {
        FakeKey(FakeKeyStore& s, bool w) : store(s), writable(w) { ++store.openKeys; }
        ~FakeKey() override { --store.openKeys; }

        std::optional<std::size_t> query(std::string_view name, std::span<char> buffer) override {
            const auto it = store.data.find(name);
            if (it == store.data.end() || it->second.size() > buffer.size()) {
                return std::nullopt;
            }
            std::ranges::copy(it->second, buffer.begin());
            return it->second.size();
        }
        bool set(std::string_view name, std::string_view text) override {
            if (writable) {
                ++store.writes[std::string(name)];
                std::vector<char>& bytes = store.data[std::string(name)];
                bytes.assign(text.begin(), text.end());
                bytes.push_back('\0');
            }
            return writable;
        }

        FakeKeyStore& store;
        bool writable;
    };

    bool create() override { return exists = exists || canCreate; }
    std::unique_ptr<Key> open(Access access) override {
        return exists && canOpen ? std::make_unique<FakeKey>(*this, access == Access::Write)
                                 : nullptr;
    }

    bool exists = false, canCreate = true, canOpen = true;
    std::map<std::string, std::vector<char>, std::less<>> data;
    std::map<std::string, int, std::less<>> writes;  // values stored under each name
    int openKeys = 0;                                // keys open right now
};

}  // namespace tremolex
