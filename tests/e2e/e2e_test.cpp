#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/posix/configdir.h"
#include "platform/posix/inifilekeystore.h"
#include "realprogram.h"
#include "settings/module1.h"
#include "support/files.h"

namespace tremolex {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string kTitle = "Bramwick Tremolex";
const std::string kFileDialog = "Select Graph LOG File";

// The real program on a real X server, driven with keys as a person would, with a
// pseudo-terminal on port 5 as the device; everything in the test's own folders.
class EndToEnd : public testing::Test, protected RealProgram {
protected:
    explicit EndToEnd(Desktop::Session session = Desktop::Session::Bare) : RealProgram(session) {}
    static std::string setting(const char* name) {
        IniFileKeyStore keys(settingsFilePath());
        return Module1(keys).regread(name, "<none>");
    }
};

// As users run it: under a window manager, with the desktop's theme and file dialogs.
class OnADesktop : public EndToEnd {
protected:
    OnADesktop() : EndToEnd(Desktop::Session::Openbox) {}
};

TEST_F(EndToEnd, FindsTheDeviceRunsOnceAndPicksTheDeviceUpAgain) {
    const auto send = [&](int from, int to) {  // every other count
        for (int count = from; count < to; count += 2) {
            device.write(std::to_string(count) + "\n");
        }
    };
    const auto program = start();
    const std::string window = windowNamed(kTitle);
    ASSERT_TRUE(eventually([&] { return statusPixels(window, kLightGreen) > 500; }));
    EXPECT_EQ(setting("Serial Port Number"), "5");  // found by the first start's search
    EXPECT_EQ(curvePixels(window), 0);
    send(560, 620);
    EXPECT_TRUE(eventually([&] { return curvePixels(window) >= 20; }, 3s));

    EXPECT_EQ(start()->wait(20s), 0);  // a second copy ends at once
    EXPECT_EQ(desktop.windows(kTitle).size(), 1u);

    device.hangUp();
    EXPECT_TRUE(eventually([&] { return statusPixels(window, kLightRed) > 500; }));
    const int kept = curvePixels(window);
    EXPECT_GE(kept, 20);
    device.reopen();
    mapPort(5, device.slavePath());
    EXPECT_TRUE(eventually([&] { return statusPixels(window, kLightGreen) > 500; }));
    send(700, 760);
    EXPECT_TRUE(eventually([&] { return curvePixels(window) >= kept + 20; }, 3s));
}

TEST_F(EndToEnd, RangeDialogSetsTheRangePortDialogSaysWrongEntryAndKeepsThePort) {
    const auto program = start();
    const std::string window = windowNamed(kTitle);
    ASSERT_TRUE(eventually([&] { return setting("Serial Port Number") == "5"; }));
    desktop.keys(window, {"alt+o", "Down", "Down", "Return"});  // Change Voltage Range
    const std::string range = windowNamed("Tremolex");
    ASSERT_FALSE(range.empty());
    desktop.enter(range, "0.3");
    ASSERT_TRUE(eventually([&] { return setting("Range") == ".3"; }));
    desktop.keys(window, {"alt+o", "Down", "Down", "Down", "Return"});  // Select Serial Port
    const std::string port = windowNamed("Tremolex", range);
    ASSERT_FALSE(port.empty());
    desktop.enter(port, "13");
    const std::string message = windowNamed("Tremolex", port);  // "Wrong entry!"
    ASSERT_FALSE(message.empty());
    desktop.keys(message, {"Return"});
    EXPECT_TRUE(eventually([&] { return desktop.windows("Tremolex").empty(); }));
    EXPECT_EQ(setting("Serial Port Number"), "5");
    EXPECT_TRUE(eventually([&] { return statusPixels(window, kLightGreen) > 500; }));
}

// Closed both ways four times at the first place, then moved and resized: no drift.
TEST_F(OnADesktop, WindowComesBackWhereItWasLeft) {
    Desktop::Geometry frame{267, 200, 533, 533};  // 4000, 3000, 8000 and 8000 twips
    std::vector<std::string> twips = {"4000", "3000", "8000", "8000"};
    for (int run = 1; run <= 6; ++run) {
        const auto program = start();
        const std::string window = windowNamed(kTitle);
        Desktop::Geometry now;
        EXPECT_TRUE(eventually([&] { return (now = desktop.frame(window)) == frame; }))
            << "start " << run << ": outer frame " << now << ", not " << frame;
        if (run == 5) {  // moved and resized once the program has placed it
            desktop.x({"xdotool", "windowmove", "--sync", window, "150", "120", "windowsize",
                       "--sync", window, "700", "560"});
            ASSERT_EQ(desktop.geometry(window), (Desktop::Geometry{150, 120, 700, 560}));
            frame = desktop.frame(window);
            twips = {std::to_string(frame.x * 15), std::to_string(frame.y * 15),
                     std::to_string(frame.width * 15), std::to_string(frame.height * 15)};
        }
        ASSERT_TRUE(seesItsPlace(program->pid(), window));
        if (run % 2 == 1) {
            program->signal(SIGTERM);  // as when the session ends
        } else {
            desktop.keys(window, {"alt+F4"});  // the window's close, through the window manager
        }
        ASSERT_EQ(program->wait(), 0);
        EXPECT_EQ((std::vector{setting("Window Left"), setting("Window Top"),
                               setting("Window Width"), setting("Window Height")}),
                  twips)
            << "after start " << run;
    }
}

// GTK's own dialogs: Save asks before it replaces a file, Load opens one without asking.
TEST_F(OnADesktop, SavedGraphReplacesOnlyWhenToldAndLoadsBack) {
    const mode_t umask = ::umask(027);  // the program inherits it
    const auto program = start();
    ::umask(umask);
    const std::string window = windowNamed(kTitle);
    const fs::path logs = fs::path(std::getenv("HOME")) / "logs";  // afresh on every run
    fs::remove_all(logs);
    fs::create_directory(logs);
    ASSERT_TRUE(eventually([&] { return statusPixels(window, kLightGreen) > 500; }));
    device.write("512\n600\n700\n");
    ASSERT_TRUE(eventually([&] { return curvePixels(window) >= 3; }, 3s));
    const std::string readings = "512\r\n600\r\n700\r\n", old = "100\r\n200\r\n";
    const auto choose = [&](const std::vector<std::string>& menu, const std::string& name) {
        desktop.keys(window, menu);
        return chooseFile(program->pid(), (logs / name).string());
    };
    const std::vector<std::string> saveGraph = {"alt+f", "Return"};
    const auto mode = [&](const std::string& name) {  // in octal, as chmod takes it
        std::ostringstream text;
        text << std::oct << static_cast<unsigned>(fs::status(logs / name).permissions());
        return text.str();
    };

    EXPECT_EQ(choose(saveGraph, "capture.log"), "");  // a new name: no question
    EXPECT_TRUE(eventually([&] { return contentOf(logs / "capture.log") == readings; }));
    EXPECT_EQ(mode("capture.log"), "640");  // 0666 less the umask

    std::ofstream(logs / "old.log") << old;
    fs::permissions(logs / "old.log", fs::perms(0604));
    auto question = choose(saveGraph, "old.log");
    ASSERT_TRUE(question && !question->empty()) << "no question before replacing old.log";
    desktop.keys(*question, {"Escape"});  // declined: back in the dialog, cancelled too
    ASSERT_TRUE(eventually([&] { return desktop.untitled(program->pid()).empty(); }));
    desktop.keys(windowNamed(kFileDialog), {"Escape"});
    ASSERT_TRUE(eventually([&] { return desktop.windows(kFileDialog).empty(); }));
    question = choose(saveGraph, "old.log");
    ASSERT_TRUE(question && !question->empty()) << "no question before replacing old.log";
    EXPECT_EQ(contentOf(logs / "old.log"), old);  // the declined save wrote nothing
    desktop.keys(*question, {"alt+r"});           // Replace
    EXPECT_TRUE(eventually([&] { return contentOf(logs / "old.log") == readings; }));
    EXPECT_EQ(mode("old.log"), "604");  // kept

    std::ofstream(logs / "other.log") << old;
    EXPECT_EQ(choose({"alt+f", "Down", "Return"}, "other.log"), "");  // Load Graph
    EXPECT_EQ(choose(saveGraph, "check.log"), "");
    EXPECT_TRUE(eventually([&] { return contentOf(logs / "check.log") == old; }));
    EXPECT_EQ(setting("Last Path"), logs.string() + "/");
}

}  // namespace
}  // namespace tremolex
