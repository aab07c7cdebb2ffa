#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "platform/posix/configdir.h"
#include "platform/posix/inifilekeystore.h"
#include "realprogram.h"
#include "settings/module1.h"
#include "support/files.h"

namespace tremolex {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The real program on a real X server, driven with keys as a person would, with a
// pseudo-terminal on port 5 as the device; everything in the test's own folders.
class EndToEnd : public testing::Test, protected RealProgram {
protected:
    explicit EndToEnd(Desktop::Session session = Desktop::Session::Bare) : RealProgram(session) {}
    static std::string setting(const char* name) {
        IniFileKeyStore keys(settingsFilePath());
        return Module1(keys).regread(name, "<none>");
    }
    static std::vector<std::string> place() {
        return {setting("Window Left"), setting("Window Top"), setting("Window Width"),
                setting("Window Height")};
    }
    void answer(const std::string& title, const std::string& text, const std::string& other = {}) {
        ASSERT_TRUE(RealProgram::answer(title, text, other)) << "no dialog " << title;
    }

    fs::path home = std::getenv("HOME");
};

// 4000, 3000, 8000 and 8000 twips at 15 a pixel: the outer frame, decorations included.
const Desktop::Geometry kFirstPlace{267, 200, 533, 533};

// As users run it: under a window manager, with the desktop's theme and file dialogs.
class OnADesktop : public EndToEnd {
protected:
    OnADesktop() : EndToEnd(Desktop::Session::Openbox) {}
    testing::AssertionResult shows(const std::string& window, const Desktop::Geometry& frame) {
        Desktop::Geometry now;
        if (eventually([&] { return (now = desktop.frame(window)) == frame; })) {
            return testing::AssertionSuccess();
        }
        return testing::AssertionFailure() << "outer frame " << now << ", not " << frame;
    }
};

TEST_F(EndToEnd, FirstStartFindsTheDeviceAndDrawsItsCurve) {
    const auto program = start();
    const std::string window = windowNamed("Bramwick Tremolex");
    ASSERT_FALSE(window.empty());
    EXPECT_EQ(desktop.geometry(window), kFirstPlace);
    EXPECT_TRUE(eventually([&] { return statusPixels(window, kLightGreen) > 500; }));
    EXPECT_EQ(setting("Serial Port Number"), "5");  // found by the search
    EXPECT_EQ(curvePixels(window), 0);

    for (int count = 560; count < 620; count += 2) {
        device.write(std::to_string(count) + "\n");
    }
    EXPECT_TRUE(eventually([&] { return curvePixels(window) >= 20; }, 3s));
}

TEST_F(EndToEnd, PortDialogSaysWrongEntryAndKeepsThePort) {
    const auto program = start();
    const std::string window = windowNamed("Bramwick Tremolex");
    ASSERT_TRUE(eventually([&] { return setting("Serial Port Number") == "5"; }));
    desktop.menu(window, "alt+o", 4);
    const std::string input = windowNamed("Tremolex");
    answer("Tremolex", "13");
    const std::string message = windowNamed("Tremolex", input);  // "Wrong entry!"
    ASSERT_FALSE(message.empty());
    desktop.focus(message);
    desktop.keys({"Return"});
    EXPECT_TRUE(eventually([&] { return desktop.window("Tremolex").empty(); }));
    EXPECT_EQ(setting("Serial Port Number"), "5");
    EXPECT_TRUE(eventually([&] { return statusPixels(window, kLightGreen) > 500; }));
}

TEST_F(EndToEnd, RangeAndPlaceSurviveARestart) {
    {
        const auto program = start();
        const std::string window = windowNamed("Bramwick Tremolex");
        desktop.menu(window, "alt+o", 3);
        answer("Tremolex", "0.3");
        ASSERT_TRUE(eventually([&] { return setting("Range") == ".3"; }));
        desktop.move(window, 150, 120);
        ASSERT_TRUE(seesItsPlace(*program, window));
        program->signal(SIGTERM);  // as when the session ends
        EXPECT_EQ(program->wait(10s), 0);
    }
    EXPECT_EQ(setting("Window Left"), "2250");
    EXPECT_EQ(setting("Window Top"), "1800");
    const auto program = start();
    const std::string window = windowNamed("Bramwick Tremolex");
    EXPECT_EQ(desktop.geometry(window), (Desktop::Geometry{150, 120, 533, 533}));
    EXPECT_EQ(setting("Range"), ".3");
}

TEST_F(EndToEnd, SecondCopyEndsAtOnce) {
    const auto program = start();
    ASSERT_FALSE(windowNamed("Bramwick Tremolex").empty());
    const auto second = start();
    EXPECT_EQ(second->wait(20s), 0);
    EXPECT_EQ(desktop.windowCount("Bramwick Tremolex"), 1);
}

TEST_F(EndToEnd, DeviceThatDisconnectsIsPickedUpAgain) {
    const auto program = start();
    const std::string window = windowNamed("Bramwick Tremolex");
    ASSERT_TRUE(eventually([&] { return statusPixels(window, kLightGreen) > 500; }));
    device.write("600\n");
    ASSERT_TRUE(eventually([&] { return curvePixels(window) >= 1; }, 3s));
    device.hangUp();
    EXPECT_TRUE(eventually([&] { return statusPixels(window, kLightRed) > 500; }));
    device.reopen();
    mapPort(5, device.slavePath());
    EXPECT_TRUE(eventually([&] { return statusPixels(window, kLightGreen) > 500; }));
    device.write("610\n620\n");
    EXPECT_TRUE(eventually([&] { return curvePixels(window) >= 3; }, 3s));
}

TEST_F(OnADesktop, WindowStartsInPlaceAndStaysWithoutDrift) {
    for (int run = 1; run <= 4; ++run) {
        const auto program = start();
        const std::string window = windowNamed("Bramwick Tremolex");
        EXPECT_TRUE(shows(window, kFirstPlace)) << "start " << run;
        ASSERT_TRUE(seesItsPlace(*program, window));
        if (run % 2 == 1) {
            program->signal(SIGTERM);  // as when the session ends
        } else {
            desktop.keys({"alt+F4"});  // the window's close, through the window manager
        }
        ASSERT_EQ(program->wait(10s), 0);
        EXPECT_EQ(place(), (std::vector<std::string>{"4000", "3000", "8000", "8000"}))
            << "after start " << run;
    }
}

TEST_F(OnADesktop, MovedAndResizedWindowComesBackThere) {
    Desktop::Geometry moved;
    {
        const auto program = start();
        const std::string window = windowNamed("Bramwick Tremolex");
        ASSERT_TRUE(shows(window, kFirstPlace));  // placed by the program before we move it
        desktop.move(window, 150, 120);
        desktop.resize(window, 700, 560);
        ASSERT_EQ(desktop.geometry(window), (Desktop::Geometry{150, 120, 700, 560}));
        ASSERT_TRUE(seesItsPlace(*program, window));
        moved = desktop.frame(window);
        program->signal(SIGTERM);
        ASSERT_EQ(program->wait(10s), 0);
    }
    const auto twips = [](int pixels) { return std::to_string(pixels * 15); };
    EXPECT_EQ(place(), (std::vector<std::string>{twips(moved.x), twips(moved.y), twips(moved.width),
                                                 twips(moved.height)}));
    const auto program = start();
    EXPECT_TRUE(shows(windowNamed("Bramwick Tremolex"), moved));
}

// GTK's own dialogs: Save asks before it replaces a file, Load opens one without asking.
TEST_F(OnADesktop, SavedGraphReplacesOnlyWhenToldAndLoadsBack) {
    const mode_t umask = ::umask(027);  // the program inherits it
    const auto program = start();
    ::umask(umask);
    const std::string window = windowNamed("Bramwick Tremolex");
    const fs::path logs = home / "logs";  // afresh, also when the test is repeated
    fs::remove_all(logs);
    fs::create_directory(logs);
    ASSERT_TRUE(eventually([&] { return statusPixels(window, kLightGreen) > 500; }));
    device.write("512\n600\n700\n");
    ASSERT_TRUE(eventually([&] { return curvePixels(window) >= 3; }, 3s));
    const std::string readings = "512\r\n600\r\n700\r\n";
    const auto saveAs = [&](const fs::path& log) {
        desktop.menu(window, "alt+f", 1);
        return chooseFile(*program, log.string());
    };
    const auto mode = [](const fs::path& file) {  // in octal, as chmod takes it
        const auto bits = static_cast<unsigned>(fs::status(file).permissions());
        return std::to_string(bits >> 6 & 7) + std::to_string(bits >> 3 & 7) +
               std::to_string(bits & 7);
    };
    const auto press = [&](const std::string& box, const std::string& key) {
        desktop.focus(box);
        desktop.keys({key});
        return !box.empty() && eventually([&] { return !desktop.shown(box); });
    };

    EXPECT_EQ(saveAs(logs / "capture.log"), "");  // a new name: no question
    EXPECT_TRUE(eventually([&] { return contentOf(logs / "capture.log") == readings; }));
    EXPECT_EQ(mode(logs / "capture.log"), "640");  // 0666 less the umask

    std::ofstream(logs / "old.log") << "100\r\n200\r\n";
    fs::permissions(logs / "old.log", fs::perms(0604));
    auto question = saveAs(logs / "old.log");
    ASSERT_TRUE(question && !question->empty()) << "no question before replacing old.log";
    ASSERT_TRUE(press(*question, "Escape"));  // declined: back in the dialog
    ASSERT_TRUE(press(windowNamed("Select Graph LOG File"), "Escape"));
    question = saveAs(logs / "old.log");
    ASSERT_TRUE(question && !question->empty()) << "no question before replacing old.log";
    EXPECT_EQ(contentOf(logs / "old.log"), "100\r\n200\r\n");  // the declined save wrote nothing
    ASSERT_TRUE(press(*question, "alt+r"));                    // Replace
    EXPECT_TRUE(eventually([&] { return contentOf(logs / "old.log") == readings; }));
    EXPECT_EQ(mode(logs / "old.log"), "604");  // kept

    std::ofstream(logs / "other.log") << "100\r\n200\r\n";
    desktop.menu(window, "alt+f", 2);
    EXPECT_EQ(chooseFile(*program, (logs / "other.log").string()), "");  // no question
    EXPECT_EQ(saveAs(logs / "check.log"), "");
    EXPECT_TRUE(eventually([&] { return contentOf(logs / "check.log") == "100\r\n200\r\n"; }));
    EXPECT_EQ(setting("Last Path"), logs.string() + "/");
}

}  // namespace
}  // namespace tremolex
