#pragma once

#include <chrono>
#include <optional>
#include <string>

struct xcb_connection_t;

namespace tremolex {

// Sees top-level windows being mapped on an X display as the server reports it, so a
// start-up can be timed without polling. Listens from construction on.
class MapWatch {
public:
    explicit MapWatch(const std::string& display);
    ~MapWatch();
    MapWatch(const MapWatch&) = delete;
    MapWatch& operator=(const MapWatch&) = delete;

    // When the next top-level window (not a menu or tooltip) was mapped; nothing when none
    // was within `timeout` or the display cannot be reached.
    std::optional<std::chrono::steady_clock::time_point> next(std::chrono::milliseconds timeout);

private:
    xcb_connection_t* m_connection = nullptr;
};

}  // namespace tremolex
