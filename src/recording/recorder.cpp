#include "recording/recorder.h"

#include "platform/productname.h"
#include "recording/recordingformat.h"
#include "recording/recordingname.h"
#include "settings/numtext.h"
#include "settings/settingnames.h"

namespace tremolex {

namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kMsPerMinute = 60'000;
// Names tried beside a taken one ("... (2).csv" on), before giving up for this tick.
constexpr int kNamesTried = 100;

}  // namespace

Recorder::Recorder(Services services, fs::path folder)
    : m_services(services), m_folder(std::move(folder)), m_pending(kPendingBytes) {}

fs::path Recorder::folderIn(std::string_view documents) {
    const std::u8string name(documents.begin(), documents.end());
    std::string folder(productname::kShort);
    folder += " recordings";
    return fs::path(name) / fs::path(std::u8string(folder.begin(), folder.end()));
}

Recorder::~Recorder() {
    end();
}

void Recorder::sampleArrived(const ArrivedReading& reading, const ChargeTimes&) {
    if (!m_recording) {
        m_recording = true;
        m_startUtc = reading.time.utcMilliseconds;
    }
    const RecordedReading recorded{reading.count, reading.time.utcMilliseconds,
                                   reading.time.chargeSeconds};
    if (m_pendingSize + kRecordingLineCapacity > m_pending.size() && m_failure.empty() && !m_held) {
        write();  // more than a tick's worth; a failing disk waits for the tick
    }
    if (m_pendingSize + kRecordingLineCapacity > m_pending.size()) {
        ++m_left;
        return;
    }
    const std::span<char, kRecordingLineCapacity> line(m_pending.data() + m_pendingSize,
                                                       kRecordingLineCapacity);
    const std::size_t written =
        formatRecordingLine(recorded, m_offsets.at(reading.time.utcMilliseconds), line);
    m_pendingSize += written;
    m_left += written == 0 ? 1 : 0;  // a clock beyond the year 9999
}

void Recorder::Timer1_Timer() {
    // Lines written when the memory filled between two ticks are synced here too.
    if (m_held || (m_pendingSize == 0 && !(m_unsynced && m_file))) {
        return;
    }
    if (m_pendingSize > 0 && !write()) {
        return;
    }
    if (const std::error_code error = m_file->sync()) {
        fail(error);
        return;
    }
    m_unsynced = false;
    if (!m_failure.empty()) {
        m_failure.clear();
        std::string text;
        if (m_left > 0) {  // the store may still hold them; the file has a gap
            text = numtext(m_left);
            text += m_left == 1 ? " reading" : " readings";
            text += " not recorded to disk";
        }
        m_services.notices.show(NoticeStrip::Notice::NotRecording, text);
    }
}

void Recorder::resume(fs::path file, std::uintmax_t soundBytes, std::int64_t startUtc) {
    m_file.reset();
    m_path = std::move(file);
    m_written = soundBytes;
    m_pendingSize = 0;
    m_left = 0;
    m_recording = true;
    m_startUtc = startUtc;
}

void Recorder::end() {
    m_held = false;
    Timer1_Timer();
    if (m_file) {
        m_services.settings.regwrite(settingnames::kOpenRecording, "");
    }
    m_file.reset();
    m_path.clear();
    m_written = 0;
    m_recording = false;
    m_left = 0;
    m_failure.clear();
    m_services.notices.show(NoticeStrip::Notice::NotRecording, "");
}

// Writes the lines waiting, when the disk lets it.
bool Recorder::write() {
    if (!open()) {
        return false;
    }
    if (const std::error_code error = m_file->append({m_pending.data(), m_pendingSize})) {
        fail(error);
        return false;
    }
    m_written += m_pendingSize;
    m_pendingSize = 0;
    m_unsynced = true;
    return true;
}

// The recording's file, made or opened again after a failure.
bool Recorder::open() {
    if (m_file) {
        return true;
    }
    std::error_code error;
    if (!m_path.empty()) {
        // After a failure: cut away whatever half a line it left, and go on.
        m_file = m_services.files.reopen(m_path, m_written, error);
        if (!m_file && error != std::errc::no_such_file_or_directory) {
            fail(error);
            return false;
        }
    }
    if (!m_file && !create()) {
        return false;
    }
    if (m_written == 0) {
        std::string header(kRecordingHeader);
        header += "\r\n";
        if ((error = m_file->append(header))) {
            fail(error);
            return false;
        }
        m_written = header.size();
    }
    return true;
}

// A new file for the recording, named after its start; a file deleted under the recording
// is made again under its name, and the recording goes on in it.
bool Recorder::create() {
    m_written = 0;
    std::error_code error;
    if ((error = m_services.files.makeFolder(m_folder))) {
        fail(error);
        return false;
    }
    const std::int32_t offset = m_offsets.at(m_startUtc);
    for (int number = 1; number <= kNamesTried && !m_file; ++number) {
        m_path =
            m_folder / recordingFileName(
                           civilTimeOf(m_startUtc + std::int64_t{offset} * kMsPerMinute), number);
        m_file = m_services.files.create(m_path, error);
        if (!m_file && error != std::errc::file_exists) {
            break;
        }
    }
    if (!m_file) {
        m_path.clear();
        fail(error);
        return false;
    }
    m_services.settings.regwrite(settingnames::kOpenRecording, m_path.filename().string());
    return true;
}

void Recorder::fail(std::error_code error) {
    m_file.reset();
    std::string text = "Not recording to disk: ";
    text += error.message();
    if (text != m_failure) {
        m_failure = text;
        m_services.notices.show(NoticeStrip::Notice::NotRecording, m_failure);
    }
}

}  // namespace tremolex
