#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <system_error>

#include "platform/appendfile.h"

namespace tremolex {

// Files in memory, with the disk's failures on demand: each `fail...` error is given by
// the next such call (and by every one after it until cleared). A failing append writes
// `tornBytes` of its text first, as a full disk does.
class FakeAppendFiles final : public AppendFiles {
public:
    std::map<std::filesystem::path, std::string> files;
    std::error_code failFolder, failCreate, failAppend, failSync;
    std::size_t tornBytes = 0;
    int syncs = 0;
    std::function<void()> onSync;  // called as each sync begins

    std::error_code makeFolder(const std::filesystem::path&) override { return failFolder; }

    std::unique_ptr<AppendFile> create(const std::filesystem::path& file,
                                       std::error_code& error) override {
        error = failCreate;
        if (!error && files.contains(file)) {
            error = std::make_error_code(std::errc::file_exists);
        }
        if (error) {
            return nullptr;
        }
        files[file];
        return std::make_unique<File>(*this, file);
    }

    std::unique_ptr<AppendFile> reopen(const std::filesystem::path& file, std::uintmax_t keep,
                                       std::error_code& error) override {
        const auto found = files.find(file);
        error = found == files.end() ? std::make_error_code(std::errc::no_such_file_or_directory)
                                     : failCreate;
        if (error) {
            return nullptr;
        }
        found->second.resize(keep);
        return std::make_unique<File>(*this, file);
    }

    std::error_code read(const std::filesystem::path& file,
                         const std::function<void(std::string_view)>& onChunk) override {
        const auto found = files.find(file);
        if (found == files.end()) {
            return std::make_error_code(std::errc::no_such_file_or_directory);
        }
        onChunk(found->second);
        return {};
    }

private:
    class File final : public AppendFile {
    public:
        File(FakeAppendFiles& owner, std::filesystem::path path)
            : m_owner(owner), m_path(std::move(path)) {}
        std::error_code append(std::string_view text) override {
            const auto found = m_owner.files.find(m_path);
            if (found == m_owner.files.end()) {
                return {};  // written to a deleted file: gone
            }
            if (m_owner.failAppend) {
                found->second += text.substr(0, m_owner.tornBytes);
                return m_owner.failAppend;
            }
            found->second += text;
            return {};
        }
        std::error_code sync() override {
            if (m_owner.onSync) {
                m_owner.onSync();
            }
            ++m_owner.syncs;
            if (!m_owner.files.contains(m_path)) {
                return std::make_error_code(std::errc::no_such_file_or_directory);
            }
            return m_owner.failSync;
        }

    private:
        FakeAppendFiles& m_owner;
        std::filesystem::path m_path;
    };
};

}  // namespace tremolex
