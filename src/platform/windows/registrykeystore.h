#pragma once

#include <string>

#include "platform/keystore.h"
#include "platform/productname.h"

namespace tremolex {

// The key in the current user's registry (HKEY_CURRENT_USER), through the wide ("W")
// registry calls. Each value is REG_SZ: the program's UTF-8 text in UTF-16 and one zero
// unit, so any folder name is kept whole (other programs' 8-bit calls read it in their
// code page). A query returns whatever data the value holds, of any type, when it fits the
// buffer: text (with its terminator) in UTF-8, other data byte for byte; a value larger
// than the buffer is not read at all.
// A set is kept by the registry once it returns, also if the program then crashes.
class RegistryKeyStore final : public KeyStore {
public:
    inline static const std::string kProgramKey = "Software\\" + std::string(productname::kFull);

    // `subKey` below HKEY_CURRENT_USER; tests give a key of their own.
    explicit RegistryKeyStore(std::string subKey = kProgramKey);

    bool create() override;
    std::unique_ptr<Key> open(Access access) override;

    const std::string& subKey() const { return m_subKey; }

private:
    std::string m_subKey;
};

}  // namespace tremolex
