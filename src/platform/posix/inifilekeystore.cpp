#include "platform/posix/inifilekeystore.h"

#include <algorithm>
#include <optional>
#include <string>

#include "platform/files.h"
#include "platform/posix/inifiletext.h"

namespace tremolex {

namespace {

constexpr std::string_view kNewFileText = "; Tremolex settings: one name=value per line.\n";

std::optional<std::string> readWholeFile(const std::filesystem::path& file) {
    std::string content;
    if (readFileChunks(file, [&](std::string_view chunk) { content += chunk; })) {
        return std::nullopt;
    }
    return content;
}

class IniFileKey final : public KeyStore::Key {
public:
    IniFileKey(std::filesystem::path file, IniFileText text, KeyStore::Access access)
        : m_file(std::move(file)), m_text(std::move(text)), m_access(access) {}

    std::optional<std::size_t> query(std::string_view name, std::span<char> buffer) override {
        const std::optional<std::string> value = m_text.value(name);
        if (!value || value->size() + 1 > buffer.size()) {
            return std::nullopt;
        }
        std::copy(value->begin(), value->end(), buffer.begin());
        buffer[value->size()] = '\0';
        return value->size() + 1;
    }

    bool set(std::string_view name, std::string_view text) override {
        if (m_access != KeyStore::Access::Write) {
            return false;
        }
        IniFileText changed = m_text;
        if (!changed.setValue(name, text) || writeFileAtomically(m_file, changed.text())) {
            return false;
        }
        m_text = std::move(changed);
        return true;
    }

private:
    std::filesystem::path m_file;
    IniFileText m_text;
    KeyStore::Access m_access;
};

}  // namespace

IniFileKeyStore::IniFileKeyStore(std::filesystem::path file) : m_file(std::move(file)) {}

bool IniFileKeyStore::create() {
    std::error_code error;
    if (std::filesystem::exists(m_file, error)) {
        return true;
    }
    if (m_file.has_parent_path()) {
        std::filesystem::create_directories(m_file.parent_path(), error);
    }
    return !writeFileAtomically(m_file, kNewFileText);
}

std::unique_ptr<KeyStore::Key> IniFileKeyStore::open(Access access) {
    std::optional<std::string> content = readWholeFile(m_file);
    if (!content) {
        return nullptr;
    }
    return std::make_unique<IniFileKey>(m_file, IniFileText::parse(*content), access);
}

}  // namespace tremolex
