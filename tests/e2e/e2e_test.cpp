#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>

#include "platform/posix/configdir.h"
#include "platform/posix/inifilekeystore.h"
#include "realprogram.h"
#include "settings/settingsstore.h"
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
        return SettingsStore(keys).regread(name, "<none>");
    }
};

// As users run it: under a window manager, with the desktop's theme and file dialogs.
struct OnADesktop : EndToEnd {
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
    desktop.enter(range, "0.3");
    ASSERT_TRUE(eventually([&] { return setting("Range") == ".3"; }));
    desktop.keys(window, {"alt+o", "Down", "Down", "Down", "Return"});  // Select Serial Port
    const std::string port = windowNamed("Tremolex", range);
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
        eventually([&] { return desktop.frame(window) == frame; });
        EXPECT_EQ(desktop.frame(window), frame) << "outer frame at start " << run;
        if (run == 5) {  // moved and resized once the program has placed it
            desktop.x({"xdotool", "windowmove", "--sync", window, "150", "120", "windowsize",
                       "--sync", window, "700", "560"});
            ASSERT_EQ(desktop.geometry(window), (Desktop::Geometry{150, 120, 700, 560}));
            frame = desktop.frame(window);
            std::ranges::transform(frame, twips.begin(),
                                   [](int pixels) { return std::to_string(pixels * 15); });
        }
        // X events reach the program in order, and it places a menu from where it knows its
        // window to be: a menu opened now shows at the window's top left once it has seen
        // every move and resize, so that closing now stores where the window is.
        const Desktop::Geometry client = desktop.geometry(window);
        desktop.keys(window, {"alt+f"});
        std::string menu;
        ASSERT_TRUE(eventually([&] { return !(menu = desktop.untitled(program->pid())).empty(); }));
        const Desktop::Geometry at = desktop.geometry(menu);
        const int dx = at[0] - client[0], dy = at[1] - client[1];
        EXPECT_TRUE(dx >= 0 && dx < 50 && dy >= 0 && dy < 50) << "menu at " << dx << ", " << dy;
        desktop.keys(window, {"Escape"});
        ASSERT_TRUE(eventually([&] { return desktop.untitled(program->pid()).empty(); }));
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
    // Types `name` into the GTK file dialog that `menu` opens and accepts it: the question
    // the dialog then asks, "" when it closed, nothing when it never answered.
    const auto choose = [&](const std::vector<std::string>& menu,
                            const std::string& name) -> std::optional<std::string> {
        desktop.keys(window, menu);
        const std::string dialog = windowNamed(kFileDialog);
        desktop.keys(dialog, {"ctrl+l", "ctrl+a"});  // a save dialog's name, an open one's place
        desktop.x({"xdotool", "type", "--delay", "40", (logs / name).string()});
        // GTK ignores a Return that comes within its 150 ms wait after the name changed, and
        // one that closes the list of completions: press until it answers. Presses sent to
        // the dialog alone (synthetic events, which GTK takes) do nothing while its question
        // is up, so none can answer the question.
        std::string question;
        const auto answered = [&] {
            question = desktop.untitled(program->pid());
            return !question.empty() || desktop.windows(kFileDialog).empty();
        };
        for (int press = 0; press < 10 && !dialog.empty(); ++press) {
            desktop.x({"xdotool", "key", "--window", dialog, "Return"});
            if (eventually(answered, 1s)) {
                return question;
            }
        }
        return std::nullopt;
    };
    const std::vector<std::string> saveGraph = {"alt+f", "Return"};

    EXPECT_EQ(choose(saveGraph, "capture.log"), "");  // a new name: no question
    EXPECT_TRUE(eventually([&] { return contentOf(logs / "capture.log") == readings; }));
    EXPECT_EQ(fs::status(logs / "capture.log").permissions(), fs::perms{0640});  // 0666 - umask

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
    EXPECT_EQ(fs::status(logs / "old.log").permissions(), fs::perms{0604});  // kept

    std::ofstream(logs / "other.log") << old;
    EXPECT_EQ(choose({"alt+f", "Down", "Return"}, "other.log"), "");  // Load Graph
    EXPECT_EQ(choose(saveGraph, "check.log"), "");
    EXPECT_TRUE(eventually([&] { return contentOf(logs / "check.log") == old; }));
    EXPECT_EQ(setting("Last Path"), logs.string() + "/");
}

}  // namespace
}  // namespace tremolex
