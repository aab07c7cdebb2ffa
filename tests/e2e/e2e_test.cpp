#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "desktop.h"
#include "platform/posix/configdir.h"
#include "platform/posix/inifilekeystore.h"
#include "settings/module1.h"
#include "support/files.h"
#include "support/pseudoterminal.h"

namespace tremolex {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr QRgb kLightGreen = qRgb(192, 255, 192);  // curve points, port ready
constexpr QRgb kLightRed = qRgb(255, 192, 192);    // port error

int pixelsOf(const QImage& image, QRgb colour, int fromRow, int toRow, int fromColumn) {
    int count = 0;
    for (int y = std::max(0, fromRow); y < std::min(toRow, image.height()); ++y) {
        for (int x = fromColumn; x < image.width(); ++x) {
            count += image.pixel(x, y) == colour ? 1 : 0;
        }
    }
    return count;
}

// The real program on a real X server, driven with keys as a person would, with a
// pseudo-terminal on port 5 as the device; everything in the test's own folders.
class EndToEnd : public testing::Test {
protected:
    EndToEnd() {
        fs::remove_all(userConfigDirectory());  // a first start, also when run one after another
        mapAllPortsAway();
        mapPort(5, device.slavePath());
    }

    std::unique_ptr<Process> start() {
        std::vector<std::string> env = desktop.env();
        env.push_back("QT_QPA_PLATFORM=xcb");
        env.push_back("LSAN_OPTIONS=suppressions=" TREMOLEX_LSAN_SUPPRESSIONS);
        return std::make_unique<Process>(std::vector<std::string>{TREMOLEX_BINARY}, env);
    }
    std::string windowNamed(const std::string& title, const std::string& other = {}) {
        std::string found;
        eventually(
            [&] {
                found = desktop.window(title);
                return !found.empty() && found != other;
            },
            20s);
        return found;
    }
    static std::string setting(const char* name) {
        IniFileKeyStore keys(settingsFilePath());
        return Module1(keys).regread(name, "<none>");
    }
    // The chart's points, below the status row and right of the scale labels.
    int curvePixels(const std::string& window) {
        return pixelsOf(desktop.screenshot(window), kLightGreen, 110, 10000, 62);
    }
    // The port status label's colour, in the row of status labels.
    int statusPixels(const std::string& window, QRgb colour) {
        return pixelsOf(desktop.screenshot(window), colour, 0, 95, 300);
    }
    // Opens a menu with its Alt key and picks its n-th entry.
    void menu(const std::string& window, const std::string& altKey, int entry) {
        desktop.focus(window);
        desktop.keys({altKey});
        std::vector<std::string> keys(static_cast<std::size_t>(entry - 1), "Down");
        keys.push_back("Return");
        desktop.keys(keys);
    }
    // Answers the dialog called `title` with `text`.
    void answer(const std::string& title, const std::string& text, const std::string& other = {}) {
        const std::string box = windowNamed(title, other);
        ASSERT_FALSE(box.empty()) << "no dialog " << title;
        desktop.focus(box);
        desktop.keys({"ctrl+a"});
        desktop.type(text);
        desktop.keys({"Return"});
    }

    Desktop desktop;
    PseudoTerminal device;
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
    menu(window, "alt+o", 4);
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
        menu(window, "alt+o", 3);
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

    menu(window, "alt+f", 1);
    answer("Select Graph LOG File", (home / "capture.log").string());
    EXPECT_TRUE(
        eventually([&] { return contentOf(home / "capture.log") == "512\r\n600\r\n700\r\n"; }));

    std::ofstream(home / "other.log") << "100\r\n200\r\n";
    EXPECT_TRUE(eventually([&] { return desktop.window("Select Graph LOG File").empty(); }));
    menu(window, "alt+f", 2);
    answer("Select Graph LOG File", (home / "other.log").string());
    EXPECT_TRUE(eventually([&] { return desktop.window("Select Graph LOG File").empty(); }));
    menu(window, "alt+f", 1);
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
