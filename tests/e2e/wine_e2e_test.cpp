#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <map>
#include <regex>
#include <set>

#include "realprogram.h"
#include "support/files.h"

namespace tremolex {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string kTitle = "Bramwick Tremolex", kFileDialog = "Select Graph LOG File";
const fs::path kProgram = TREMOLEX_WINDOWS_PROGRAM;
constexpr QRgb kReady = RealProgram::kLightGreen, kError = RealProgram::kLightRed;

// `path` with backslashes and in lower case, as the program keeps its own folder.
std::string windowsPath(std::string path) {
    std::ranges::transform(path, path.begin(), [](char c) {
        return c == '/' ? '\\' : static_cast<char>(std::tolower(c));
    });
    return path;
}

struct Shown {                // a window as the window texts tool lists it
    std::string owner, kind;  // the title of its top-level window; its class
    QRect rect;               // on the screen
    std::string text;
};

// The Windows program under Wine in a prefix of its own (wineprefix.sh), on an X server with
// a window manager and a pseudo-terminal on COM2 as its device. X windows are outer frames.
class WineEndToEnd : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(kProgram)) << kProgram << " missing: build the windows preset first";
        ASSERT_TRUE(fs::exists(TREMOLEX_WINDOW_TEXTS)) << "no MinGW-w64 to build it with";
        // No offers to install Mono or Gecko; the C locale's decimal point.
        const std::map<std::string, std::string> environment = {
            {"WINEPREFIX", m_prefix},         {"WINEDEBUG", "-all"},
            {"TREMOLEX_WINE", TREMOLEX_WINE}, {"WINEDLLOVERRIDES", "mscoree,mshtml="},
            {"DISPLAY", desktop.display()},   {"LC_ALL", "C.UTF-8"}};
        for (const auto& [name, value] : environment) {
            setenv(name.c_str(), value.c_str(), 1);
        }
        const std::vector<std::string> make = {TREMOLEX_WINE_PREFIX, TREMOLEX_WINE_TEMPLATE,
                                               m_prefix, std::getenv("HOME")};
        ASSERT_EQ(ChildProcess(make, false).wait(120s), 0) << "no Wine prefix";
        linkDevice();
    }
    ~WineEndToEnd() override {
        ChildProcess({fs::path(TREMOLEX_WINE).replace_filename("wineserver"), "-k"}).wait();
        fs::remove_all(m_prefix);
    }

    void linkDevice() const {
        fs::remove(m_prefix / "com2");
        fs::create_symlink(device.slavePath(), m_prefix / "com2");
    }
    // Runs a Windows program. Its output goes to `out`: programs that Wine starts for the
    // prefix inherit it and outlive it, so a pipe would stay open.
    static std::unique_ptr<ChildProcess> wine(std::vector<std::string> args,
                                              const std::string& out = "/dev/null") {
        args.insert(args.begin(),
                    {"sh", "-c", "exec \"$@\" >\"$0\" 2>/dev/null", out, TREMOLEX_WINE});
        return std::make_unique<ChildProcess>(args, false);
    }
    std::string output(const std::vector<std::string>& args) const {
        wine(args, m_prefix / "output")->wait(20s);
        return contentOf(m_prefix / "output");
    }
    // The X window with this title, waited for; "" when none came.
    std::string named(const std::string& title) const {
        std::vector<std::string> found;
        eventually([&] { return !(found = desktop.windows(title)).empty(); }, 20s);
        return found.empty() ? "" : found.front();
    }
    // The program's settings, from lines "    Name    REG_SZ    Value" of `reg query`.
    std::map<std::string, std::string> settings() const {
        const std::string text = output({"reg", "query", "HKCU\\Software\\Bramwick Tremolex"});
        std::map<std::string, std::string> values;
        const std::regex value("    (.+)    REG_SZ    (.*)\r");
        for (std::sregex_iterator it(text.begin(), text.end(), value), end; it != end; ++it) {
            values[(*it)[1]] = (*it)[2];
        }
        return values;
    }
    // The windows shown of this owner and kind ("" for any) whose text begins with `start`.
    std::vector<Shown> shown(const std::string& owner, const std::string& kind,
                             const std::string& start = "") const {
        const std::string text = output({TREMOLEX_WINDOW_TEXTS});
        std::vector<Shown> found;
        const std::regex line("([^\t\r\n]*)\t(.*)\t(-?\\d+)\t(-?\\d+)\t(\\d+)\t(\\d+)\t(.*)\r");
        for (std::sregex_iterator it(text.begin(), text.end(), line), end; it != end; ++it) {
            const std::smatch& f = *it;
            if ((owner.empty() || f[1] == owner) && (kind.empty() || f[2] == kind) &&
                f[7].str().starts_with(start)) {
                const auto n = [&](int i) { return std::stoi(f[i]); };
                found.push_back({f[1], f[2], QRect(n(3), n(4), n(5), n(6)), f[7]});
            }
        }
        return found;
    }
    // Pixels of `colour` in `area` of the screen, inside the main window.
    int pixels(QRgb colour, const QRect& area) const {
        const Desktop::Geometry frame = desktop.frame(named(kTitle));
        return desktop.pixels(named(kTitle), colour, area.translated(-frame[0], -frame[1]));
    }
    // The port status label shows `caption` on its colour, which fills most of it.
    bool status(const std::string& caption, QRgb colour) const {
        const auto label = shown(kTitle, "Static", "Serial port");
        return label.size() == 1 && label[0].text == caption &&
               pixels(colour, label[0].rect) * 2 > label[0].rect.width() * label[0].rect.height();
    }
    QRect chart() const {
        const auto surface = shown(kTitle, "TremolexSurface");
        return surface.empty() ? QRect() : surface[0].rect;
    }
    // Where the chart puts points `from` to `to` (not included) of `count` each, give or take
    // two pixels, in the first voltage window (1.0 to 1.6 V, and 0.05 V more on each side):
    // across from -1 to 1002, a point every 5 up to 200 points, and down from 1000 to -3.
    QRect band(int from, int to, int count) const {
        const QRect area = chart();
        const double height = 1000 / 0.7 * (count * 2.5 / 1023 - 1.0 + 0.05);
        const int y = area.y() + static_cast<int>((1000 - height) * area.height() / 1003);
        const auto x = [&](int i) { return area.x() + (i * 5 + 1) * area.width() / 1003; };
        return QRect(QPoint(x(from), y), QPoint(x(to - 1), y)).adjusted(-2, -2, 2, 2);
    }

    Desktop desktop{Desktop::Session::Openbox};
    PseudoTerminal device;
    const fs::path m_prefix = fs::path(std::getenv("HOME")) / "wineprefix";
};

TEST_F(WineEndToEnd, FirstStartDrawsReadingsRunsOnceAndPicksTheDeviceUpAgain) {
    const auto program = wine({kProgram});
    const std::string window = named(kTitle);
    // 4000, 3000, 8000 and 8000 twips
    EXPECT_EQ(desktop.frame(window), (Desktop::Geometry{267, 200, 533, 533}));
    EXPECT_TRUE(eventually([&] { return status("Serial port 2 ready", kReady); }));
    const std::string folder = windowsPath("z:" + kProgram.parent_path().string() + "/");
    const std::map<std::string, std::string> defaults = {
        {"Last Path", folder},       {"Range", "0.6"},
        {"Serial Port Number", "2"}, {"Serial Port Baud Rate", "19200"},
        {"Window Left", "4000"},     {"Window Top", "3000"},
        {"Window Width", "8000"},    {"Window Height", "8000"}};
    EXPECT_EQ(settings(), defaults);  // the program's folder is in lower case

    const auto send = [&](int count) {  // 30 readings
        for (int i = 0; i < 30; ++i) {
            device.write(std::to_string(count) + "\n");
        }
    };
    EXPECT_EQ(pixels(kReady, chart()), 0);
    send(512);
    const QRect first = band(0, 30, 512);
    EXPECT_TRUE(eventually([&] { return pixels(kReady, first) >= 30; }, 2s));
    EXPECT_EQ(pixels(kReady, chart()), pixels(kReady, first));  // and nowhere else

    EXPECT_EQ(wine({kProgram})->wait(20s), 0);  // a second copy ends at once, without a window
    EXPECT_EQ(desktop.windows(kTitle).size(), 1u);

    device.hangUp();
    EXPECT_TRUE(eventually([&] { return status("Serial port 2 error!", kError); }));
    device.reopen();
    linkDevice();
    EXPECT_TRUE(eventually([&] { return status("Serial port 2 ready", kReady); }));
    send(600);
    const QRect second = band(30, 60, 600);
    EXPECT_TRUE(eventually([&] { return pixels(kReady, second) >= 30; }, 2s));
    EXPECT_EQ(pixels(kReady, chart()), pixels(kReady, first) + pixels(kReady, second));
}

TEST_F(WineEndToEnd, RangeAndPortDialogsThenARestartKeepsThePlaceAndTheRange) {
    auto program = wine({kProgram});
    const std::string window = named(kTitle);
    ASSERT_TRUE(eventually([&] { return status("Serial port 2 ready", kReady); }));
    desktop.keys(window, {"alt+o", "Down", "Down", "Return"});  // Change Voltage Range
    desktop.enter(named("Tremolex"), "0.3");
    EXPECT_TRUE(eventually([&] { return settings()["Range"] == ".3"; }));
    desktop.keys(window, {"alt+o", "Down", "Down", "Down", "Return"});  // Change Serial Port ...
    desktop.enter(named("Tremolex"), "13");
    ASSERT_TRUE(eventually([&] { return !shown("Tremolex", "Static", "Wrong entry!").empty(); }));
    desktop.keys(named("Tremolex"), {"Return"});
    EXPECT_TRUE(eventually([&] { return desktop.windows("Tremolex").empty(); }));
    EXPECT_EQ(settings()["Serial Port Number"], "2");
    EXPECT_TRUE(eventually([&] { return status("Serial port 2 ready", kReady); }));

    desktop.x({"xdotool", "windowmove", "--sync", window, "150", "120", "windowsize", "--sync",
               window, "700", "560"});
    const auto placed = [&] {  // as the program sees its window, and as it shows
        const auto seen = shown(kTitle, "", kTitle);
        return !seen.empty() && seen[0].rect == QRect(150, 120, 700, 560) &&
               desktop.frame(named(kTitle)) == Desktop::Geometry{150, 120, 700, 560};
    };
    ASSERT_TRUE(eventually(placed));
    desktop.keys(window, {"alt+F4"});  // the window's close, through the window manager
    ASSERT_EQ(program->wait(), 0);
    auto stored = settings();
    EXPECT_EQ((std::vector{stored["Window Left"], stored["Window Top"], stored["Window Width"],
                           stored["Window Height"], stored["Range"]}),
              (std::vector<std::string>{"2250", "1800", "10500", "8400", ".3"}));

    program = wine({kProgram});
    EXPECT_TRUE(eventually(placed, 20s));
    std::set<std::string> scale;
    for (const Shown& label : shown(kTitle, "Static", "1.")) {
        scale.insert(label.text);
    }
    EXPECT_EQ(scale, (std::set<std::string>{"1.30V", "1.35V", "1.40V", "1.45V", "1.50V", "1.55V",
                                            "1.60V"}));
}

// The common file dialogs: Save asks before it replaces a file, Load opens one without asking.
TEST_F(WineEndToEnd, SavedGraphReplacesOnlyWhenToldAndLoadsBack) {
    const auto program = wine({kProgram});
    const std::string window = named(kTitle);
    const fs::path logs = fs::path(std::getenv("HOME")) / "logs";
    fs::create_directories(logs);
    ASSERT_TRUE(eventually([&] { return status("Serial port 2 ready", kReady); }));
    device.write("512\n600\n700\n");
    ASSERT_TRUE(eventually([&] { return pixels(kReady, chart()) >= 3; }));
    const std::string readings = "512\r\n600\r\n700\r\n", old = "100\r\n200\r\n";
    // Enters `name` in the file dialog, which `menu` opens unless it is open: whether a
    // question came then (with a "&Yes" button, and the focus) rather than the dialog closing.
    const auto choose = [&](const std::vector<std::string>& menu, const std::string& name) {
        if (!menu.empty()) {
            desktop.keys(window, menu);
        }
        desktop.enter(named(kFileDialog), windowsPath("z:" + (logs / name).string()));
        // Wine's question has the dialog's title; another would only take longer to see.
        eventually([&] { return desktop.windows(kFileDialog).size() != 1; });
        return !shown("", "Button", "&Yes").empty();
    };
    const std::vector<std::string> saveGraph = {"alt+f", "Return"};

    EXPECT_FALSE(choose(saveGraph, "capture.log"));  // a new name: no question
    EXPECT_TRUE(eventually([&] { return contentOf(logs / "capture.log") == readings; }));
    std::ofstream(logs / "old.log") << old;
    ASSERT_TRUE(choose(saveGraph, "old.log")) << "no question before replacing old.log";
    desktop.x({"xdotool", "key", "n"});  // No, to the question: back in the dialog
    ASSERT_TRUE(eventually([&] { return shown("", "Button", "&Yes").empty(); }));
    EXPECT_EQ(contentOf(logs / "old.log"), old);
    ASSERT_TRUE(choose({}, "old.log")) << "no question before replacing old.log";
    desktop.x({"xdotool", "key", "y"});
    EXPECT_TRUE(eventually([&] { return contentOf(logs / "old.log") == readings; }));

    std::ofstream(logs / "other.log") << old;
    EXPECT_FALSE(choose({"alt+f", "Down", "Return"}, "other.log"));  // Load Graph
    EXPECT_FALSE(choose(saveGraph, "check.log"));
    EXPECT_TRUE(eventually([&] { return contentOf(logs / "check.log") == old; }));
    EXPECT_EQ(settings()["Last Path"], windowsPath("z:" + logs.string() + "/"));
}

}  // namespace
}  // namespace tremolex
