#include <gtest/gtest.h>
#include <signal.h>

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
    static std::string setting(const char* name) {
        IniFileKeyStore keys(settingsFilePath());
        return Module1(keys).regread(name, "<none>");
    }
    void answer(const std::string& title, const std::string& text, const std::string& other = {}) {
        ASSERT_TRUE(RealProgram::answer(title, text, other)) << "no dialog " << title;
    }

    fs::path home = std::getenv("HOME");
};

TEST_F(EndToEnd, FirstStartFindsTheDeviceAndDrawsItsCurve) {
    const auto program = start();
    const std::string window = windowNamed("Bramwick Tremolex");
    ASSERT_FALSE(window.empty());
    const Desktop::Geometry g = desktop.geometry(window);
    EXPECT_EQ(std::vector<int>({g.x, g.y, g.width, g.height}),
              std::vector<int>({267, 200, 533, 533}));  // 4000, 3000, 8000, 8000 twips
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
        program->signal(SIGTERM);  // as when the session ends
        EXPECT_EQ(program->wait(10s), 0);
    }
    EXPECT_EQ(setting("Window Left"), "2250");
    EXPECT_EQ(setting("Window Top"), "1800");
    const auto program = start();
    const std::string window = windowNamed("Bramwick Tremolex");
    const Desktop::Geometry g = desktop.geometry(window);
    EXPECT_EQ(std::vector<int>({g.x, g.y}), std::vector<int>({150, 120}));
    EXPECT_EQ(setting("Range"), ".3");
}

TEST_F(EndToEnd, SavedGraphLoadsBack) {
    const auto program = start();
    const std::string window = windowNamed("Bramwick Tremolex");
    ASSERT_TRUE(eventually([&] { return statusPixels(window, kLightGreen) > 500; }));
    device.write("512\n600\n700\n");
    ASSERT_TRUE(eventually([&] { return curvePixels(window) >= 3; }, 3s));

    desktop.menu(window, "alt+f", 1);
    answer("Select Graph LOG File", (home / "capture.log").string());
    EXPECT_TRUE(
        eventually([&] { return contentOf(home / "capture.log") == "512\r\n600\r\n700\r\n"; }));

    std::ofstream(home / "other.log") << "100\r\n200\r\n";
    EXPECT_TRUE(eventually([&] { return desktop.window("Select Graph LOG File").empty(); }));
    desktop.menu(window, "alt+f", 2);
    answer("Select Graph LOG File", (home / "other.log").string());
    EXPECT_TRUE(eventually([&] { return desktop.window("Select Graph LOG File").empty(); }));
    desktop.menu(window, "alt+f", 1);
    answer("Select Graph LOG File", (home / "check.log").string());
    EXPECT_TRUE(eventually([&] { return contentOf(home / "check.log") == "100\r\n200\r\n"; }));
    EXPECT_EQ(setting("Last Path"), home.string() + "/");
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

}  // namespace
}  // namespace tremolex
