#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/appendfile.h"

namespace tremolex {

// A recording's file and the lines on their way into it: made when first written, named
// after the recording's start, appended to and synced, and opened again after a failure
// with any half-written line cut away. Lines that fail to go out stay here for the next
// flush. flush() may run on a thread of its own; nothing else is called while it runs.
class RecordingFile {
public:
    RecordingFile(AppendFiles& files, std::filesystem::path folder, std::size_t capacity);

    // A new recording, which began at `startUtc`, `offsetMinutes` ahead of UTC there.
    void begin(std::int64_t startUtc, std::int32_t offsetMinutes);
    // Goes on in `file`; what it holds past `soundBytes` is cut away at the next flush.
    void resume(std::filesystem::path file, std::uintmax_t soundBytes);
    // The recording ended: the next one begins afresh.
    void close();

    // Takes whole lines from the front of `lines`, as many as there is room for; returns
    // the bytes taken.
    std::size_t take(std::string_view lines);
    // Whether a flush has something to do.
    bool due() const { return m_size > 0 || m_unsynced; }
    // Writes what it holds and puts it on the disk; false, with error() telling why, when
    // the disk fails.
    bool flush();

    std::error_code error() const { return m_error; }
    // The file, once made; empty before.
    const std::filesystem::path& path() const { return m_path; }
    bool open() const { return m_file != nullptr; }
    // Whether the last flush made a new file.
    bool made() const { return m_made; }

private:
    bool reopen();
    bool create();
    bool fail(std::error_code error);

    AppendFiles& m_files;
    std::filesystem::path m_folder;
    std::vector<char> m_lines;  // waiting to be written, allocated once
    std::size_t m_size = 0;
    std::filesystem::path m_path;
    std::unique_ptr<AppendFile> m_file;
    std::uintmax_t m_written = 0;  // bytes of whole lines in the file
    bool m_unsynced = false;       // written, not yet synced
    std::int64_t m_startUtc = 0;
    std::int32_t m_offsetMinutes = 0;
    std::error_code m_error;
    bool m_made = false;
};

}  // namespace tremolex
