#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string_view>
#include <system_error>

namespace tremolex {

// One open file that grows at its end, made durable on request: a recording.
class AppendFile {
public:
    virtual ~AppendFile() = default;

    // Writes `text` behind what the file holds.
    virtual std::error_code append(std::string_view text) = 0;
    // Puts everything appended so far on the disk (fsync, FlushFileBuffers), and tells
    // whether the file is still there under its name: a file deleted or replaced meanwhile
    // gives an error, as its readings would go nowhere a user can find.
    virtual std::error_code sync() = 0;
};

// Where recordings are kept. Errors are the system's, for the user to read.
class AppendFiles {
public:
    virtual ~AppendFiles() = default;

    // Makes `folder`, and the folders it is in, when missing.
    virtual std::error_code makeFolder(const std::filesystem::path& folder) = 0;
    // A new, empty file; file_exists when the name is taken, and that file is not touched.
    // The name is made durable at once (the folder is synced).
    virtual std::unique_ptr<AppendFile> create(const std::filesystem::path& file,
                                               std::error_code& error) = 0;
    // An existing file, first cut to its first `keep` bytes, to go on appending behind them.
    virtual std::unique_ptr<AppendFile> reopen(const std::filesystem::path& file,
                                               std::uintmax_t keep, std::error_code& error) = 0;
    // Reads a file back from start to end, a piece at a time (readFileChunks).
    virtual std::error_code read(const std::filesystem::path& file,
                                 const std::function<void(std::string_view)>& onChunk) = 0;
};

// The disk's, through the platform's own calls.
std::unique_ptr<AppendFiles> diskAppendFiles();

}  // namespace tremolex
