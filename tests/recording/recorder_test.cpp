#include "recording/recorder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <sstream>
#include <thread>
#include <vector>

#include "fakes/fakeappendfiles.h"
#include "fakes/fakeclock.h"
#include "fakes/fakekeystore.h"
#include "fakes/fakewidgets.h"
#include "recording/jobthread.h"
#include "recording/recordingformat.h"
#include "settings/settingnames.h"

namespace tremolex {
namespace {

namespace fs = std::filesystem;

class RecorderTest : public testing::Test {
protected:
    // Reading n: count 500 + n, n seconds into the charge, at 2026-12-08 09:00:05 UTC + n s.
    void arrive(int n, std::int32_t index = 1) {
        recorder.sampleArrived(
            {static_cast<std::int16_t>(500 + n), index, {kStartUtc + 1000LL * n, double(n)}},
            times);
    }
    // The counts of the file's lines, which must all be sound.
    std::vector<int> countsIn(const fs::path& file) const {
        std::istringstream text(files.files.at(file));
        std::string line;
        std::getline(text, line);
        EXPECT_EQ(line, std::string(kRecordingHeader) + "\r");
        std::vector<int> counts;
        while (std::getline(text, line)) {
            const auto reading = parseRecordingLine(line);
            EXPECT_TRUE(reading) << line;
            counts.push_back(reading ? reading->count : -1);
        }
        return counts;
    }
    std::string open() const { return settings.regread(settingnames::kOpenRecording, ""); }

    static constexpr std::int64_t kStartUtc = 1'796'720'405'000;
    const fs::path folder = fs::path("Documents") / "Tremolex recordings";
    const fs::path first = folder / "2026-12-08 10.00.05.csv";  // local time, UTC+1
    ChargeTimes times;
    FakeAppendFiles files;
    FakeClock clock;
    FakeLabel strip;
    NoticeStrip notices{strip};
    FakeKeyStore keys;
    SettingsStore settings{keys};
    Recorder recorder{{files, clock, notices, settings}, Recorder::folderIn("Documents")};
};

// Lines wait for the tick, which writes and syncs them once; the settings name the file
// until the recording ends; the next reading begins a recording of its own, in a file named
// after its own start beside a taken name.
TEST_F(RecorderTest, EachRecordingGoesToAFileOfItsOwnAtEveryTick) {
    arrive(0);
    arrive(1, 0);  // the store turned it away: it is recorded all the same
    EXPECT_TRUE(files.files.empty());
    recorder.Timer1_Timer();
    EXPECT_EQ(countsIn(first), (std::vector<int>{500, 501}));
    EXPECT_EQ(files.syncs, 1);
    EXPECT_EQ(open(), first.filename().string());
    EXPECT_EQ(recorder.file(), first);
    recorder.Timer1_Timer();
    EXPECT_EQ(files.syncs, 1);  // nothing new, nothing done
    arrive(2);
    recorder.end();
    EXPECT_EQ(countsIn(first), (std::vector<int>{500, 501, 502}));
    EXPECT_EQ(open(), "");
    EXPECT_TRUE(recorder.file().empty());

    files.files.erase(first);
    files.files[first] = "someone else's";
    arrive(0);
    recorder.Timer1_Timer();
    EXPECT_EQ(files.files.at(first), "someone else's");
    EXPECT_EQ(countsIn(folder / "2026-12-08 10.00.05 (2).csv"), std::vector<int>{500});
    EXPECT_EQ(strip.caption, "");
}

// Whatever the disk does, the strip says so once, every tick tries again, and once it works
// the file holds every reading once, in order, with no half-written line.
TEST_F(RecorderTest, DiskFailuresAreToldAndTheFileEndsUpWhole) {
    const auto full = std::make_error_code(std::errc::no_space_on_device);
    const auto denied = std::make_error_code(std::errc::permission_denied);
    const std::tuple<const char*, std::error_code FakeAppendFiles::*, std::error_code> cases[] = {
        {"FolderNotMade", &FakeAppendFiles::failFolder, denied},
        {"FileNotMade", &FakeAppendFiles::failCreate, denied},
        {"DiskFull", &FakeAppendFiles::failAppend, full},
        {"SyncFails", &FakeAppendFiles::failSync, std::make_error_code(std::errc::io_error)},
    };
    for (const auto& [name, fault, error] : cases) {
        SCOPED_TRACE(name);
        files = FakeAppendFiles();
        files.tornBytes = 30;
        recorder.end();
        files.*fault = error;
        const int before = strip.captionsWritten;
        for (int n = 0; n <= 3; ++n) {
            arrive(n);
            recorder.Timer1_Timer();
        }
        EXPECT_EQ(strip.caption, "Not recording to disk: " + error.message());
        EXPECT_EQ(strip.captionsWritten, before + 1);
        EXPECT_FALSE(recorder.working());
        files.*fault = {};
        arrive(4);
        recorder.Timer1_Timer();
        EXPECT_TRUE(recorder.working());
        EXPECT_EQ(strip.caption, "");
        EXPECT_EQ(countsIn(first), (std::vector<int>{500, 501, 502, 503, 504}));
    }
}

// A file deleted under the recording is made again; what it held is gone with it, and the
// next readings are in the new one.
TEST_F(RecorderTest, ADeletedFileIsMadeAgain) {
    arrive(0);
    recorder.Timer1_Timer();
    files.files.erase(first);
    arrive(1);
    recorder.Timer1_Timer();  // written into the void; the sync finds the file gone
    EXPECT_EQ(strip.caption,
              "Not recording to disk: " +
                  std::make_error_code(std::errc::no_such_file_or_directory).message());
    arrive(2);
    recorder.Timer1_Timer();
    EXPECT_EQ(countsIn(first), std::vector<int>{502});
    EXPECT_EQ(strip.caption, "");
}

// Lines that find no room in memory while the disk fails are counted and told.
TEST_F(RecorderTest, ReadingsBeyondTheMemoryOfAFailingDiskAreTold) {
    files.failFolder = std::make_error_code(std::errc::read_only_file_system);
    const int n = 2 * static_cast<int>(Recorder::kPendingBytes / 40);  // lines are longer
    for (int i = 0; i < n; ++i) {
        arrive(i);
        if (i % 10000 == 0) {
            recorder.Timer1_Timer();
        }
    }
    files.failFolder = {};
    recorder.Timer1_Timer();  // what the disk held
    recorder.Timer1_Timer();  // what waited behind it
    const std::vector<int> counts = countsIn(first);
    ASSERT_FALSE(counts.empty());
    EXPECT_EQ(counts.front(), 500);
    EXPECT_LT(counts.size(), static_cast<std::size_t>(n));
    const std::size_t left = static_cast<std::size_t>(n) - counts.size();
    EXPECT_EQ(strip.caption, std::to_string(left) + " readings not recorded to disk");
}

// More than the memory holds between two ticks, on a disk that works: written early, all of
// it, and synced at the tick.
TEST_F(RecorderTest, ReadingsBeyondTheMemoryAreWrittenEarly) {
    const int n = 2 * static_cast<int>(Recorder::kPendingBytes / 40);  // lines are longer
    for (int i = 0; i < n; ++i) {
        arrive(i);
    }
    EXPECT_GE(files.syncs, 1);  // written early, and synced
    recorder.Timer1_Timer();
    EXPECT_EQ(countsIn(first).size(), static_cast<std::size_t>(n));
    EXPECT_EQ(strip.caption, "");
}

// A job asked for while one runs runs once more; busy() holds until the last has finished.
TEST(JobThreadTest, BusyUntilEveryRunAskedForHasFinished) {
    std::promise<void> go;
    std::atomic<int> entered = 0, runs = 0;
    JobThread thread([&, started = go.get_future().share()] {
        ++entered;
        started.wait();
        ++runs;
    });
    thread.run();
    while (entered == 0) {
        std::this_thread::yield();
    }
    EXPECT_TRUE(thread.busy());  // running, nothing more asked
    thread.run();
    go.set_value();
    thread.wait();
    EXPECT_FALSE(thread.busy());
    EXPECT_EQ(runs, 2);
}

// With the disk's work on a thread of its own, a sync that hangs holds up neither the
// readings nor the ticks; once it returns, every reading is in the file, in order.
TEST_F(RecorderTest, AHangingDiskHoldsUpNothing) {
    std::promise<void> gate;
    std::atomic<bool> ticked = false, tickedBeforeTheDiskReturned = false;
    files.onSync = [&, opened = gate.get_future().share()] {
        opened.wait_for(std::chrono::seconds(20));  // a tick held up here would time out
        tickedBeforeTheDiskReturned = tickedBeforeTheDiskReturned || ticked;
    };
    Recorder threaded{{files, clock, notices, settings},
                      Recorder::folderIn("Documents"),
                      Recorder::DiskWork::OnAThreadOfItsOwn};
    std::vector<int> sent;
    for (int n = 0; n < 300; ++n) {
        threaded.sampleArrived({static_cast<std::int16_t>(n), 1, {kStartUtc + n, double(n)}},
                               times);
        sent.push_back(n);
        if (n % 100 == 0) {
            threaded.Timer1_Timer();
        }
    }
    ticked = true;
    gate.set_value();
    threaded.end();
    EXPECT_TRUE(tickedBeforeTheDiskReturned);
    EXPECT_EQ(countsIn(first), sent);
    EXPECT_EQ(open(), "");
}

}  // namespace
}  // namespace tremolex
