#pragma once

#include <string_view>

namespace tremolex {

// Tells the user of an event while the program may be out of sight: one desktop
// notification and the system bell once. Where the desktop offers no notification service,
// the bell alone; never an error.
class DesktopNotifier {
public:
    virtual ~DesktopNotifier() = default;

    virtual void notify(std::string_view title, std::string_view text) = 0;  // UTF-8
};

}  // namespace tremolex
