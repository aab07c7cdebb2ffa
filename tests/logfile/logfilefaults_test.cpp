// Load Graph on files a bench throws at it. Each load either leaves the store as it was,
// with a message, or fills it with exactly the file's first lines.

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
#include "logfile/logfiles.h"
#include "logfile/logformat.h"

namespace tremolex {
namespace {

namespace fs = std::filesystem;

// Returns a path whose file is gone by the time the program opens it: deleted by another
// program while the dialog was closing.
class VanishingFileDialog final : public FileDialog {
public:
    void setInitDir(std::string_view) override {}
    void setFileName(std::string_view) override {}
    void setMustExist(bool) override {}
    void ShowOpen() override { fs::remove(path); }
    std::string FileName() const override { return path.string(); }

    fs::path path;
};

class LogFileFaultsTest : public testing::Test {
protected:
    LogFileFaultsTest() {
        fs::remove_all(folder);
        fs::create_directories(folder);
        for (const std::int16_t count : {512, 600}) {
            samples.append(count);
        }
    }
    ~LogFileFaultsTest() override { fs::remove_all(folder); }

    void load(FileDialog& dialog) {
        LogFiles logFiles{
            {lastpath, samples, times, apptitle}, dialog, dialogs, settings, clock, [] {}};
        logFiles.menuload_Click();
    }
    void load(const fs::path& path) {
        fileDialog.answers = {path.string()};
        load(fileDialog);
    }
    std::vector<std::int16_t> held() const {
        return {samples.samples().begin(), samples.samples().end()};
    }
    std::string message() const {
        return dialogs.messages.empty() ? "" : dialogs.messages.back().text;
    }

    fs::path folder = fs::path(std::getenv("HOME")) / "faultlogs";
    std::string lastpath;
    SampleStore samples;
    ChargeTimes times{1, 2};
    std::string apptitle = "Tremolex";
    FakeFileDialog fileDialog;
    FakeDialogs dialogs;
    FakeKeyStore keys;
    Module1 settings{keys};
    FakeClock clock;
};

TEST_F(LogFileFaultsTest, FileThatVanishesBeforeItIsOpenedChangesNothing) {
    VanishingFileDialog dialog;
    dialog.path = folder / "gone.log";
    std::ofstream(dialog.path) << "1\r\n2\r\n";
    load(dialog);
    EXPECT_NE(message().find(dialog.path.string()), std::string::npos);
    EXPECT_EQ(held(), (std::vector<std::int16_t>{512, 600}));
    EXPECT_EQ(times.starttime, 1.0f);
}

#ifndef _WIN32
// Neither may block nor read for ever.
TEST_F(LogFileFaultsTest, PipeOrDeviceIsRefusedAtOnce) {
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
// loaded exactly, the rest only counted.
TEST_F(LogFileFaultsTest, TenMillionLinesLoadTheFirstHundredThousand) {
    std::vector<std::int16_t> first;
    std::string head;
    for (int i = 0; i < SampleStore::kCapacity; ++i) {
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
    EXPECT_NE(message().find("9900000 lines more were left out"), std::string::npos) << message();
}

// Whatever bytes a file holds, each line is one reading and nothing is cut short.
TEST_F(LogFileFaultsTest, BinaryFileLoadsOneReadingPerLine) {
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
TEST_F(LogFileFaultsTest, OverlongLineIsRefusedAndChangesNothing) {
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

}  // namespace
}  // namespace tremolex
