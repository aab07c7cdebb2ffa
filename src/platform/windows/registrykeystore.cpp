#include "platform/windows/registrykeystore.h"

#include <windows.h>

#include <cstring>
#include <limits>
#include <optional>
#include <string>

namespace tremolex {

namespace {

// A name or key with a zero byte inside would be cut short by the registry calls and
// reach another value than the one asked for.
bool hasZeroByte(std::string_view text) {
    return text.find('\0') != std::string_view::npos;
}

bool isAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

// Text from one code page in another, through UTF-16; nothing when `text` is not valid in
// `from`. A character `to` lacks becomes that code page's replacement ('?' mostly).
std::optional<std::string> recode(std::string_view text, UINT from, UINT to) {
    if (text.empty()) {
        return std::string();
    }
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max() / 4)) {
        return std::nullopt;
    }
    const int length = static_cast<int>(text.size());
    const DWORD strict = from == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
    const int wide = MultiByteToWideChar(from, strict, text.data(), length, nullptr, 0);
    if (wide <= 0) {
        return std::nullopt;
    }
    std::wstring utf16(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(from, strict, text.data(), length, utf16.data(), wide);
    const int narrow = WideCharToMultiByte(to, 0, utf16.data(), wide, nullptr, 0, nullptr, nullptr);
    if (narrow <= 0) {
        return std::nullopt;
    }
    std::string result(static_cast<std::size_t>(narrow), '\0');
    WideCharToMultiByte(to, 0, utf16.data(), wide, result.data(), narrow, nullptr, nullptr);
    return result;
}

// The program's texts are UTF-8; the "A" registry calls take and give the system's 8-bit
// code page. Both agree on ASCII, which is all that most settings ever hold.
class RegistryKey final : public KeyStore::Key {
public:
    explicit RegistryKey(HKEY key) : m_key(key) {}
    ~RegistryKey() override { RegCloseKey(m_key); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    std::optional<std::size_t> query(std::string_view name, std::span<char> buffer) override {
        // An empty buffer's data may be null, and a query into null asks only for the size.
        if (buffer.empty() || hasZeroByte(name) ||
            buffer.size() > std::numeric_limits<DWORD>::max()) {
            return std::nullopt;
        }
        const std::string valueName(name);
        auto size = static_cast<DWORD>(buffer.size());
        // ERROR_MORE_DATA too: data that does not fit is not read.
        if (RegQueryValueExA(m_key, valueName.c_str(), nullptr, nullptr,
                             reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        // The last byte is the terminator (or what stands in its place): it stays as it is.
        const std::string_view text(buffer.data(), size > 0 ? size - 1 : 0);
        if (isAscii(text)) {
            return size;
        }
        const std::optional<std::string> utf8 = recode(text, CP_ACP, CP_UTF8);
        // Grown past the buffer in UTF-8, the text is as unreadable as data that is too long.
        if (!utf8 || utf8->size() + 1 > buffer.size()) {
            return std::nullopt;
        }
        buffer[utf8->size()] = buffer[size - 1];
        std::memcpy(buffer.data(), utf8->data(), utf8->size());
        return utf8->size() + 1;
    }

    bool set(std::string_view name, std::string_view text) override {
        if (hasZeroByte(name) || text.size() >= std::numeric_limits<DWORD>::max()) {
            return false;
        }
        const std::string valueName(name);
        // Not valid UTF-8 (the program never makes such text): stored byte for byte.
        std::string data = isAscii(text)
                               ? std::string(text)
                               : recode(text, CP_UTF8, CP_ACP).value_or(std::string(text));
        if (data.size() >= std::numeric_limits<DWORD>::max()) {
            return false;
        }
        // with its terminator: c_str() holds it
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
