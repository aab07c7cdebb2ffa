#include "platform/windows/registrykeystore.h"

#include <windows.h>

#include <limits>

namespace tremolex {

namespace {

// A name or key with a zero byte inside would be cut short by the registry calls and
// reach another value than the one asked for.
bool hasZeroByte(std::string_view text) {
    return text.find('\0') != std::string_view::npos;
}

class RegistryKey final : public KeyStore::Key {
public:
    explicit RegistryKey(HKEY key) : m_key(key) {}
    ~RegistryKey() override { RegCloseKey(m_key); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    std::optional<std::size_t> query(std::string_view name, std::span<char> buffer) override {
        if (hasZeroByte(name) || buffer.size() > std::numeric_limits<DWORD>::max()) {
            return std::nullopt;
        }
        const std::string valueName(name);
        auto size = static_cast<DWORD>(buffer.size());
        // ERROR_MORE_DATA too: data that does not fit is not read.
        if (RegQueryValueExA(m_key, valueName.c_str(), nullptr, nullptr,
                             reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        return size;
    }

    bool set(std::string_view name, std::string_view text) override {
        if (hasZeroByte(name) || text.size() >= std::numeric_limits<DWORD>::max()) {
            return false;
        }
        const std::string valueName(name);
        std::string data(text);  // with its terminator: c_str() holds it
        return RegSetValueExA(m_key, valueName.c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(data.c_str()),
                              static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
    }

private:
    HKEY m_key;
};

}  // namespace

RegistryKeyStore::RegistryKeyStore(std::string subKey) : m_subKey(std::move(subKey)) {}

bool RegistryKeyStore::create() {
    if (hasZeroByte(m_subKey)) {
        return false;
    }
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, m_subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_WRITE, nullptr, &key, &disposition) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

std::unique_ptr<KeyStore::Key> RegistryKeyStore::open(Access access) {
    if (hasZeroByte(m_subKey)) {
        return nullptr;
    }
    HKEY key = nullptr;
    const REGSAM mask = access == Access::Read ? KEY_READ : KEY_WRITE;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, m_subKey.c_str(), 0, mask, &key) != ERROR_SUCCESS) {
        return nullptr;
    }
    return std::make_unique<RegistryKey>(key);
}

}  // namespace tremolex
