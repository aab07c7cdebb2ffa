#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "chart/noticestrip.h"
#include "platform/appendfile.h"
#include "platform/clock.h"
#include "recording/jobthread.h"
#include "recording/recordingfile.h"
#include "recording/utcoffsets.h"
#include "serial/sampleobserver.h"
#include "settings/settingsstore.h"

namespace tremolex {

// Puts every reading of a capture on disk, in a recording file of its own in `folder`,
// whatever the store keeps: each reading as it arrives becomes a line in memory, and once
// a second those lines are written and made durable, so a crash or a power cut loses at
// most the last second. A recording begins with the first reading after start (or after
// the last one ended) and ends at end(); while it runs, the settings name its file, so the
// next start can tell a recording that was ended from one that was broken off.
//
// In the program the disk's work runs on a thread of its own, so a slow or hanging disk
// never holds up the readings; in tests it runs at once, on the caller's thread.
//
// When the disk fails (no folder, no room, the file deleted, the disk pulled), the strip
// says so once, the lines wait in memory (up to kPendingBytes, twice over; beyond, the
// newest are left out) and every tick tries again, cutting away any half-written line.
class Recorder final : public SampleObserver {
public:
    static constexpr std::size_t kPendingBytes = 1 << 20;  // some 40 s at 400 readings a second

    struct Services {
        AppendFiles& files;
        Clock& clock;
        NoticeStrip& notices;
        const SettingsStore& settings;
    };
    enum class DiskWork { Here, OnAThreadOfItsOwn };

    Recorder(Services services, std::filesystem::path folder, DiskWork work = DiskWork::Here);
    // "Tremolex recordings" in the user's documents folder (UTF-8).
    static std::filesystem::path folderIn(std::string_view documents);
    ~Recorder() override;
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // Each reading as it arrives, stored or turned away; allocates nothing.
    void sampleArrived(const ArrivedReading& reading, const ChargeTimes& times) override;
    // Once a second: what came goes to the disk.
    void Timer1_Timer();
    // The window closes, or a load replaces the store: what came goes to the disk and the
    // recording ends.
    void end();

    // While a broken recording is offered for continuing: lines wait in memory, unwritten.
    void hold() { m_held = true; }
    void release() { m_held = false; }
    // Goes on with the recording in `file` that began at `startUtc`: what it holds past
    // `soundBytes` (a torn line) is cut away at the next write, and the readings that came
    // meanwhile are dropped here, to be given again with their times in the recording's
    // charge time.
    void resume(std::filesystem::path file, std::uintmax_t soundBytes, std::int64_t startUtc);

    // Waits for the disk's work in hand: the program never needs to, a measurement does.
    void settle();

    const std::filesystem::path& folder() const { return m_folder; }
    // The file of the recording under way, once it has one; empty before.
    const std::filesystem::path& file() const { return m_path; }
    // Whether readings reach the disk now: false while it fails.
    bool working() const { return m_failure.empty(); }

private:
    void flush();
    bool flushing();
    void collect();

    Services m_services;
    std::filesystem::path m_folder;
    // The disk's side: while a flush runs, only the flush touches it.
    RecordingFile m_disk;
    std::unique_ptr<JobThread> m_thread;  // null: flushes run here
    bool m_flushing = false;              // a flush whose outcome is not yet collected
    std::filesystem::path m_path;         // m_disk's file, as last collected
    std::vector<char> m_pending;          // lines not yet handed to the disk, kPendingBytes
    std::size_t m_pendingSize = 0;
    std::int64_t m_left = 0;   // lines that found no room in memory
    bool m_recording = false;  // a reading came since the last end
    bool m_held = false;
    UtcOffsets m_offsets{m_services.clock};
    std::string m_failure;  // what the strip says while the disk fails
};

}  // namespace tremolex
