#include "recording/recordingrecovery.h"

#include <gtest/gtest.h>

#include <array>
#include <sstream>

#include "fakes/fakeappendfiles.h"
#include "fakes/fakeclock.h"
#include "fakes/fakekeystore.h"
#include "fakes/fakeobserver.h"
#include "fakes/fakewidgets.h"
#include "recording/recordingformat.h"
#include "serial/samplereception.h"
#include "settings/settingnames.h"

namespace tremolex {
namespace {

namespace fs = std::filesystem;

// A recording of three readings 10 s apart from 2026-12-08 10:00:05 local time (UTC+1),
// broken off in the middle of a fourth line; the program starts again 5 minutes after its
// last reading, and one reading comes while the question is open.
class RecordingRecoveryTest : public testing::TestWithParam<int> {
public:
    RecordingRecoveryTest() {
        std::string text = std::string(kRecordingHeader) + "\r\n";
        for (int n = 0; n < 3; ++n) {
            std::array<char, kRecordingLineCapacity> line{};
            const std::size_t size = formatRecordingLine(
                {static_cast<std::int16_t>(600 + n), kStartUtc + 10'000 * n, 10.0 * n + 0.1}, 60,
                line);
            text.append(line.data(), size);
        }
        sound = text;
        files.files[file] = text + "2026-12-08T10:00:35.1";
        settings.regwrite(settingnames::kOpenRecording, file.filename().string());
        clock.now = 50'000;
        clock.wallAhead = kStartUtc + 20'000 + 300'000 - 50'000'000;  // 5 min after the last
        reception.setObservers({&monitor, &recorder});
        dialogs.during = [this] { reception.receive("605\n"); };
    }
    bool offer() {
        return RecordingRecovery({samples, times, apptitle},
                                 {files, clock, dialogs, settings, recorder, monitor,
                                  [this] { monitor.arrived.clear(); }})
            .offer();
    }
    std::string open() const { return settings.regread(settingnames::kOpenRecording, ""); }

    static constexpr std::int64_t kStartUtc = 1'796'720'405'000;
    const fs::path file = fs::path("Documents") / "Tremolex recordings" / "2026-12-08 10.00.05.csv";
    std::string sound;
    SampleStore samples;
    ChargeTimes times;
    const std::string apptitle = "Tremolex";
    FakeAppendFiles files;
    FakeClock clock;
    FakeDialogs dialogs;
    FakeKeyStore keys;
    SettingsStore settings{keys};
    FakeLabel strip;
    NoticeStrip notices{strip};
    Recorder recorder{{files, clock, notices, settings}, Recorder::folderIn("Documents")};
    FakeObserver monitor;
    RxBuffer rxbuffer;
    SampleReception reception{rxbuffer, samples, times, clock};
};

// Yes: the three readings and the one that came meanwhile, in order, in the store, told to
// the monitor and in the file, whose torn line is gone; the charge time goes on with the
// 5 minutes without readings as a gap, and the reading keeps the moment it came.
TEST_F(RecordingRecoveryTest, YesContinuesTheRecordingInItsFile) {
    dialogs.yes = true;
    clock.step = 10;  // the answer comes 10 s after the reading that came meanwhile
    ASSERT_TRUE(offer());
    ASSERT_EQ(dialogs.questions.size(), 1U);
    EXPECT_EQ(dialogs.questions[0].title, "Tremolex");
    EXPECT_EQ(dialogs.questions[0].text,
              "The recording \"2026-12-08 10.00.05.csv\" was broken off. It began on 2026-12-08 "
              "at 10:00:05 and holds 3 readings over 0 min, 20 sec; the last came 5 min, 0 sec "
              "ago. 1 damaged lines in it are left out.\n\nContinue it?");
    ASSERT_EQ(samples.samplecount(), 4);
    EXPECT_EQ(samples.sample(4), 605);
    EXPECT_EQ(samples.time(2), (ReadingTime{kStartUtc + 10'000, 10.1}));
    EXPECT_NEAR(samples.time(4).chargeSeconds, 320.1, 0.01);
    EXPECT_NEAR(times.lasttime - times.starttime, 320.1, 0.01);
    ASSERT_EQ(monitor.arrived.size(), 4U);
    EXPECT_EQ(monitor.arrived[3].index, 4);
    EXPECT_EQ(open(), file.filename().string());

    recorder.Timer1_Timer();
    const std::string& text = files.files.at(file);
    ASSERT_EQ(text.substr(0, sound.size()), sound);
    const auto added = parseRecordingLine(text.substr(sound.size()));
    ASSERT_TRUE(added);
    EXPECT_EQ(added->count, 605);
    EXPECT_NEAR(added->chargeSeconds, 320.1, 0.01);
}

// No: the file stays as it was, the setting forgets it, and the reading that came begins a
// recording of its own.
TEST_F(RecordingRecoveryTest, NoLeavesTheFileAndStartsAfresh) {
    const std::string before = files.files.at(file);
    EXPECT_FALSE(offer());
    EXPECT_EQ(samples.samplecount(), 1);
    recorder.Timer1_Timer();
    EXPECT_EQ(files.files.at(file), before);
    EXPECT_EQ(files.files.size(), 2U);
    EXPECT_NE(open(), file.filename().string());
    EXPECT_NE(open(), "");
}

// No question without a broken recording to continue: none named, a name that leads out of
// the folder, a file gone or without readings, or a break of more than a day.
struct Unoffered {
    const char* name;
    void (*setUp)(RecordingRecoveryTest&);
    const char* left;  // the setting afterwards
};
const Unoffered kUnoffered[] = {
    {"NoneNamed", [](auto& t) { t.settings.regwrite(settingnames::kOpenRecording, ""); }, ""},
    {"OutOfTheFolder",
     [](auto& t) { t.settings.regwrite(settingnames::kOpenRecording, "../x.csv"); }, "../x.csv"},
    {"Gone", [](auto& t) { t.files.files.clear(); }, ""},
    {"NoReadings", [](auto& t) { t.files.files[t.file] = std::string(kRecordingHeader) + "\r\n"; },
     ""},
    {"NoRecording", [](auto& t) { t.files.files[t.file] = "512\r\n513\r\n"; }, ""},
    {"ADayAgo", [](auto& t) { t.clock.wallAhead += 24 * 3600 * 1000LL; }, ""},
};

TEST_P(RecordingRecoveryTest, NothingIsOfferedWithoutARecentBrokenRecording) {
    const Unoffered& c = kUnoffered[GetParam()];
    c.setUp(*this);
    EXPECT_FALSE(offer()) << c.name;
    EXPECT_TRUE(dialogs.questions.empty()) << c.name;
    EXPECT_EQ(open(), c.left) << c.name;
}
INSTANTIATE_TEST_SUITE_P(Cases, RecordingRecoveryTest,
                         testing::Range(0, static_cast<int>(std::size(kUnoffered))));

}  // namespace
}  // namespace tremolex
