#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "platform/posix/configdir.h"
#include "realprogram.h"
#include "scenarios.h"
#include "support/files.h"

namespace tremolex {
namespace {

namespace fs = std::filesystem;

// The Linux program as users run it: under a window manager, with the desktop's theme and
// GTK's file dialogs; port 5 is the device, everything in the test's own folders.
struct LinuxProgram : RealProgram {
    static constexpr const char* kNoModes = nullptr;

    LinuxProgram() : RealProgram(Desktop::Session::Openbox) {}
    void prepare() {}
    void replug() {
        device.reopen();
        mapPort(5, device.slavePath());
    }
    std::string port() const { return "5"; }
    fs::path recordings() const {
        return fs::path(std::getenv("HOME")) / "Documents" / "Tremolex recordings";
    }
    // The settings file's "Name=Value" lines but its comments; the program writes nothing
    // it would escape.
    std::map<std::string, std::string> settings() const {
        std::map<std::string, std::string> values;
        std::istringstream text(contentOf(settingsFilePath()));
        for (std::string line; std::getline(text, line);) {
            if (const auto equals = line.find('='); equals != std::string::npos && line[0] != ';') {
                values[line.substr(0, equals)] = line.substr(equals + 1);
            }
        }
        return values;
    }
    std::string folder() const { return fs::path(TREMOLEX_BINARY).parent_path().string() + "/"; }
    // The status label, in the row right of the value and time, filled with its colour.
    bool portShows(bool ready) const {
        return statusPixels(windowNamed("Bramwick Tremolex"), ready ? kLightGreen : kLightRed) >
               500;
    }
    // Qt's widgets are no X windows: the chart lies below the status row and right of the
    // scale labels, and where a reading goes there cannot be known from outside.
    QRect chart() const {
        const Desktop::Geometry g = desktop.geometry(windowNamed("Bramwick Tremolex"));
        return QRect(g[0] + 62, g[1] + 110, g[2] - 62, g[3] - 110);
    }
    std::optional<QRect> band(int, int, int) const { return std::nullopt; }
    std::optional<std::set<std::string>> labels(const char*) const { return std::nullopt; }
    // Qt's message boxes are drawn by Qt: their text cannot be read from outside.
    std::string message(const std::string&, const std::string& other) const {
        return windowNamed("Tremolex", other);
    }
    // X events reach the program in order, and it places a menu from where it knows its
    // window to be: a menu opened now shows at the window's top left once it has seen every
    // move and resize.
    bool placeSeen(const ChildProcess& program, const std::string& window) const {
        const Desktop::Geometry client = desktop.geometry(window);
        desktop.keys(window, {"alt+f"});
        std::string menu;
        if (!eventually([&] { return !(menu = desktop.untitled(program.pid())).empty(); })) {
            return false;
        }
        const Desktop::Geometry at = desktop.geometry(menu);
        const int dx = at[0] - client[0], dy = at[1] - client[1];
        desktop.keys(window, {"Escape"});
        return eventually([&] { return desktop.untitled(program.pid()).empty(); }) && dx >= 0 &&
               dx < 50 && dy >= 0 && dy < 50;
    }
    bool endSession(const ChildProcess& program) const {
        program.signal(SIGTERM);
        return true;
    }
    std::string path(const std::string& name) const { return name; }
    std::optional<std::string> choose(const ChildProcess& program, const std::string& window,
                                      const std::vector<std::string>& menu,
                                      const std::string& name) const {
        desktop.keys(window, menu);
        const std::string dialog = windowNamed("Select Graph LOG File");
        desktop.keys(dialog, {"ctrl+l", "ctrl+a"});  // a save dialog's name, an open one's place
        desktop.x({"xdotool", "type", "--delay", "40", name});
        // GTK ignores a Return that comes within its 150 ms wait after the name changed, and
        // one that closes the list of completions: press until it answers. Presses sent to
        // the dialog alone (synthetic events, which GTK takes) do nothing while its question
        // is up, so none can answer the question.
        std::string question;
        const auto answered = [&] {
            question = desktop.untitled(program.pid());
            return !question.empty() || desktop.windows("Select Graph LOG File").empty();
        };
        for (int press = 0; press < 10 && !dialog.empty(); ++press) {
            desktop.x({"xdotool", "key", "--window", dialog, "Return"});
            if (eventually(answered, 1s)) {
                return question;
            }
        }
        return std::nullopt;
    }
    void answer(const ChildProcess& program, const std::string& question, bool replace) const {
        desktop.keys(question, {replace ? "alt+r" : "Escape"});
        if (!replace) {  // back in the dialog
            EXPECT_TRUE(eventually([&] { return desktop.untitled(program.pid()).empty(); }));
            desktop.keys(windowNamed("Select Graph LOG File"), {"Escape"});
        }
    }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Linux, Scenario, LinuxProgram);

}  // namespace
}  // namespace tremolex
