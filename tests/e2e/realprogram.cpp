#include "realprogram.h"

#include <filesystem>

#include "platform/posix/configdir.h"

namespace tremolex {

using namespace std::chrono_literals;

RealProgram::RealProgram(Desktop::Session session) : desktop(session) {
    std::filesystem::remove_all(userConfigDirectory());  // a first start every time
    mapAllPortsAway();
    mapPort(5, device.slavePath());
}

std::unique_ptr<Process> RealProgram::start() const {
    std::vector<std::string> env = desktop.env();
    env.push_back("QT_QPA_PLATFORM=xcb");
    env.push_back("LSAN_OPTIONS=suppressions=" TREMOLEX_LSAN_SUPPRESSIONS);
    return std::make_unique<Process>(std::vector<std::string>{TREMOLEX_BINARY}, env);
}

std::string RealProgram::windowNamed(const std::string& title, const std::string& other) const {
    std::string found;
    eventually(
        [&] {
            found = desktop.window(title);
            return !found.empty() && found != other;
        },
        20s);
    return found != other ? found : std::string();
}

bool RealProgram::answer(const std::string& title, const std::string& text,
                         const std::string& other) const {
    const std::string box = windowNamed(title, other);
    if (box.empty()) {
        return false;
    }
    desktop.focus(box);
    desktop.keys({"ctrl+a"});
    desktop.type(text);
    desktop.keys({"Return"});
    return true;
}

std::optional<std::string> RealProgram::chooseFile(const Process& program,
                                                   const std::string& path) const {
    const std::string dialog = windowNamed("Select Graph LOG File");
    if (dialog.empty()) {
        return std::nullopt;
    }
    desktop.focus(dialog);
    desktop.keys({"ctrl+l", "ctrl+a"});  // the name of a save dialog, the location of an open one
    desktop.type(path);
    // GTK ignores a Return that comes within its 150 ms wait after the name changed, and
    // one that closes the list of completions: press until it answers. Presses sent to the
    // dialog do nothing while its question is up, so none can answer the question.
    std::string question;
    for (int press = 0; press < 10; ++press) {
        desktop.keysTo(dialog, {"Return"});
        if (eventually(
                [&] {
                    question = desktop.untitled(program.pid());
                    return !question.empty() || desktop.window("Select Graph LOG File").empty();
                },
                1s)) {
            return question;
        }
    }
    return std::nullopt;
}

// X events reach the program in order, and it places a menu from where it knows its window
// to be: a menu opened now shows at the window's top left once it has seen every change.
bool RealProgram::seesItsPlace(const Process& program, const std::string& window) const {
    const Desktop::Geometry client = desktop.geometry(window);
    desktop.focus(window);
    desktop.keys({"alt+f"});
    std::string menu;
    eventually([&] { return !(menu = desktop.untitled(program.pid())).empty(); });
    const Desktop::Geometry at = desktop.geometry(menu);
    desktop.keys({"Escape"});
    return eventually([&] { return desktop.untitled(program.pid()).empty(); }) && !menu.empty() &&
           at.x >= client.x && at.x < client.x + 50 && at.y >= client.y && at.y < client.y + 50;
}

// Below the status row and right of the scale labels.
int RealProgram::curvePixels(const std::string& window) const {
    return pixelsOf(desktop.screenshot(window), kLightGreen, QRect(62, 110, 10000, 10000));
}

// In the row of status labels, right of the value and time.
int RealProgram::statusPixels(const std::string& window, QRgb colour) const {
    return pixelsOf(desktop.screenshot(window), colour, QRect(300, 0, 10000, 95));
}

// The store-full label spans the chart's width above it; left of the port status label
// only it can be light red.
bool RealProgram::storeFullShown(const std::string& window) const {
    return pixelsOf(desktop.screenshot(window), kLightRed, QRect(0, 0, 300, 130)) > 1000;
}

}  // namespace tremolex
