#pragma once

namespace tremolex {

// Keeps the machine from suspending while a capture runs. Holding while held and releasing
// while released change nothing. Where the system offers no way, nothing happens, with no
// error.
class SleepInhibitor {
public:
    virtual ~SleepInhibitor() = default;

    virtual void hold() = 0;
    virtual void release() = 0;
    virtual bool held() const = 0;
};

}  // namespace tremolex
