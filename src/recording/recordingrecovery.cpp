#include "recording/recordingrecovery.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "chart/captions.h"
#include "recording/civiltime.h"
#include "recording/recordingreader.h"
#include "settings/numtext.h"
#include "settings/settingnames.h"

namespace tremolex {

namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kMsPerMinute = 60'000;

// "on 2026-12-08 at 11:30:05", in local time.
std::string localMoment(std::int64_t utcMilliseconds, Clock& clock) {
    const CivilTime local = civilTimeOf(
        utcMilliseconds + std::int64_t{clock.utcOffsetMinutes(utcMilliseconds)} * kMsPerMinute);
    char text[48];
    std::snprintf(text, sizeof text, "on %04d-%02d-%02d at %02d:%02d:%02d", local.year, local.month,
                  local.day, local.hour, local.minute, local.second);
    return text;
}

std::string duration(double seconds) {
    return std::string(chargeTimeCaption({0, seconds}).view());
}

// Only a plain name in the recordings' folder: the setting is not trusted to point elsewhere.
bool plainName(const fs::path& name) {
    return !name.empty() && !name.has_parent_path() && !name.has_root_path() && name != "." &&
           name != "..";
}

}  // namespace

RecordingRecovery::RecordingRecovery(Fields fields, Services services)
    : m_fields(fields), m_services(std::move(services)) {}

bool RecordingRecovery::offer() {
    using settingnames::kOpenRecording;
    const std::string stored = m_services.settings.lookup(kOpenRecording).value_or("");
    const fs::path name(std::u8string(stored.begin(), stored.end()));
    if (!plainName(name)) {
        return false;
    }
    const fs::path file = m_services.recorder.folder() / name;
    RecordingReader reader(static_cast<std::size_t>(SampleStore::kCapacity));
    const std::error_code error =
        m_services.files.read(file, [&reader](std::string_view chunk) { reader.feed(chunk); });
    reader.finish();
    const std::int64_t nowUtc = m_services.clock.utcMilliseconds();
    const auto last = reader.lastReading();
    if (error || !last ||
        static_cast<double>(nowUtc - last->utcMilliseconds) / 1000.0 > kLongestBreakSeconds) {
        // Nothing there to continue, or too old: it is an ordinary file from now on.
        m_services.settings.regwrite(kOpenRecording, "");
        return false;
    }

    const RecordedReading first = reader.firstReading().value();
    // Built by appending only: g++ 12 warns falsely about "text" + std::string at -O3.
    std::string question = "The recording \"";
    for (const std::string& part :
         {stored, std::string("\" was broken off. It began "),
          localMoment(first.utcMilliseconds, m_services.clock), std::string(" and holds "),
          numtext(reader.soundLines()), std::string(" readings over "),
          duration(last->chargeSeconds), std::string("; the last came "),
          duration(static_cast<double>(nowUtc - last->utcMilliseconds) / 1000),
          std::string(" ago.")}) {
        question += part;
    }
    if (reader.leftOut().total() > 0) {
        question += ' ';
        question += numtext(reader.leftOut().total());
        question += " damaged lines in it are left out.";
    }
    question += "\n\nContinue it?";
    m_services.recorder.hold();
    const bool yes = m_services.dialogs.askYesNo(question, m_fields.apptitle);
    if (!yes) {
        m_services.settings.regwrite(kOpenRecording, "");
        m_services.recorder.release();
        return false;
    }

    // The charge time goes on from the recording's start: the time without readings since
    // its last one, by the wall clock, stays a gap.
    const double steadyNow = m_services.clock.steadySeconds();
    const double chargeNow =
        last->chargeSeconds + std::max(0.0, static_cast<double>(m_services.clock.utcMilliseconds() -
                                                                last->utcMilliseconds) /
                                                1000.0);
    const double start = steadyNow - chargeNow;

    // Readings that came during the question, moved into the recording's charge time.
    SampleStore& store = m_fields.samples;
    std::vector<ArrivedReading> meanwhile;
    for (std::int32_t i = 1; i <= store.samplecount(); ++i) {
        const ReadingTime time = store.time(i);
        const double steady = m_fields.times.starttime + time.chargeSeconds;
        meanwhile.push_back(
            {store.sample(i),
             0,
             {time.utcMilliseconds, std::max(steady - start, last->chargeSeconds)}});
    }
    std::vector<RecordedReading> recovered = reader.takeReadings();
    const std::size_t room = static_cast<std::size_t>(SampleStore::kCapacity) - meanwhile.size();
    if (recovered.size() > room) {
        recovered.erase(recovered.begin(),
                        recovered.begin() + static_cast<std::ptrdiff_t>(recovered.size() - room));
    }

    store.clear();
    if (m_services.storeReplaced) {
        m_services.storeReplaced();
    }
    m_fields.times = {start, start};
    m_services.recorder.resume(file, reader.soundBytes(), first.utcMilliseconds);
    m_services.recorder.release();
    const auto add = [&](ArrivedReading reading, bool recorded) {
        store.append(reading.count, reading.time);
        reading.index = store.samplecount();
        m_fields.times.lasttime = start + reading.time.chargeSeconds;
        m_services.monitor.sampleArrived(reading, m_fields.times);
        if (!recorded) {
            m_services.recorder.sampleArrived(reading, m_fields.times);
        }
    };
    for (const RecordedReading& reading : recovered) {
        add({reading.count, 0, {reading.utcMilliseconds, reading.chargeSeconds}}, true);
    }
    for (const ArrivedReading& reading : meanwhile) {
        add(reading, false);
    }
    return true;
}

}  // namespace tremolex
