#pragma once

#include <string>

#include "platform/keystore.h"

namespace tremolex {

// The key in the current user's registry (HKEY_CURRENT_USER), through the 8-bit ("A")
// registry calls. Each value is REG_SZ: the text's bytes, taken to be in the system's 8-bit
// code page, and one zero byte. A query returns whatever data the value holds, of any
// type, when it fits the buffer; a value larger than the buffer is not read at all.
// A set is kept by the registry once it returns, also if the program then crashes.
class RegistryKeyStore final : public KeyStore {
public:
    static constexpr const char* kProgramKey = "Software\\Bramwick Tremolex";

    // `subKey` below HKEY_CURRENT_USER; tests give a key of their own.
    explicit RegistryKeyStore(std::string subKey = kProgramKey);

    bool create() override;
    std::unique_ptr<Key> open(Access access) override;

    const std::string& subKey() const { return m_subKey; }

private:
    std::string m_subKey;
};

}  // namespace tremolex
