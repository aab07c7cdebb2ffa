#include "recording/recordingfile.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "recording/civiltime.h"
#include "recording/recordingformat.h"
#include "recording/recordingname.h"

namespace tremolex {

namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kMsPerMinute = 60'000;
// Names tried beside a taken one ("... (2).csv" on), before giving up for this flush.
constexpr int kNamesTried = 100;

}  // namespace

RecordingFile::RecordingFile(AppendFiles& files, fs::path folder, std::size_t capacity)
    : m_files(files), m_folder(std::move(folder)), m_lines(capacity) {}

void RecordingFile::begin(std::int64_t startUtc, std::int32_t offsetMinutes) {
    close();
    m_startUtc = startUtc;
    m_offsetMinutes = offsetMinutes;
}

void RecordingFile::resume(fs::path file, std::uintmax_t soundBytes) {
    close();
    m_path = std::move(file);
    m_written = soundBytes;
}

void RecordingFile::close() {
    m_file.reset();
    m_path.clear();
    m_written = 0;
    m_size = 0;
    m_unsynced = false;
    m_error.clear();
    m_made = false;
}

std::size_t RecordingFile::take(std::string_view lines) {
    std::size_t taken = std::min(lines.size(), m_lines.size() - m_size);
    if (taken < lines.size()) {
        taken = lines.substr(0, taken).rfind('\n') + 1;  // npos + 1: none
    }
    std::memcpy(m_lines.data() + m_size, lines.data(), taken);
    m_size += taken;
    return taken;
}

bool RecordingFile::flush() {
    m_made = false;
    m_error.clear();
    if (m_size > 0) {
        if (!reopen()) {
            return false;
        }
        if (const std::error_code error = m_file->append({m_lines.data(), m_size})) {
            return fail(error);
        }
        m_written += m_size;
        m_size = 0;
        m_unsynced = true;
    }
    if (m_unsynced) {
        if (!reopen()) {
            return false;
        }
        if (const std::error_code error = m_file->sync()) {
            return fail(error);
        }
        m_unsynced = false;
    }
    return true;
}

// The recording's file, made or opened again after a failure.
bool RecordingFile::reopen() {
    if (m_file) {
        return true;
    }
    std::error_code error;
    if (!m_path.empty()) {
        // After a failure: cut away whatever half a line it left, and go on.
        m_file = m_files.reopen(m_path, m_written, error);
        if (!m_file && error != std::errc::no_such_file_or_directory) {
            return fail(error);
        }
    }
    if (!m_file && !create()) {
        return false;
    }
    if (m_written == 0) {
        std::string header(kRecordingHeader);
        header += "\r\n";
        if ((error = m_file->append(header))) {
            return fail(error);
        }
        m_written = header.size();
    }
    return true;
}

// A new file, named after the recording's start; a file deleted under the recording is
// made again under its name, and the recording goes on in it.
bool RecordingFile::create() {
    m_written = 0;
    std::error_code error;
    if ((error = m_files.makeFolder(m_folder))) {
        return fail(error);
    }
    const CivilTime start = civilTimeOf(m_startUtc + std::int64_t{m_offsetMinutes} * kMsPerMinute);
    for (int number = 1; number <= kNamesTried && !m_file; ++number) {
        m_path = m_folder / recordingFileName(start, number);
        m_file = m_files.create(m_path, error);
        if (!m_file && error != std::errc::file_exists) {
            break;
        }
    }
    if (!m_file) {
        m_path.clear();
        return fail(error);
    }
    m_made = true;
    return true;
}

bool RecordingFile::fail(std::error_code error) {
    m_file.reset();
    m_error = error;
    return false;
}

}  // namespace tremolex
