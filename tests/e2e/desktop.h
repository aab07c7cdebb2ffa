#pragma once

#include <sys/types.h>

#include <QImage>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace tremolex {

// A running child process; stopped (SIGTERM, then SIGKILL) when this goes.
class Process {
public:
    explicit Process(const std::vector<std::string>& argv,
                     const std::vector<std::string>& env = {});
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    pid_t pid() const { return m_pid; }
    // Waits for the end; the exit code, or -1 when it did not end in time or was killed.
    int wait(std::chrono::milliseconds timeout);
    void signal(int number) const;

    struct Usage {
        double cpuSeconds = 0;  // user and system time so far
        long peakKiB = 0;       // peak resident memory (VmHWM)
    };
    // What the process has used so far; zeros once it has ended.
    Usage usage() const;

private:
    pid_t m_pid = -1;
    int m_status = -1;
};

// Runs a command to its end and returns what it printed ("" on failure), its errors dropped.
std::string output(const std::vector<std::string>& argv);

// Polls `done` until it holds or the time is up; for conditions outside this process.
bool eventually(const std::function<bool()>& done,
                std::chrono::milliseconds timeout = std::chrono::seconds(10));

// Pixels of exactly `colour` inside `area` of `image`.
int pixelsOf(const QImage& image, QRgb colour, const QRect& area);

// A real X server of its own, for as long as this lives: bare (no window manager, Qt's own
// style and dialogs), or a desktop as users have it: a reparenting window manager (openbox)
// and the GTK platform theme, whose file dialogs are GTK's own.
class Desktop {
public:
    enum class Session { Bare, Openbox };
    explicit Desktop(Session session = Session::Bare);

    std::string display() const { return m_display; }
    // For a program shown here; the session's theme, whatever desktop this process runs on.
    std::vector<std::string> env() const;

    // The window with exactly this title, or "" when there is none yet.
    std::string window(const std::string& title) const;
    int windowCount(const std::string& title) const;
    bool shown(const std::string& window) const;  // mapped and viewable
    struct Geometry {
        int x = 0, y = 0, width = 0, height = 0;
        bool operator==(const Geometry&) const = default;
        friend std::ostream& operator<<(std::ostream& out, const Geometry& g) {
            return out << g.width << "x" << g.height << " at " << g.x << "," << g.y;
        }
    };
    Geometry geometry(const std::string& window) const;  // the client area, on the screen
    // The outer frame: the client area with the window manager's decorations around it.
    Geometry frame(const std::string& window) const;
    // A visible window of process `pid` with no title (an open menu, a question box), or "".
    std::string untitled(pid_t pid) const;

    void focus(const std::string& window) const;
    void keys(const std::vector<std::string>& keys) const;  // xdotool key names
    // Sent to `window` alone, as synthetic events: GTK takes them, Qt ignores them.
    void keysTo(const std::string& window, const std::vector<std::string>& keys) const;
    void type(const std::string& text) const;
    void move(const std::string& window, int x, int y) const;
    void resize(const std::string& window, int width, int height) const;  // the client area
    // Opens a menu with its Alt key (such as "alt+f") and picks its n-th entry.
    void menu(const std::string& window, const std::string& altKey, int entry) const;

    QImage screenshot(const std::string& window) const;

private:
    std::vector<std::string> run(const std::string& tool, std::vector<std::string> args) const;
    std::vector<std::string> xdotool(std::vector<std::string> args) const;
    Session m_session;
    std::unique_ptr<Process> m_server;
    std::unique_ptr<Process> m_windowManager;
    std::string m_display;
    std::filesystem::path m_shots;
};

}  // namespace tremolex
