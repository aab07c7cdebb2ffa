#pragma once

#include <filesystem>
#include <functional>
#include <string_view>
#include <system_error>

// Whole-file reading and writing for settings and log files.
namespace tremolex {

// Replaces `target` with `content` so that a crash or a full disk leaves either the old
// file or the complete new one, never a part: the text goes to a temporary file beside
// the target, is flushed to disk, and only then renamed over it. A symbolic link is
// followed, so the file it points to is replaced and the link stays. An existing file
// keeps its permissions; a new one gets those of any new file (0666 less the umask).
// Returns the error that stopped it; the target is then untouched.
std::error_code writeFileAtomically(const std::filesystem::path& target, std::string_view content);

// Reads the file from start to end, handing it to `onChunk` a piece at a time, so a large
// file needs no memory of its own size. Only a regular file is read: a folder, a device or
// a pipe gives an error at once, so a wrong choice can neither block nor read forever.
// Returns the error that stopped it.
std::error_code readFileChunks(const std::filesystem::path& file,
                               const std::function<void(std::string_view)>& onChunk);

}  // namespace tremolex
