#pragma once

#include <QRect>
#include <QRgb>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "support/childprocess.h"
#include "support/pseudoterminal.h"

namespace tremolex {

struct Usage {
    double cpuSeconds = 0;  // user and system time
    long peakKiB = 0;       // peak resident memory (VmHWM)
};
// What process `pid` has used so far; zeros once it has ended.
Usage usage(pid_t pid);

// A real X server of its own, for as long as this lives: bare (no window manager, Qt's own
// style and dialogs), or a desktop as users have it: a reparenting window manager (openbox)
// and the GTK platform theme, whose file dialogs are GTK's own.
class Desktop {
public:
    enum class Session { Bare, Openbox };
    explicit Desktop(Session session = Session::Bare);

    std::string display() const { return m_display; }
    // Runs `program` here with the session's theme, whatever desktop this process runs on.
    std::vector<std::string> command(const std::string& program) const;
    // Runs an X tool (xdotool, xwininfo, xprop, import) here to its end: what it printed.
    std::string x(std::vector<std::string> args) const;

    // The visible windows with exactly this title.
    std::vector<std::string> windows(const std::string& title) const;
    // A visible window of process `pid` with no title (an open menu, a question box), or "".
    std::string untitled(pid_t pid) const;
    using Geometry = std::array<int, 4>;                 // x, y, width and height on the screen
    Geometry geometry(const std::string& window) const;  // the client area
    // The outer frame: the client area with the window manager's decorations around it.
    Geometry frame(const std::string& window) const;

    // Focuses `window` and presses `keys` (xdotool names).
    void keys(const std::string& window, const std::vector<std::string>& keys) const;
    // Replaces what the input line in `window` holds with `text`, then presses Return.
    void enter(const std::string& window, const std::string& text) const;
    // Moves the pointer to `at` on the screen, then does `then` there ("click", "1").
    void pointer(const QPoint& at, std::vector<std::string> then = {}) const;
    // Pixels of exactly `colour` inside `area` of what `window` shows.
    int pixels(const std::string& window, QRgb colour, const QRect& area) const;

private:
    std::unique_ptr<ChildProcess> m_server;
    std::unique_ptr<ChildProcess> m_windowManager;  // none on a bare server
    std::string m_display;
};

// The real program on a real X server of its own (bare or a desktop), with a pseudo-terminal
// on port 5 as the device, seen and driven as a person would. It uses the config folder of
// this process, which the caller has made its own (tests and benchmarks isolate their user
// folders): the settings start afresh, and every other port leads nowhere.
class RealProgram {
public:
    static constexpr QRgb kLightGreen = qRgb(192, 255, 192);  // curve points, port ready
    static constexpr QRgb kLightRed = qRgb(255, 192, 192);    // port error, store full

    explicit RealProgram(Desktop::Session session = Desktop::Session::Bare);

    std::unique_ptr<ChildProcess> start() const {  // its output goes to this process's
        return std::make_unique<ChildProcess>(desktop.command(TREMOLEX_BINARY), false);
    }

    // The window with exactly this title other than `other`, waited for; "" when none came.
    std::string windowNamed(const std::string& title, const std::string& other = {}) const;

    // What the window shows now, at the default 96 dpi. The chart's points lie below the
    // status row and right of the scale labels.
    int curvePixels(const std::string& window) const {
        return desktop.pixels(window, kLightGreen, QRect(62, 110, 10000, 10000));
    }
    // The port status label, in the row of status labels right of the value and time.
    int statusPixels(const std::string& window, QRgb colour) const {
        return desktop.pixels(window, colour, QRect(300, 0, 10000, 95));
    }
    // The store-full label spans the chart's width above it; left of the port status label
    // only it can be light red.
    bool storeFullShown(const std::string& window) const {
        return desktop.pixels(window, kLightRed, QRect(0, 0, 300, 130)) > 1000;
    }

    Desktop desktop;
    PseudoTerminal device;
};

}  // namespace tremolex
