#include "logfile/logfiles.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>
#include <fstream>

#include "fakes/fakeclock.h"
#include "fakes/fakekeystore.h"
#include "fakes/fakewidgets.h"
#include "logfile/logformat.h"
#include "support/files.h"
#ifndef _WIN32
#include "support/filesizelimit.h"
#endif

namespace tremolex {
namespace {

namespace fs = std::filesystem;

// The commands on the real file system, in a folder of the test's own. What Load Graph
// makes of whatever a file holds is checked by the logload fuzz target.
class LogFilesTest : public testing::Test {
protected:
    LogFilesTest() {
        fs::remove_all(folder);
        fs::create_directories(folder);
        clock.now = 500;
    }
    void hold(std::initializer_list<std::int16_t> counts) {
        for (const std::int16_t count : counts) {
            samples.append(count);
        }
    }
    std::vector<std::int16_t> held() const {
        return {samples.samples().begin(), samples.samples().end()};
    }
    // Runs the command with `path` chosen, in UTF-8 as the dialog gives it.
    void run(void (LogFiles::*command)(), const fs::path& path) {
        const std::u8string utf8 = path.u8string();
        fileDialog.answers = {std::string(utf8.begin(), utf8.end())};
        (logFiles.*command)();
    }
    void save(const fs::path& path) { run(&LogFiles::menusave_Click, path); }
    void load(const fs::path& path) { run(&LogFiles::menuload_Click, path); }
    std::string message() const {
        return dialogs.messages.empty() ? "" : dialogs.messages.back().text;
    }

    fs::path folder = fs::path(std::getenv("HOME")) / "logs";  // the test process's own
    std::string lastpath = "/start/";
    SampleStore samples;
    ChargeTimes times{1, 2};
    std::string apptitle = "Tremolex";
    FakeFileDialog fileDialog;
    FakeDialogs dialogs;
    FakeKeyStore keys;
    SettingsStore settings{keys};
    FakeClock clock;
    int grids = 0;
    LogFiles logFiles = LogFiles({lastpath, samples, times, apptitle}, fileDialog, dialogs,
                                 settings, clock, [this] { ++grids; });
};

// The name is one beyond ASCII, as Windows would lose it in its 8-bit code page.
TEST_F(LogFilesTest, SavedGraphLoadsBackAndAnEmptyOneSavesAnEmptyFile) {
    const fs::path file = folder / fs::path(u8"Zelle \u00fc.log");
    hold({512, 0, 1023, -5});
    save(file);
    EXPECT_EQ(contentOf(file), "512\r\n0\r\n1023\r\n-5\r\n");
    samples.clear();
    hold({7});
    load(file);
    EXPECT_EQ(held(), (std::vector<std::int16_t>{512, 0, 1023, -5}));
    EXPECT_EQ(fileDialog.forSave, (std::vector<bool>{true, false}));
    samples.clear();
    save(file);
    EXPECT_EQ(contentOf(file), "");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(LogFilesTest, ChosenFolderIsRememberedAndCancelTouchesNothing) {
    save(folder / "a.log");
    const std::string expected = (folder / "").string();
    EXPECT_EQ(lastpath, expected);
    EXPECT_EQ(settings.regread("Last Path", "?"), expected);

    hold({1});
    logFiles.menuload_Click();  // cancelled: no answer scripted
    EXPECT_EQ(fileDialog.openedIn.back(), expected);
    logFiles.menusave_Click();
    EXPECT_EQ(lastpath, expected);
    EXPECT_EQ(samples.samplecount(), 1);
    EXPECT_EQ(grids, 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

#ifndef _WIN32
// A new log is the user's to share, as any new file is; a replaced one keeps its mode.
TEST_F(LogFilesTest, NewLogGetsTheUsualModeAndAReplacedOneKeepsItsOwn) {
    const auto modeOf = [](const fs::path& file) {
        return static_cast<int>(fs::status(file).permissions() & fs::perms::mask);
    };
    std::ofstream(folder / "mine.log") << "1\r\n";
    fs::permissions(folder / "mine.log", static_cast<fs::perms>(0640));
    const mode_t before = ::umask(022);
    save(folder / "new.log");
    save(folder / "mine.log");
    ::umask(077);
    save(folder / "private.log");
    ::umask(before);
    EXPECT_EQ(modeOf(folder / "new.log"), 0644);
    EXPECT_EQ(modeOf(folder / "mine.log"), 0640);
    EXPECT_EQ(modeOf(folder / "private.log"), 0600);
}
#endif

// Failures that stop root too: a missing folder, a file where a folder should be, a full
// disk (a file-size limit).
TEST_F(LogFilesTest, FailedSaveSaysWhyAndLeavesTheOldFile) {
    hold({512});
    std::ofstream(folder / "file") << "x";
    for (const fs::path& path : {folder / "missing" / "a.log", folder / "file" / "a.log"}) {
        dialogs = {};
        save(path);
        ASSERT_EQ(dialogs.messages.size(), 1u) << path;
        EXPECT_NE(message().find(path.string()), std::string::npos);
        EXPECT_EQ(dialogs.messages[0].title, "Tremolex");
    }
#ifndef _WIN32
    std::ofstream(folder / "kept.log") << "1\r\n2\r\n";
    for (int i = 0; i < 20000; ++i) {
        samples.append(1000);
    }
    {
        const FileSizeLimit full(4096);
        save(folder / "kept.log");
    }
    EXPECT_NE(message().find("File too large"), std::string::npos);
    EXPECT_EQ(contentOf(folder / "kept.log"), "1\r\n2\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);
#endif
}

// absent.log is also a file another program deleted while the dialog was closing; a pipe
// or a device must neither block nor be read for ever.
TEST_F(LogFilesTest, FailedLoadSaysWhyAndChangesNothing) {
    hold({512, 600});
    std::vector<fs::path> paths;
#ifndef _WIN32
    ASSERT_EQ(mkfifo((folder / "pipe.log").c_str(), 0600), 0);
    paths = {"/dev/zero", folder / "pipe.log"};
#endif
    fs::create_directories(folder / "folder.log");
    paths.insert(paths.end(), {folder / "absent.log", folder / "folder.log"});
    for (const fs::path& path : paths) {
        dialogs = {};
        load(path);
        ASSERT_EQ(dialogs.messages.size(), 1u) << path;
        EXPECT_NE(message().find(path.string() + ": "), std::string::npos) << message();
    }
    EXPECT_EQ(held(), (std::vector<std::int16_t>{512, 600}));
    EXPECT_EQ(times.starttime, 1.0);
    EXPECT_EQ(grids, 0);
    EXPECT_EQ(lastpath, (folder / "").string());  // the folder was chosen all the same
}

// Lines beyond the store's room are only counted, a line of up to 64 KiB is one like any
// other (here the first left out), and a longer one makes the file no graph log.
TEST_F(LogFilesTest, LongFilesAndLongLines) {
    std::vector<std::int16_t> first(SampleStore::kCapacity, 1023);
    first[0] = first[1] = 32767;
    std::string text = "40000\r\n32767\r\n";
    for (std::size_t i = 2; i < first.size(); ++i) {
        text += "1023\r\n";
    }
    const fs::path file = folder / "long.log";
    std::ofstream(file, std::ios::binary) << text << std::string(LogReader::kLongestLine, '7');
    load(file);
    EXPECT_EQ(held(), first);
    EXPECT_EQ(message(), "Only the first 100000 lines of " + file.string() +
                             " were loaded; 1 line more were left out.\n1 line held numbers "
                             "outside -32768..32767; they were set to the nearer limit.");

    std::ofstream(file, std::ios::binary | std::ios::app) << "\n" << std::string(70000, '7');
    load(file);
    EXPECT_EQ(held(), first);
    EXPECT_EQ(message(), "The graph could not be loaded from " + file.string() +
                             ": line 100002 is longer than 65536 characters, so it is not a "
                             "graph log. The graph shown was not changed.");
}

TEST(FolderOf, IsThePathUpToItsLastSeparator) {
    const std::pair<const char*, const char*> cases[] = {
        {"a.log", ""},
#ifdef _WIN32
        {"C:\\Logs\\Cell 1.log", "C:\\Logs\\"},
        {"C:/Logs/Cell 1.log", "C:\\Logs\\"},  // as Qt's dialog gives it
        {"C:\\a.log", "C:\\"},
#else
        {"/home/al/logs/a.log", "/home/al/logs/"},
        {"/a.log", "/"},
#endif
    };
    for (const auto& [path, folder] : cases) {
        EXPECT_EQ(folderOf(path), folder) << path;
    }
}

// A graph saved as a recording (the dialog's second type) holds its readings with their
// times and loads back whole, times and charge time included, whatever its name; damage is
// left out and told. A graph without times is not saved as one.
TEST_F(LogFilesTest, RecordingsSaveAndLoadWithTheirTimes) {
    const std::int64_t start = 1'796'720'405'000;  // 2026-12-08 09:00:05 UTC
    for (int i = 0; i < 3; ++i) {
        samples.append(static_cast<std::int16_t>(600 + i), {start + 1500 * i, 0.1 + 1.5 * i});
    }
    const fs::path file = folder / "charge.txt";
    fileDialog.filterIndex = LogFiles::kRecordingType;
    save(file);
    EXPECT_EQ(contentOf(file),
              "Local time,Charge time (s),Count,Volts\r\n"
              "2026-12-08T10:00:05.000+01:00,0.100,600,1.4663\r\n"
              "2026-12-08T10:00:06.500+01:00,1.600,601,1.4687\r\n"
              "2026-12-08T10:00:08.000+01:00,3.100,602,1.4712\r\n");
    std::ofstream(file, std::ios::app) << "garbage\n2026-12-08T10:00:09";
    const SampleStore saved = samples;
    samples.clear();
    samples.append(7);
    clock.now = 1000;
    load(file);
    EXPECT_EQ(held(), (std::vector<std::int16_t>{600, 601, 602}));
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(samples.time(i), saved.time(i)) << i;
    }
    EXPECT_NEAR(times.lasttime - times.starttime, 3.1, 1e-9);
    EXPECT_EQ(grids, 1);
    EXPECT_EQ(message(), "2 damaged lines of " + file.string() + " were left out.");

    samples.append(9);  // from a log, without a time
    dialogs = {};
    save(file);
    EXPECT_NE(message().find("cannot be saved as a recording"), std::string::npos);
    EXPECT_EQ(held().size(), 4U);
}

}  // namespace
}  // namespace tremolex
