#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/keystore.h"

namespace tremolex {

// The key in memory, as raw data the way the registry holds it: set() stores the text
// and a terminating zero byte; tests may put in any data. Switches make each step fail.
class FakeKeyStore final : public KeyStore {
public:
    bool exists = false;
    bool canCreate = true;
    bool canOpen = true;
    std::map<std::string, std::vector<char>, std::less<>> data;
    int openKeys = 0;  // keys open right now

    bool create() override { return exists = exists || canCreate; }
    std::unique_ptr<Key> open(Access access) override;
};

}  // namespace tremolex
