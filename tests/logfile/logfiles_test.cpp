#include "logfile/logfiles.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>
#include <fstream>
#include <random>

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

// The commands on the real file system, in a folder of the test's own.
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
    void save(const fs::path& path) {
        fileDialog.answers = {path.string()};
        logFiles.menusave_Click();
    }
    void load(const fs::path& path) {
        fileDialog.answers = {path.string()};
        logFiles.menuload_Click();
    }
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
    Module1 settings{keys};
    FakeClock clock;
    int grids = 0;
    LogFiles logFiles{{lastpath, samples, times, apptitle},
                      fileDialog,
                      dialogs,
                      settings,
                      clock,
                      [this] { ++grids; }};
};

TEST_F(LogFilesTest, SavedGraphLoadsBackWithFreshTimes) {
    hold({512, 0, 1023, -5});
    save(folder / "cycle1.log");
    EXPECT_EQ(contentOf(folder / "cycle1.log"), "512\r\n0\r\n1023\r\n-5\r\n");
    EXPECT_EQ(fileDialog.forSave.back(), true);
    samples.clear();
    hold({7});

    load(folder / "cycle1.log");
    EXPECT_EQ(fileDialog.forSave.back(), false);
    EXPECT_EQ(held(), (std::vector<std::int16_t>{512, 0, 1023, -5}));
    EXPECT_EQ(times.starttime, 500.0f);
    EXPECT_EQ(times.lasttime, 500.0f);
    EXPECT_EQ(grids, 1);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(LogFilesTest, EmptyStoreSavesAnEmptyFileOverAnOldOne) {
    std::ofstream(folder / "old.log") << "1\r\n2\r\n";
    save(folder / "old.log");
    EXPECT_EQ(contentOf(folder / "old.log"), "");
    load(folder / "old.log");
    EXPECT_EQ(samples.samplecount(), 0);
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

// Failures that stop root too: a missing folder, a file where a folder should be, a
// missing file, a folder where a file should be, a full disk (a file-size limit).
TEST_F(LogFilesTest, FailedSaveSaysWhyAndLeavesTheOldFile) {
    hold({512});
    std::ofstream(folder / "file") << "x";
    for (const fs::path& path : {folder / "missing" / "a.log", folder / "file" / "a.log"}) {
        dialogs = {};
        save(path);
        ASSERT_EQ(dialogs.messages.size(), 1u) << path;
        EXPECT_NE(dialogs.messages[0].text.find(path.string()), std::string::npos);
        EXPECT_EQ(dialogs.messages[0].title, "Tremolex");
    }

#ifndef _WIN32
    std::ofstream(folder / "kept.log") << "1\r\n2\r\n";
    for (int i = 0; i < 20000; ++i) {
        samples.append(1000);
    }
    dialogs = {};
    {
        const FileSizeLimit full(4096);
        save(folder / "kept.log");
    }
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].text.find("File too large"), std::string::npos);
    EXPECT_EQ(contentOf(folder / "kept.log"), "1\r\n2\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);
#endif
}

// absent.log is also a file another program deleted while the dialog was closing.
TEST_F(LogFilesTest, FailedLoadSaysWhyAndChangesNothing) {
    hold({512, 600});
    fs::create_directories(folder / "folder.log");
    for (const fs::path& path : {folder / "absent.log", folder / "folder.log"}) {
        dialogs = {};
        load(path);
        ASSERT_EQ(dialogs.messages.size(), 1u) << path;
        EXPECT_NE(dialogs.messages[0].text.find(path.string()), std::string::npos);
    }
    EXPECT_EQ(held(), (std::vector<std::int16_t>{512, 600}));
    EXPECT_EQ(times.starttime, 1.0f);
    EXPECT_EQ(grids, 0);
    EXPECT_EQ(lastpath, (folder / "").string());  // the folder was chosen all the same
}

TEST_F(LogFilesTest, NameBeyondAsciiIsSavedAndLoadedUnderThatName) {
    hold({512, 7});
    const std::string path = (folder / "").string() + "Zelle \xc3\xbc.log";  // UTF-8, as chosen
    fileDialog.answers = {path};
    logFiles.menusave_Click();
    EXPECT_EQ(contentOf(folder / fs::path(u8"Zelle \u00fc.log")), "512\r\n7\r\n");
    samples.clear();
    fileDialog.answers = {path};
    logFiles.menuload_Click();
    EXPECT_EQ(held(), (std::vector<std::int16_t>{512, 7}));
    EXPECT_TRUE(dialogs.messages.empty());
}

#ifndef _WIN32
// Neither may block nor read for ever.
TEST_F(LogFilesTest, PipeOrDeviceIsRefusedAtOnce) {
    hold({512, 600});
    ASSERT_EQ(mkfifo((folder / "pipe.log").c_str(), 0600), 0);
    for (const fs::path& path : {folder / "pipe.log", fs::path("/dev/zero")}) {
        dialogs = {};
        load(path);
        ASSERT_EQ(dialogs.messages.size(), 1u) << path;
        EXPECT_NE(message().find(path.string() + ": "), std::string::npos) << message();
    }
    EXPECT_EQ(held(), (std::vector<std::int16_t>{512, 600}));
}
#endif

// Ten million lines, made by writing one block again and again: the first 100000 are
// loaded exactly (the first one held to the range), the rest only counted.
TEST_F(LogFilesTest, TenMillionLinesLoadTheFirstHundredThousand) {
    std::vector<std::int16_t> first{32767};
    std::string head = "40000\r\n";
    for (int i = 1; i < SampleStore::kCapacity; ++i) {
        first.push_back(static_cast<std::int16_t>(i % 2048 - 1024));
        head += std::to_string(first.back()) + "\r\n";
    }
    std::string block;
    for (int i = 0; i < 10000; ++i) {
        block += "1023\r\n";
    }
    {
        std::ofstream out(folder / "huge.log", std::ios::binary);
        out << head;
        for (int i = 0; i < 990; ++i) {
            out << block;
        }
    }
    load(folder / "huge.log");
    fs::remove(folder / "huge.log");
    EXPECT_EQ(held(), first);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(message().find("9900000 lines more were left out"), std::string::npos) << message();
    EXPECT_NE(message().find("1 line held numbers outside"), std::string::npos) << message();
}

// Whatever bytes a file holds, each line is one reading and nothing is cut short.
TEST_F(LogFilesTest, BinaryFileLoadsOneReadingPerLine) {
    std::mt19937 random(11);
    std::string bytes(1 << 20, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(random());
    }
    bytes += std::string(60000, '\0');
    std::ofstream(folder / "binary.log", std::ios::binary) << bytes;
    std::int32_t lines = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' || bytes[i] == '\n') {
            ++lines;
            i += bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n' ? 1 : 0;
        }
    }
    ++lines;  // the zeros at the end, without a break
    load(folder / "binary.log");
    EXPECT_EQ(samples.samplecount(), std::min(lines, SampleStore::kCapacity));
    EXPECT_EQ(samples.latest(), 0);
}

// A line of up to 64 KiB is a reading like any other; a longer one (here 50 MB without a
// line end) means the file is no graph log, and the memory it would take is never used.
TEST_F(LogFilesTest, OverlongLineIsRefusedAndChangesNothing) {
    std::ofstream(folder / "longest.log", std::ios::binary)
        << "1\r\n"
        << std::string(LogReader::kLongestLine, '7') << "\r\n2";
    load(folder / "longest.log");
    EXPECT_EQ(held(), (std::vector<std::int16_t>{1, 32767, 2}));

    {
        std::ofstream out(folder / "long.log", std::ios::binary);
        out << "5\r\n6\n" << std::string(50 << 20, '7') << "\r\n12\r\n";
    }
    dialogs = {};
    load(folder / "long.log");
    fs::remove(folder / "long.log");
    EXPECT_EQ(held(), (std::vector<std::int16_t>{1, 32767, 2}));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(message(), "The graph could not be loaded from " + (folder / "long.log").string() +
                             ": line 3 is longer than 65536 characters, so it is not a graph "
                             "log. The graph shown was not changed.");
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

}  // namespace
}  // namespace tremolex
