#include "realprogram.h"

#include <QImage>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/posix/configdir.h"

namespace tremolex {

using namespace std::chrono_literals;

Usage usage(pid_t pid) {
    const std::string proc = "/proc/" + std::to_string(pid);
    std::ifstream stat(proc + "/stat"), status(proc + "/status");
    std::string text;
    std::getline(stat, text);
    // Fields from the state on, after the name in parentheses (which may hold spaces).
    std::istringstream fields(text.substr(std::min(text.size(), text.rfind(')') + 1)));
    const std::vector<std::string> field{std::istream_iterator<std::string>(fields), {}};
    Usage usage;
    if (field.size() > 12) {  // utime and stime are the 14th and 15th fields
        usage.cpuSeconds = static_cast<double>(std::stoll(field[11]) + std::stoll(field[12])) /
                           static_cast<double>(::sysconf(_SC_CLK_TCK));
    }
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmHWM:")) {
            usage.peakKiB = std::stol(line.substr(6));
        }
    }
    return usage;
}

Desktop::Desktop(Session session) {
    // Xvfb picks a free display itself and names it. Its messages go nowhere: a pipe that
    // nobody reads would stop it once full.
    m_server = std::make_unique<ChildProcess>(std::vector<std::string>{
        "sh", "-c",
        "exec Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp -noreset 2>/dev/null"});
    m_display = ":" + m_server->readLine().value_or("");
    if (session == Session::Openbox) {
        // Quiet, as it reports a menu file Debian does not ship. Up once it names itself on
        // the root window: a program started before that would be placed by no one.
        m_windowManager = std::make_unique<ChildProcess>(std::vector<std::string>{
            "env", "DISPLAY=" + m_display, "sh", "-c", "exec openbox >/dev/null 2>&1"});
        eventually([&] {
            return x({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}).find("window id") !=
                   std::string::npos;
        });
    }
}

std::vector<std::string> Desktop::command(const std::string& program) const {
    std::vector<std::string> argv = {"env", "DISPLAY=" + m_display, "QT_QPA_PLATFORM=xcb",
                                     "LSAN_OPTIONS=suppressions=" TREMOLEX_LSAN_SUPPRESSIONS};
    if (m_windowManager) {
        // GTK keeps its dialogs' settings in memory rather than in the user's dconf
        // database, and looks for no accessibility bus.
        argv.insert(argv.end(),
                    {"QT_QPA_PLATFORMTHEME=gtk3", "GSETTINGS_BACKEND=memory", "NO_AT_BRIDGE=1"});
    } else {  // Qt would pick the GTK theme by itself under a GNOME session
        argv.insert(argv.end(),
                    {"QT_QPA_PLATFORMTHEME=", "XDG_CURRENT_DESKTOP=", "DESKTOP_SESSION="});
    }
    argv.push_back(program);
    return argv;
}

std::string Desktop::x(std::vector<std::string> args) const {
    // Windows come and go while the tools look at them: their complaints are expected.
    args.insert(args.begin(), {"env", "DISPLAY=" + m_display, "timeout", "10"});
    return ChildProcess(args).output();
}

std::vector<std::string> Desktop::windows(const std::string& title) const {
    std::istringstream ids(x({"xdotool", "search", "--onlyvisible", "--name", "^" + title + "$"}));
    return {std::istream_iterator<std::string>(ids), {}};
}

std::string Desktop::untitled(pid_t pid) const {
    std::istringstream ids(x({"xdotool", "search", "--all", "--onlyvisible", "--pid",
                              std::to_string(pid), "--name", "^$"}));
    std::string first;
    ids >> first;
    return first;
}

// xwininfo rather than xdotool, which counts a window manager's frame offset twice.
Desktop::Geometry Desktop::geometry(const std::string& window) const {
    const std::string text = x({"xwininfo", "-id", window});
    const auto value = [&](const std::string& name) {
        const auto at = text.find(name);
        return at == std::string::npos ? 0 : std::atoi(text.c_str() + at + name.size());
    };
    return {value("Absolute upper-left X:"), value("Absolute upper-left Y:"), value("Width:"),
            value("Height:")};
}

Desktop::Geometry Desktop::frame(const std::string& window) const {
    const Geometry g = geometry(window);
    int left = 0, right = 0, top = 0, bottom = 0;  // none without a window manager
    std::sscanf(x({"xprop", "-id", window, "_NET_FRAME_EXTENTS"}).c_str(),
                "_NET_FRAME_EXTENTS(CARDINAL) = %d, %d, %d, %d", &left, &right, &top, &bottom);
    return {g.x - left, g.y - top, g.width + left + right, g.height + top + bottom};
}

void Desktop::keys(const std::string& window, const std::vector<std::string>& keys) const {
    std::vector<std::string> args = {"xdotool", "windowfocus", "--sync", window,
                                     "key",     "--delay",     "80"};
    args.insert(args.end(), keys.begin(), keys.end());
    x(args);
}

void Desktop::enter(const std::string& window, const std::string& text) const {
    keys(window, {"ctrl+a"});
    x({"xdotool", "type", "--delay", "40", text});  // nothing can follow a typing in one call
    x({"xdotool", "key", "Return"});
}

int Desktop::pixels(const std::string& window, QRgb colour, const QRect& area) const {
    const std::string png = x({"import", "-window", "root", "png:-"});
    const Geometry g = geometry(window);
    const QImage shot =
        QImage::fromData(reinterpret_cast<const uchar*>(png.data()), static_cast<int>(png.size()))
            .copy(g.x, g.y, g.width, g.height)
            .convertToFormat(QImage::Format_RGB32);
    const QRect inside = area.intersected(shot.rect());
    int count = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            count += shot.pixel(x, y) == colour ? 1 : 0;
        }
    }
    return count;
}

RealProgram::RealProgram(Desktop::Session session) : desktop(session) {
    std::filesystem::remove_all(userConfigDirectory());  // a first start every time
    mapAllPortsAway();
    mapPort(5, device.slavePath());
}

std::unique_ptr<ChildProcess> RealProgram::start() const {
    return std::make_unique<ChildProcess>(desktop.command(TREMOLEX_BINARY), false);
}

std::string RealProgram::windowNamed(const std::string& title, const std::string& other) const {
    std::string found;
    eventually(
        [&] {
            std::vector<std::string> windows = desktop.windows(title);
            std::erase(windows, other);
            found = windows.empty() ? "" : windows.front();
            return !found.empty();
        },
        20s);
    return found;
}

std::optional<std::string> RealProgram::chooseFile(pid_t program, const std::string& path) const {
    const std::string dialog = windowNamed("Select Graph LOG File");
    // The name of a save dialog, the location of an open one.
    desktop.keys(dialog, {"ctrl+l", "ctrl+a"});
    desktop.x({"xdotool", "type", "--delay", "40", path});
    // GTK ignores a Return that comes within its 150 ms wait after the name changed, and
    // one that closes the list of completions: press until it answers. Presses sent to the
    // dialog alone (synthetic events, which GTK takes) do nothing while its question is up,
    // so none can answer the question.
    std::string question;
    for (int press = 0; press < 10 && !dialog.empty(); ++press) {
        desktop.x({"xdotool", "key", "--window", dialog, "Return"});
        if (eventually(
                [&] {
                    question = desktop.untitled(program);
                    return !question.empty() || desktop.windows("Select Graph LOG File").empty();
                },
                1s)) {
            return question;
        }
    }
    return std::nullopt;
}

// X events reach the program in order, and it places a menu from where it knows its window
// to be: a menu opened now shows at the window's top left once it has seen every change.
bool RealProgram::seesItsPlace(pid_t program, const std::string& window) const {
    const Desktop::Geometry client = desktop.geometry(window);
    desktop.keys(window, {"alt+f"});
    std::string menu;
    eventually([&] { return !(menu = desktop.untitled(program)).empty(); });
    const Desktop::Geometry at = desktop.geometry(menu);
    desktop.keys(window, {"Escape"});
    return eventually([&] { return desktop.untitled(program).empty(); }) && !menu.empty() &&
           at.x >= client.x && at.x < client.x + 50 && at.y >= client.y && at.y < client.y + 50;
}

// Below the status row and right of the scale labels.
int RealProgram::curvePixels(const std::string& window) const {
    return desktop.pixels(window, kLightGreen, QRect(62, 110, 10000, 10000));
}

// In the row of status labels, right of the value and time.
int RealProgram::statusPixels(const std::string& window, QRgb colour) const {
    return desktop.pixels(window, colour, QRect(300, 0, 10000, 95));
}

// The store-full label spans the chart's width above it; left of the port status label
// only it can be light red.
bool RealProgram::storeFullShown(const std::string& window) const {
    return desktop.pixels(window, kLightRed, QRect(0, 0, 300, 130)) > 1000;
}

}  // namespace tremolex
