#include <windows.h>

#include <algorithm>
#include <limits>
#include <string>

#include "platform/appendfile.h"
#include "platform/files.h"
#include "platform/windows/widetext.h"
#include "platform/windows/win32failure.h"
#include "platform/windows/win32handle.h"

// The Windows side of the recording's files. The file is shared for reading only while it
// is open, so nobody can delete or rename it under the recording, and others can look in.
namespace tremolex {

namespace fs = std::filesystem;

namespace {

// The standard library's system_category() does not know the system's own messages here.
class SystemWords final : public std::error_category {
public:
    const char* name() const noexcept override { return "windows"; }
    std::string message(int error) const override {
        return Win32Failure::systemWords(static_cast<DWORD>(error));
    }
    // So that the callers' checks against std::errc hold on Windows too.
    std::error_condition default_error_condition(int error) const noexcept override {
        switch (static_cast<DWORD>(error)) {
            case ERROR_FILE_NOT_FOUND:
            case ERROR_PATH_NOT_FOUND:
                return std::errc::no_such_file_or_directory;
            case ERROR_FILE_EXISTS:
            case ERROR_ALREADY_EXISTS:
                return std::errc::file_exists;
            case ERROR_DISK_FULL:
            case ERROR_HANDLE_DISK_FULL:
                return std::errc::no_space_on_device;
            case ERROR_ACCESS_DENIED:
                return std::errc::permission_denied;
            default:
                return {error, *this};
        }
    }
};

std::error_code lastError() {
    static const SystemWords words;
    return {static_cast<int>(GetLastError()), words};
}

class DiskAppendFile final : public AppendFile {
public:
    explicit DiskAppendFile(KernelHandle file) : m_file(std::move(file)) {}

    std::error_code append(std::string_view text) override {
        while (!text.empty()) {
            const auto piece = static_cast<DWORD>(
                std::min<std::size_t>(text.size(), std::numeric_limits<DWORD>::max() / 2));
            DWORD written = 0;
            if (WriteFile(m_file.get(), text.data(), piece, &written, nullptr) == 0) {
                return lastError();
            }
            text.remove_prefix(written);
        }
        return {};
    }

    std::error_code sync() override {
        if (FlushFileBuffers(m_file.get()) == 0) {
            return lastError();
        }
        return {};
    }

private:
    KernelHandle m_file;
};

class DiskAppendFiles final : public AppendFiles {
public:
    std::error_code makeFolder(const fs::path& folder) override {
        std::error_code error;
        fs::create_directories(folder, error);
        return error;
    }

    std::error_code read(const fs::path& file,
                         const std::function<void(std::string_view)>& onChunk) override {
        return readFileChunks(file, onChunk);
    }

    std::unique_ptr<AppendFile> create(const fs::path& file, std::error_code& error) override {
        return open(file, CREATE_NEW, 0, error);
    }

    std::unique_ptr<AppendFile> reopen(const fs::path& file, std::uintmax_t keep,
                                       std::error_code& error) override {
        return open(file, OPEN_EXISTING, keep, error);
    }

private:
    static std::unique_ptr<AppendFile> open(const fs::path& file, DWORD how, std::uintmax_t keep,
                                            std::error_code& error) {
        KernelHandle handle(CreateFileW(file.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                        nullptr, how, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!handle) {
            error = lastError();
            return nullptr;
        }
        LARGE_INTEGER size{};
        LARGE_INTEGER end{};
        end.QuadPart = static_cast<LONGLONG>(keep);
        if (how == OPEN_EXISTING) {
            if (GetFileSizeEx(handle.get(), &size) == 0 ||
                SetFilePointerEx(handle.get(), end, nullptr, FILE_BEGIN) == 0) {
                error = lastError();
                return nullptr;
            }
            if (static_cast<std::uintmax_t>(size.QuadPart) < keep) {
                // It shrank since it was read: cutting would add zeros.
                error = std::make_error_code(std::errc::invalid_argument);
                return nullptr;
            }
            if (SetEndOfFile(handle.get()) == 0) {
                error = lastError();
                return nullptr;
            }
        }
        error.clear();
        return std::make_unique<DiskAppendFile>(std::move(handle));
    }
};

}  // namespace

std::unique_ptr<AppendFiles> diskAppendFiles() {
    return std::make_unique<DiskAppendFiles>();
}

}  // namespace tremolex
