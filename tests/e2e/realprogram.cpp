#include "realprogram.h"

#include <filesystem>

#include "platform/posix/configdir.h"

namespace tremolex {

using namespace std::chrono_literals;

RealProgram::RealProgram() {
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
