#include "logfile/logfiles.h"

#include <algorithm>
#include <array>

#include "logfile/logformat.h"
#include "platform/files.h"
#include "recording/recordingformat.h"
#include "recording/recordingreader.h"
#include "recording/utcoffsets.h"
#include "settings/numtext.h"
#include "settings/settingnames.h"

namespace tremolex {

namespace {

// The dialog gives paths in UTF-8; Windows would take a plain narrow path to be in its
// 8-bit code page and reach another file, or none, for a name beyond ASCII.
std::filesystem::path pathOf(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace

std::string folderOf(std::string_view path) {
#ifdef _WIN32
    const std::size_t last = path.find_last_of("\\/");
#else
    const std::size_t last = path.rfind('/');
#endif
    std::string folder(last == std::string_view::npos ? std::string_view()
                                                      : path.substr(0, last + 1));
#ifdef _WIN32
    std::replace(folder.begin(), folder.end(), '/', '\\');  // Qt's dialog gives "/"
#endif
    return folder;
}

LogFiles::LogFiles(Fields fields, FileDialog& CommonDialog1, Dialogs& dialogs,
                   const SettingsStore& settings, Clock& clock, std::function<void()> storeReplaced)
    : m_fields(fields),
      m_dialog(CommonDialog1),
      m_dialogs(dialogs),
      m_settings(settings),
      m_clock(clock),
      m_storeReplaced(std::move(storeReplaced)) {}

// Saving uses the platform's save dialog, which asks before it lets a file be replaced: a
// log replaced without a question is another capture lost.
std::string LogFiles::chooseFile(Purpose purpose) {
    m_dialog.setInitDir(m_fields.lastpath);
    m_dialog.setFileName("");
    if (purpose == Purpose::Save) {
        m_dialog.ShowSave();
    } else {
        m_dialog.ShowOpen();
    }
    std::string path = m_dialog.FileName();
    if (!path.empty()) {
        m_fields.lastpath = folderOf(path);
        m_settings.regwrite(settingnames::kLastPath, m_fields.lastpath);
    }
    return path;
}

// The store as a recording, with the times of its readings; nothing when some have none.
std::optional<std::string> LogFiles::recordingText() {
    const SampleStore& samples = m_fields.samples;
    std::string text(kRecordingHeader);
    text += "\r\n";
    text.reserve(text.size() + static_cast<std::size_t>(samples.samplecount()) * 48);
    UtcOffsets offsets(m_clock);
    for (std::int32_t i = 1; i <= samples.samplecount(); ++i) {
        const ReadingTime time = samples.time(i);
        if (!time.known()) {
            return std::nullopt;
        }
        std::array<char, kRecordingLineCapacity> line{};
        const std::size_t size =
            formatRecordingLine({samples.sample(i), time.utcMilliseconds, time.chargeSeconds},
                                offsets.at(time.utcMilliseconds), line);
        if (size == 0) {
            return std::nullopt;
        }
        text.append(line.data(), size);
    }
    return text;
}

void LogFiles::menusave_Click() {
    const std::string path = chooseFile(Purpose::Save);
    if (path.empty()) {
        return;
    }
    std::optional<std::string> content;
    if (m_dialog.FilterIndex() == kRecordingType) {
        if (!(content = recordingText())) {
            m_dialogs.MsgBox(
                "The graph holds readings without times (from a LOG file), so it "
                "cannot be saved as a recording. Nothing was saved; save it as a "
                "LOG file instead.",
                m_fields.apptitle);
            return;
        }
    } else {
        content = formatLog(m_fields.samples.samples());
    }
    if (const std::error_code error = writeFileAtomically(pathOf(path), *content)) {
        m_dialogs.MsgBox("The graph could not be saved to " + path + ": " + error.message() +
                             ". The file was not changed.",
                         m_fields.apptitle);
    }
}

void LogFiles::menuload_Click() {
    const std::string path = chooseFile(Purpose::Load);
    if (path.empty()) {
        return;
    }
    LogReader reader(static_cast<std::size_t>(SampleStore::kCapacity));
    RecordingReader recording(static_cast<std::size_t>(SampleStore::kCapacity));
    if (const std::error_code error = readFileChunks(pathOf(path), [&](std::string_view chunk) {
            reader.feed(chunk);
            recording.feed(chunk);
        })) {
        m_dialogs.MsgBox("The graph could not be loaded from " + path + ": " + error.message() +
                             ". The graph shown was not changed.",
                         m_fields.apptitle);
        return;
    }
    reader.finish();
    recording.finish();
    if (recording.hasHeader()) {
        loadRecording(path, recording);
        return;
    }
    if (reader.overlongLine() > 0) {
        std::string message = "The graph could not be loaded from ";
        message += path;
        message += ": line ";
        message += numtext(reader.overlongLine());
        message += " is longer than ";
        message += numtext(static_cast<std::int64_t>(LogReader::kLongestLine));
        message += " characters, so it is not a graph log. The graph shown was not changed.";
        m_dialogs.MsgBox(message, m_fields.apptitle);
        return;
    }

    m_fields.samples.clear();
    const double now = m_clock.steadySeconds();
    m_fields.times = {now, now};
    for (const std::int16_t count : reader.counts()) {
        m_fields.samples.append(count);
    }
    m_storeReplaced();

    // Built by appending only: g++ 12 warns falsely about "text" + std::string at -O3.
    const auto lines = [](std::string& to, std::int64_t n) {
        to += numtext(n);
        to += n == 1 ? " line" : " lines";
    };
    std::string notice;
    if (reader.linesLeftOut() > 0) {
        notice += "Only the first ";
        lines(notice, SampleStore::kCapacity);
        notice += " of " + path + " were loaded; ";
        lines(notice, reader.linesLeftOut());
        notice += " more were left out.";
    }
    if (reader.linesClamped() > 0) {
        notice += notice.empty() ? "" : "\n";
        lines(notice, reader.linesClamped());
        notice += " held numbers outside -32768..32767; they were set to the nearer limit.";
    }
    if (!notice.empty()) {
        m_dialogs.MsgBox(notice, m_fields.apptitle);
    }
}

// A recording, known by its header whatever its name: its readings with their times, the
// last ones when the store has no room for all.
void LogFiles::loadRecording(const std::string& path, RecordingReader& recording) {
    const auto last = recording.lastReading();
    if (!last) {
        m_dialogs.MsgBox("The graph could not be loaded from " + path +
                             ": the recording holds no reading. The graph shown was not changed.",
                         m_fields.apptitle);
        return;
    }
    m_fields.samples.clear();
    for (const RecordedReading& reading : recording.takeReadings()) {
        m_fields.samples.append(reading.count, {reading.utcMilliseconds, reading.chargeSeconds});
    }
    const double now = m_clock.steadySeconds();
    m_fields.times = {now - last->chargeSeconds, now};
    m_storeReplaced();

    std::string notice;
    const std::int64_t earlier = recording.soundLines() - m_fields.samples.samplecount();
    if (earlier > 0) {
        for (const std::string& part :
             {std::string("Only the last "), numtext(m_fields.samples.samplecount()),
              std::string(" readings of "), path, std::string(" were loaded; "), numtext(earlier),
              std::string(" earlier ones were left out.")}) {
            notice += part;  // appending only, as above
        }
    }
    if (const std::int64_t damaged = recording.leftOut().total(); damaged > 0) {
        notice += notice.empty() ? "" : "\n";
        notice += numtext(damaged);
        notice += damaged == 1 ? " damaged line of " : " damaged lines of ";
        notice += path + " were left out.";
    }
    if (!notice.empty()) {
        m_dialogs.MsgBox(notice, m_fields.apptitle);
    }
}

}  // namespace tremolex
