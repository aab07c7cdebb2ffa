#pragma once

#include <chrono>
#include <functional>

namespace tremolex {

// A periodic timer on the user-interface thread.
class Timer {
public:
    virtual ~Timer() = default;

    // Calls `onTick` every `interval` from now on, replacing an earlier start.
    virtual void start(std::chrono::milliseconds interval, std::function<void()> onTick) = 0;
    virtual void stop() = 0;
};

}  // namespace tremolex
