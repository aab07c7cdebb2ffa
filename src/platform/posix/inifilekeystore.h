#pragma once

#include <filesystem>

#include "platform/keystore.h"

namespace tremolex {

// The key as one INI-style text file (see IniFileText). Every open reads the file
// afresh, so a change made by hand or by another program is seen at the next read;
// every set rewrites the file atomically and durably before it returns. A folder that
// cannot be written makes create() and set() fail; nothing throws.
class IniFileKeyStore final : public KeyStore {
public:
    explicit IniFileKeyStore(std::filesystem::path file);

    bool create() override;
    std::unique_ptr<Key> open(Access access) override;

    const std::filesystem::path& file() const { return m_file; }

private:
    std::filesystem::path m_file;
};

}  // namespace tremolex
