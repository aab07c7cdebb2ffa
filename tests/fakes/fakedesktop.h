#pragma once

#include <string>
#include <vector>

#include "platform/desktopnotifier.h"
#include "platform/sleepinhibitor.h"

namespace tremolex {

// Records each notification as "title: text".
struct FakeDesktopNotifier final : DesktopNotifier {
    void notify(std::string_view title, std::string_view text) override {
        shown.push_back(std::string(title) + ": " + std::string(text));
    }
    std::vector<std::string> shown;
};

struct FakeSleepInhibitor final : SleepInhibitor {
    void hold() override {
        on = true;
        ++holds;
    }
    void release() override { on = false; }
    bool held() const override { return on; }
    bool on = false;
    int holds = 0;  // times hold() was called
};

}  // namespace tremolex
