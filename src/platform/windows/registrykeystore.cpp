#include "platform/windows/registrykeystore.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "platform/windows/widetext.h"
#include "platform/windows/win32handle.h"

namespace tremolex {

namespace {

// Far more than any setting; the conversions count in int.
constexpr std::size_t kLongest = std::numeric_limits<int>::max() / 4;

// A name or key with a zero byte inside would be cut short by the registry calls and
// reach another value than the one asked for.
bool hasZeroByte(std::string_view text) {
    return text.find('\0') != std::string_view::npos;
}

bool isText(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// The program's texts are UTF-8, the wide ("W") registry calls' UTF-16. The registry keeps
// text as UTF-16 whichever calls wrote it, so what the 8-bit calls of earlier versions
// stored reads back as it was.
class RegistryKey final : public KeyStore::Key {
public:
    explicit RegistryKey(HKEY key) : m_key(key) {}

    std::optional<std::size_t> query(std::string_view name, std::span<char> buffer) override {
        // An empty buffer's data may be null, and a query into null asks only for the size.
        if (buffer.empty() || hasZeroByte(name) || buffer.size() > kLongest) {
            return std::nullopt;
        }
        const std::wstring valueName = toWide(name);
        // No text has more UTF-16 units than UTF-8 bytes: data larger than this does not
        // fit `buffer` either way. ERROR_MORE_DATA too: data that does not fit is not read.
        // Never null: a null buffer would ask for the size instead of the data.
        std::vector<wchar_t> data(std::max<std::size_t>(buffer.size(), 1));
        DWORD type = REG_NONE;
        auto size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        if (RegQueryValueExW(m_key.get(), valueName.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        if (!isText(type)) {  // byte for byte, as the 8-bit calls gave it
            if (size > buffer.size()) {
                return std::nullopt;
            }
            std::memcpy(buffer.data(), data.data(), size);
            return size;
        }
        // All of it, the terminator (or what stands in its place) too.
        const std::string text = toUtf8(std::wstring_view(data.data(), size / sizeof(wchar_t)));
        // Grown past the buffer in UTF-8, the text is as unreadable as data that is too long.
        if (text.size() > buffer.size()) {
            return std::nullopt;
        }
        std::memcpy(buffer.data(), text.data(), text.size());
        return text.size();
    }

    bool set(std::string_view name, std::string_view text) override {
        if (hasZeroByte(name) || text.size() > kLongest) {
            return false;
        }
        const std::wstring valueName = toWide(name);
        const std::wstring data = toWide(text);
        // with its terminator: c_str() holds it
        return RegSetValueExW(m_key.get(), valueName.c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(data.c_str()),
                              static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) ==
               ERROR_SUCCESS;
    }

private:
    OwnedRegistryKey m_key;
};

}  // namespace

RegistryKeyStore::RegistryKeyStore(std::string subKey) : m_subKey(std::move(subKey)) {}

bool RegistryKeyStore::create() {
    if (hasZeroByte(m_subKey)) {
        return false;
    }
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, toWide(m_subKey).c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                        &disposition) != ERROR_SUCCESS) {
        return false;
    }
    const OwnedRegistryKey created(key);
    return true;
}

std::unique_ptr<KeyStore::Key> RegistryKeyStore::open(Access access) {
    if (hasZeroByte(m_subKey)) {
        return nullptr;
    }
    HKEY key = nullptr;
    const REGSAM mask = access == Access::Read ? KEY_READ : KEY_WRITE;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, toWide(m_subKey).c_str(), 0, mask, &key) !=
        ERROR_SUCCESS) {
        return nullptr;
    }
    return std::make_unique<RegistryKey>(key);
}

}  // namespace tremolex
