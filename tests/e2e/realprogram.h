#pragma once

#include <QRgb>
#include <memory>
#include <optional>
#include <string>

#include "desktop.h"
#include "support/pseudoterminal.h"

namespace tremolex {

// The real program on a real X server of its own (bare or a desktop), with a pseudo-terminal
// on port 5 as the device, seen and driven as a person would. It uses the config folder of
// this process, which the caller has made its own (tests and benchmarks isolate their user
// folders): the settings start afresh, and every other port leads nowhere.
class RealProgram {
public:
    static constexpr QRgb kLightGreen = qRgb(192, 255, 192);  // curve points, port ready
    static constexpr QRgb kLightRed = qRgb(255, 192, 192);    // port error, store full

    explicit RealProgram(Desktop::Session session = Desktop::Session::Bare);

    std::unique_ptr<Process> start() const;

    // The window with exactly this title other than `other`, waited for; "" when none came.
    std::string windowNamed(const std::string& title, const std::string& other = {}) const;
    // Answers the dialog called `title` with `text`; false when no such dialog came.
    bool answer(const std::string& title, const std::string& text,
                const std::string& other = {}) const;
    // Types `path` into the desktop's (GTK's) file dialog and accepts it: the question the
    // dialog then asks, "" when it closed, nothing when it never answered.
    std::optional<std::string> chooseFile(const Process& program, const std::string& path) const;
    // Whether the program has seen every move and resize of its window so far.
    bool seesItsPlace(const Process& program, const std::string& window) const;

    // What the window shows now, at the default 96 dpi.
    int curvePixels(const std::string& window) const;                // the chart's points
    int statusPixels(const std::string& window, QRgb colour) const;  // the port status label
    bool storeFullShown(const std::string& window) const;

    Desktop desktop;
    PseudoTerminal device;
};

}  // namespace tremolex
