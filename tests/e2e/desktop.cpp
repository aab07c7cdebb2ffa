#include "desktop.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <thread>

extern char** environ;

namespace tremolex {

namespace {

// The environment of this process with `changes` ("NAME=value") applied.
std::vector<std::string> environmentWith(const std::vector<std::string>& changes) {
    std::map<std::string, std::string> vars;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        vars[text.substr(0, text.find('='))] = text;
    }
    for (const std::string& change : changes) {
        vars[change.substr(0, change.find('='))] = change;
    }
    std::vector<std::string> env;
    for (const auto& [name, text] : vars) {
        env.push_back(text);
    }
    return env;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
    std::vector<char*> result;
    for (std::string& text : texts) {
        result.push_back(text.data());
    }
    result.push_back(nullptr);
    return result;
}

pid_t spawn(std::vector<std::string> argv, const std::vector<std::string>& changes,
            const posix_spawn_file_actions_t* actions) {
    std::vector<std::string> env = environmentWith(changes);
    const std::vector<char*> args = pointers(argv);
    const std::vector<char*> envp = pointers(env);
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0], actions, nullptr, args.data(), envp.data()) != 0) {
        return -1;
    }
    return pid;
}

}  // namespace

Process::Process(const std::vector<std::string>& argv, const std::vector<std::string>& env)
    : m_pid(spawn(argv, env, nullptr)) {}

Process::~Process() {
    if (m_pid <= 0 || m_status != -1) {
        return;
    }
    ::kill(m_pid, SIGTERM);
    if (wait(std::chrono::seconds(5)) == -1 && m_status == -1) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, &m_status, 0);
    }
}

int Process::wait(std::chrono::milliseconds timeout) {
    if (m_pid > 0 && m_status == -1) {
        eventually([&] { return ::waitpid(m_pid, &m_status, WNOHANG) == m_pid; }, timeout);
    }
    return m_status != -1 && WIFEXITED(m_status) ? WEXITSTATUS(m_status) : -1;
}

void Process::signal(int number) const {
    ::kill(m_pid, number);
}

Process::Usage Process::usage() const {
    Usage usage;
    const std::string proc = "/proc/" + std::to_string(m_pid);
    std::ifstream stat(proc + "/stat");
    std::string text;
    std::getline(stat, text);
    // Fields from the state on, after the name in parentheses (which may hold spaces).
    std::istringstream fields(text.substr(std::min(text.size(), text.rfind(')') + 1)));
    std::vector<std::string> field{std::istream_iterator<std::string>(fields), {}};
    if (field.size() > 12) {  // utime and stime are the 14th and 15th fields
        usage.cpuSeconds = static_cast<double>(std::stoll(field[11]) + std::stoll(field[12])) /
                           static_cast<double>(::sysconf(_SC_CLK_TCK));
    }
    std::ifstream status(proc + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) {
            usage.peakKiB = std::stol(line.substr(6));
        }
    }
    return usage;
}

std::string output(const std::vector<std::string>& argv) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return {};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    // Windows come and go while the tools look at them; their complaints are expected.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const pid_t pid = spawn(argv, {}, &actions);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    std::string text;
    char buffer[4096];
    ssize_t got = 0;
    while ((got = ::read(fds[0], buffer, sizeof buffer)) > 0) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fds[0]);
    int status = 0;
    if (pid > 0) {
        ::waitpid(pid, &status, 0);
    }
    return text;
}

int pixelsOf(const QImage& image, QRgb colour, const QRect& area) {
    const QRect inside = area.intersected(image.rect());
    int count = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            count += image.pixel(x, y) == colour ? 1 : 0;
        }
    }
    return count;
}

bool eventually(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

Desktop::Desktop(Session session) : m_session(session) {
    // Xvfb picks a free display itself and tells us which through a pipe.
    int fds[2];
    if (::pipe(fds) != 0) {
        return;
    }
    ::fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    m_server = std::make_unique<Process>(
        std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0",
                                 "1280x1024x24", "-nolisten", "tcp", "-noreset"});
    ::close(fds[1]);
    std::string number;
    char c = 0;
    while (::read(fds[0], &c, 1) == 1 && c != '\n') {
        number += c;
    }
    ::close(fds[0]);
    m_display = ":" + number;
    m_shots = std::filesystem::temp_directory_path() / ("tremolex-shot-" + number + ".png");
    if (session == Session::Openbox) {
        // Quiet, as it reports a menu file Debian does not ship. Up once it names itself on
        // the root window: a program started before that would be placed by no one.
        m_windowManager = std::make_unique<Process>(
            std::vector<std::string>{"sh", "-c", "exec openbox >/dev/null 2>&1"}, env());
        eventually([&] {
            const auto root = run("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"});
            return !root.empty() && root.front().find("window id") != std::string::npos;
        });
    }
}

std::vector<std::string> Desktop::env() const {
    if (m_session == Session::Bare) {
        // Qt would pick the GTK theme by itself under a GNOME session.
        return {"DISPLAY=" + m_display,
                "QT_QPA_PLATFORMTHEME=", "XDG_CURRENT_DESKTOP=", "DESKTOP_SESSION="};
    }
    // GTK keeps its dialogs' settings in memory rather than in the user's dconf database,
    // and looks for no accessibility bus.
    return {"DISPLAY=" + m_display, "QT_QPA_PLATFORMTHEME=gtk3", "GSETTINGS_BACKEND=memory",
            "NO_AT_BRIDGE=1"};
}

std::vector<std::string> Desktop::run(const std::string& tool,
                                      std::vector<std::string> args) const {
    args.insert(args.begin(), {"env", "DISPLAY=" + m_display, "timeout", "10", tool});
    std::istringstream lines(output(args));
    std::vector<std::string> result;
    for (std::string line; std::getline(lines, line);) {
        result.push_back(line);
    }
    return result;
}

std::vector<std::string> Desktop::xdotool(std::vector<std::string> args) const {
    return run("xdotool", std::move(args));
}

std::string Desktop::window(const std::string& title) const {
    const auto ids = xdotool({"search", "--onlyvisible", "--name", "^" + title + "$"});
    return ids.empty() ? std::string() : ids.front();
}

int Desktop::windowCount(const std::string& title) const {
    return static_cast<int>(
        xdotool({"search", "--onlyvisible", "--name", "^" + title + "$"}).size());
}

bool Desktop::shown(const std::string& window) const {
    const auto lines = run("xwininfo", {"-id", window});
    return std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find("IsViewable") != std::string::npos;
    });
}

// xwininfo rather than xdotool, which counts a window manager's frame offset twice.
Desktop::Geometry Desktop::geometry(const std::string& window) const {
    Geometry g;
    for (const std::string& line : run("xwininfo", {"-id", window})) {
        const auto value = [&](const char* name, int& to) {
            if (line.find(name) != std::string::npos) {
                to = std::stoi(line.substr(line.find(':') + 1));
            }
        };
        value("Absolute upper-left X:", g.x);
        value("Absolute upper-left Y:", g.y);
        value("  Width:", g.width);
        value("  Height:", g.height);
    }
    return g;
}

Desktop::Geometry Desktop::frame(const std::string& window) const {
    Geometry g = geometry(window);
    int left = 0, right = 0, top = 0, bottom = 0;  // none without a window manager
    for (const std::string& line : run("xprop", {"-id", window, "_NET_FRAME_EXTENTS"})) {
        std::sscanf(line.c_str(), "_NET_FRAME_EXTENTS(CARDINAL) = %d, %d, %d, %d", &left, &right,
                    &top, &bottom);
    }
    return {g.x - left, g.y - top, g.width + left + right, g.height + top + bottom};
}

std::string Desktop::untitled(pid_t pid) const {
    const auto ids =
        xdotool({"search", "--all", "--onlyvisible", "--pid", std::to_string(pid), "--name", "^$"});
    return ids.empty() ? std::string() : ids.front();
}

void Desktop::focus(const std::string& window) const {
    xdotool({"windowfocus", "--sync", window});
}

void Desktop::keys(const std::vector<std::string>& names) const {
    std::vector<std::string> args = {"key", "--delay", "80"};
    args.insert(args.end(), names.begin(), names.end());
    xdotool(args);
}

void Desktop::keysTo(const std::string& window, const std::vector<std::string>& names) const {
    std::vector<std::string> args = {"key", "--window", window};
    args.insert(args.end(), names.begin(), names.end());
    xdotool(args);
}

void Desktop::type(const std::string& text) const {
    xdotool({"type", "--delay", "40", text});
}

void Desktop::move(const std::string& window, int x, int y) const {
    xdotool({"windowmove", "--sync", window, std::to_string(x), std::to_string(y)});
}

void Desktop::resize(const std::string& window, int width, int height) const {
    xdotool({"windowsize", "--sync", window, std::to_string(width), std::to_string(height)});
}

void Desktop::menu(const std::string& window, const std::string& altKey, int entry) const {
    focus(window);
    keys({altKey});
    std::vector<std::string> names(static_cast<std::size_t>(entry - 1), "Down");
    names.push_back("Return");
    keys(names);
}

QImage Desktop::screenshot(const std::string& window) const {
    output({"env", "DISPLAY=" + m_display, "import", "-window", "root", "png:" + m_shots.string()});
    const Geometry g = geometry(window);
    QImage shot(QString::fromStdString(m_shots.string()));
    std::filesystem::remove(m_shots);
    return shot.copy(g.x, g.y, g.width, g.height).convertToFormat(QImage::Format_RGB32);
}

}  // namespace tremolex
