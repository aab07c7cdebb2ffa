#include "realprogram.h"

#include <QImage>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <sstream>

#include "platform/posix/configdir.h"
#include "support/files.h"

namespace tremolex {

using namespace std::chrono_literals;

Usage usage(pid_t pid) {
    const std::string proc = "/proc/" + std::to_string(pid), stat = contentOf(proc + "/stat"),
                      status = contentOf(proc + "/status");
    // utime and stime, the 14th and 15th fields: the 12th and 13th after the name in
    // parentheses (which may hold spaces).
    unsigned long long user = 0, system = 0;
    std::sscanf(stat.c_str() + std::min(stat.size(), stat.rfind(')') + 1),
                " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &user, &system);
    const auto peak = status.find("VmHWM:");  // peak resident memory
    return {static_cast<double>(user + system) / static_cast<double>(::sysconf(_SC_CLK_TCK)),
            peak == std::string::npos ? 0 : std::atol(status.c_str() + peak + 6)};
}

Desktop::Desktop(Session session) {
    // Xvfb picks a free display itself and names it. Its messages go nowhere: a pipe that
    // nobody reads would stop it once full.
    m_server = std::make_unique<ChildProcess>(std::vector<std::string>{
        "sh", "-c",
        "exec Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp -noreset 2>/dev/null"});
    // Built and then moved in: g++ 12 at -O3 warns falsely about copying into the member.
    m_display = std::string(":").append(m_server->readLine().value_or(""));
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
    const std::string ids = x({"xdotool", "search", "--all", "--onlyvisible", "--pid",
                               std::to_string(pid), "--name", "^$"});
    return ids.substr(0, ids.find('\n'));
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
    return {g[0] - left, g[1] - top, g[2] + left + right, g[3] + top + bottom};
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

void Desktop::pointer(const QPoint& at, std::vector<std::string> then) const {
    then.insert(then.begin(),
                {"xdotool", "mousemove", "--sync", std::to_string(at.x()), std::to_string(at.y())});
    x(then);
}

int Desktop::pixels(const std::string& window, QRgb colour, const QRect& area) const {
    const std::string png = x({"import", "-window", "root", "png:-"});
    const Geometry g = geometry(window);
    // Parts off the screen copy as black, which no colour looked for is.
    const QImage shot =
        QImage::fromData(reinterpret_cast<const uchar*>(png.data()), static_cast<int>(png.size()))
            .copy(QRect(g[0], g[1], g[2], g[3]) & area.translated(g[0], g[1]))
            .convertToFormat(QImage::Format_RGB32);
    const auto* bits = reinterpret_cast<const QRgb*>(shot.constBits());
    return static_cast<int>(std::count(bits, bits + shot.sizeInBytes() / 4, colour));
}

RealProgram::RealProgram(Desktop::Session session) : desktop(session) {
    std::filesystem::remove_all(userConfigDirectory());  // a first start every time
    mapAllPortsAway();
    mapPort(5, device.slavePath());
}

std::string RealProgram::windowNamed(const std::string& title, const std::string& other) const {
    std::string found;
    eventually(
        [&] {
            std::vector<std::string> windows = desktop.windows(title);
            std::erase(windows, other);
            return !(found = windows.empty() ? "" : windows.front()).empty();
        },
        20s);
    return found;
}

}  // namespace tremolex
