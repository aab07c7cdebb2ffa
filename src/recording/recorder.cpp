#include "recording/recorder.h"

#include <cstring>

#include "platform/productname.h"
#include "recording/recordingformat.h"
#include "settings/numtext.h"
#include "settings/settingnames.h"

namespace tremolex {

namespace fs = std::filesystem;

Recorder::Recorder(Services services, fs::path folder, DiskWork work)
    : m_services(services),
      m_folder(std::move(folder)),
      m_disk(services.files, m_folder, kPendingBytes),
      m_pending(kPendingBytes) {
    if (work == DiskWork::OnAThreadOfItsOwn) {
        m_thread = std::make_unique<JobThread>([this] { m_disk.flush(); });
    }
}

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
        m_recording = true;  // nothing is flushing between recordings
        m_disk.begin(reading.time.utcMilliseconds, m_offsets.at(reading.time.utcMilliseconds));
    }
    if (m_flushing) {
        flushing();  // a file just made is named in the settings without waiting for a tick
    }
    const RecordedReading recorded{reading.count, reading.time.utcMilliseconds,
                                   reading.time.chargeSeconds};
    if (m_pendingSize + kRecordingLineCapacity > m_pending.size() && !flushing() &&
        m_failure.empty() && !m_held) {
        flush();  // more than a tick's worth; a failing disk waits for the tick
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
    if (flushing() || m_held || (m_pendingSize == 0 && !m_disk.due())) {
        return;
    }
    flush();
}

void Recorder::resume(fs::path file, std::uintmax_t soundBytes, std::int64_t startUtc) {
    settle();
    m_disk.begin(startUtc, m_offsets.at(startUtc));
    m_disk.resume(file, soundBytes);
    m_path = std::move(file);
    m_pendingSize = 0;
    m_left = 0;
    m_recording = true;
}

void Recorder::end() {
    m_held = false;
    settle();
    // Until all is out, or the disk fails once more: lines may wait behind others.
    while (m_pendingSize > 0 || m_disk.due()) {
        flush();
        settle();
        if (!m_failure.empty()) {
            break;
        }
    }
    if (m_disk.open()) {
        m_services.settings.regwrite(settingnames::kOpenRecording, "");
    }
    m_disk.close();
    m_path.clear();
    m_pendingSize = 0;  // a failing disk's: they belong to no later recording
    m_recording = false;
    m_left = 0;
    m_failure.clear();
    m_services.notices.show(NoticeStrip::Notice::NotRecording, "");
}

// Hands the disk the lines waiting, as many as it has room for, and has them written and
// synced, on the disk's thread when there is one.
void Recorder::flush() {
    const std::size_t taken = m_disk.take({m_pending.data(), m_pendingSize});
    std::memmove(m_pending.data(), m_pending.data() + taken, m_pendingSize - taken);
    m_pendingSize -= taken;
    m_flushing = true;
    if (m_thread) {
        m_thread->run();
    } else {
        m_disk.flush();
    }
    flushing();
}

// Takes in the outcome of a flush that has finished; whether one still runs.
bool Recorder::flushing() {
    if (m_flushing && !(m_thread && m_thread->busy())) {
        m_flushing = false;
        collect();
    }
    return m_flushing;
}

void Recorder::settle() {
    if (m_thread) {
        m_thread->wait();
    }
    flushing();
}

void Recorder::collect() {
    if (m_disk.made()) {
        m_path = m_disk.path();
        m_services.settings.regwrite(settingnames::kOpenRecording, m_path.filename().string());
    }
    if (const std::error_code error = m_disk.error()) {
        std::string text = "Not recording to disk: ";
        text += error.message();
        if (text != m_failure) {
            m_failure = text;
            m_services.notices.show(NoticeStrip::Notice::NotRecording, m_failure);
        }
        return;
    }
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

}  // namespace tremolex
