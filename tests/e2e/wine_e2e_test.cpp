#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <map>
#include <regex>
#include <set>

#include "realprogram.h"
#include "scenarios.h"
#include "support/files.h"

namespace tremolex {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string kTitle = "Bramwick Tremolex", kFileDialog = "Select Graph LOG File";
const fs::path kProgram = TREMOLEX_WINDOWS_PROGRAM;

struct Shown {                // a window as the window texts tool lists it
    std::string owner, kind;  // the title of its top-level window; its class
    QRect rect;               // on the screen
    std::string text;
};

// The Windows program under Wine in a prefix of its own (wineprefix.sh), on an X server with
// a window manager and a pseudo-terminal on COM2 as its device. X windows are outer frames.
struct WineProgram : RealProgram {
    static constexpr const char* kNoModes = "Windows files have no Unix modes";

    WineProgram() : RealProgram(Desktop::Session::Openbox) {}
    void prepare() {
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
    ~WineProgram() {
        ChildProcess({fs::path(TREMOLEX_WINE).replace_filename("wineserver"), "-k"}).wait();
        fs::remove_all(m_prefix);
    }

    std::unique_ptr<ChildProcess> start() const { return wine({kProgram}); }
    void replug() {
        device.reopen();
        linkDevice();
    }
    std::string port() const { return "2"; }
    // In the prefix's Documents, which Wine may link to the one in home.
    fs::path recordings() const {
        const fs::path home = fs::path(std::getenv("HOME")) / "Documents" / "Tremolex recordings";
        std::error_code error;
        for (const auto& user : fs::directory_iterator(m_prefix / "drive_c" / "users", error)) {
            const fs::path folder = user.path() / "Documents" / "Tremolex recordings";
            if (fs::is_directory(folder)) {
                return folder;
            }
        }
        return home;
    }
    // In lower case.
    std::string folder() const { return path(kProgram.parent_path().string() + "/"); }
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
        const Desktop::Geometry frame = desktop.frame(windowNamed(kTitle));
        return desktop.pixels(windowNamed(kTitle), colour, area.translated(-frame[0], -frame[1]));
    }
    // The port status label shows its caption on its colour, which fills most of it.
    bool portShows(bool ready) const {
        const auto label = shown(kTitle, "Static", "Serial port");
        const QRgb colour = ready ? kLightGreen : kLightRed;
        return label.size() == 1 &&
               label[0].text == (ready ? "Serial port 2 ready" : "Serial port 2 error!") &&
               pixels(colour, label[0].rect) * 2 > label[0].rect.width() * label[0].rect.height();
    }
    QRect chart() const {
        const auto surface = shown(kTitle, "TremolexSurface");
        return surface.empty() ? QRect() : surface[0].rect;
    }
    // Where the chart puts points `from` to `to` (not included) of `count` each, give or take
    // two pixels, in the first voltage window (1.0 to 1.6 V, and 0.05 V more on each side):
    // across from -1 to 1002, a point every 5 up to 200 points, and down from 1000 to -3.
    std::optional<QRect> band(int from, int to, int count) const {
        const QRect area = chart();
        const double height = 1000 / 0.7 * (count * 2.5 / 1023 - 1.0 + 0.05);
        const int y = area.y() + static_cast<int>((1000 - height) * area.height() / 1003);
        const auto x = [&](int i) { return area.x() + (i * 5 + 1) * area.width() / 1003; };
        return QRect(QPoint(x(from), y), QPoint(x(to - 1), y)).adjusted(-2, -2, 2, 2);
    }

    std::optional<std::set<std::string>> labels(const std::string& start) const {
        std::set<std::string> texts;
        for (const Shown& label : shown(kTitle, "Static", start)) {
            texts.insert(label.text);
        }
        return texts;
    }
    std::string message(const std::string& text, const std::string& other) const {
        return eventually([&] { return !shown("Tremolex", "Static", text).empty(); })
                   ? windowNamed("Tremolex", other)
                   : "";
    }
    // As the program sees its window, and as it shows.
    bool placeSeen(const ChildProcess&, const std::string& window) const {
        const Desktop::Geometry at = desktop.frame(window);
        const auto seen = shown(kTitle, "", kTitle);
        return !seen.empty() && seen[0].rect == QRect(at[0], at[1], at[2], at[3]);
    }
    // The Windows program does not answer WM_QUERYENDSESSION/WM_ENDSESSION: ending the
    // session would lose its window's place.
    bool endSession(const ChildProcess&) const { return false; }
    // The Windows name of `name` on drive z:, with backslashes and in lower case, as the
    // program keeps its own folder.
    static std::string path(const std::string& file) {
        std::string name = "z:" + file;
        std::ranges::transform(name, name.begin(), [](char c) {
            return c == '/' ? '\\' : static_cast<char>(std::tolower(c));
        });
        return name;
    }
    // Wine's question has the dialog's title; another would only take longer to see. It has
    // a "&Yes" button, and the focus.
    std::optional<std::string> choose(const ChildProcess&, const std::string& window,
                                      const std::vector<std::string>& menu,
                                      const std::string& name) const {
        desktop.keys(window, menu);
        desktop.enter(windowNamed(kFileDialog), path(name));
        eventually([&] { return desktop.windows(kFileDialog).size() != 1; });
        return shown("", "Button", "&Yes").empty() ? "" : "question";
    }
    void answer(const ChildProcess&, const std::string&, bool replace) const {
        desktop.x({"xdotool", "key", replace ? "y" : "n"});
        if (!replace) {  // back in the dialog
            EXPECT_TRUE(eventually([&] { return shown("", "Button", "&Yes").empty(); }));
            desktop.keys(windowNamed(kFileDialog), {"Escape"});
        }
    }

    const fs::path m_prefix = fs::path(std::getenv("HOME")) / "wineprefix";
};

INSTANTIATE_TYPED_TEST_SUITE_P(Wine, Scenario, WineProgram);

}  // namespace
}  // namespace tremolex
