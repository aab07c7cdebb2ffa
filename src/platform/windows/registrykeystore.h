#pragma once

#include <string>

#include "platform/keystore.h"

namespace tremolex {

// The key in the current user's registry (HKEY_CURRENT_USER), through the 8-bit ("A")
// registry calls. Each value is REG_SZ: the text in the system's 8-bit code page (the
// program's UTF-8 converted; a character the code page lacks becomes '?') and one zero
// byte. A query returns whatever data the value holds, of any type, when it fits the
// buffer, its text converted back to UTF-8; a value larger than the buffer, before or
// after that conversion, is not read at all.
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
