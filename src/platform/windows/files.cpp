#include "platform/files.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <limits>
#include <string>

#include "platform/windows/win32handle.h"

// The Windows side of the whole-file helpers. Paths go to the wide ("W") calls as the
// path holds them, so no name is lost to the 8-bit code page. A new file takes the access
// rights its folder hands down; a replaced one keeps its own (the replacement takes them
// over from it, as MoveFileEx does within a folder).
namespace tremolex {

namespace {

std::error_code lastError() {
    return {static_cast<int>(GetLastError()), std::system_category()};
}

std::error_code writeAll(HANDLE file, std::string_view content) {
    while (!content.empty()) {
        const auto piece = static_cast<DWORD>(
            std::min<std::size_t>(content.size(), std::numeric_limits<DWORD>::max() / 2));
        DWORD written = 0;
        if (WriteFile(file, content.data(), piece, &written, nullptr) == 0) {
            return lastError();
        }
        content.remove_prefix(written);
    }
    return {};
}

// A name beside the target that no other save, of this process or another, uses now.
std::filesystem::path temporaryName(const std::filesystem::path& file) {
    static std::atomic<unsigned> counter{0};
    std::filesystem::path name = file.parent_path();
    std::wstring leaf = L".";
    leaf += file.filename().wstring();
    leaf += L".";
    leaf += std::to_wstring(GetCurrentProcessId());
    leaf += L".";
    leaf += std::to_wstring(counter++);
    leaf += L".tmp";
    return name / leaf;
}

}  // namespace

std::error_code writeFileAtomically(const std::filesystem::path& target, std::string_view content) {
    std::filesystem::path temporary;
    HANDLE created = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && created == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = temporaryName(target);
        created = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        if (created == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) {
            return lastError();
        }
    }
    KernelHandle file(created);
    if (!file) {
        return lastError();
    }

    std::error_code error = writeAll(file.get(), content);
    if (!error && FlushFileBuffers(file.get()) == 0) {
        error = lastError();
    }
    // Closed here, not by the owner: the close may be where a write fails.
    if (CloseHandle(file.release()) == 0 && !error) {
        error = lastError();
    }
    if (!error && MoveFileExW(temporary.c_str(), target.c_str(),
                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
        error = lastError();
    }
    if (error) {
        DeleteFileW(temporary.c_str());
    }
    return error;
}

std::error_code readFileChunks(const std::filesystem::path& file,
                               const std::function<void(std::string_view)>& onChunk) {
    const KernelHandle handle(CreateFileW(file.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!handle) {
        return lastError();  // a folder too: it is not opened without backup semantics
    }
    // A device (NUL, CON, COMn) or a pipe could block or never end.
    if (GetFileType(handle.get()) != FILE_TYPE_DISK) {
        return std::make_error_code(std::errc::not_supported);
    }
    static constexpr DWORD kChunk = 64 * 1024;
    std::string chunk(kChunk, '\0');
    for (;;) {
        DWORD got = 0;
        if (ReadFile(handle.get(), chunk.data(), kChunk, &got, nullptr) == 0) {
            return lastError();
        }
        if (got == 0) {
            return {};
        }
        onChunk(std::string_view(chunk.data(), got));
    }
}

}  // namespace tremolex
