#include "mapwatch.h"

#include <poll.h>
#include <xcb/xcb.h>

#include <cstdlib>

namespace tremolex {

MapWatch::MapWatch(const std::string& display) {
    int screenNumber = 0;
    m_connection = xcb_connect(display.c_str(), &screenNumber);
    if (xcb_connection_has_error(m_connection)) {
        return;
    }
    xcb_screen_iterator_t screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screenNumber; ++i) {
        xcb_screen_next(&screen);
    }
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(m_connection, screen.data->root, XCB_CW_EVENT_MASK, &mask);
    // A round trip: the server listens for us before anything is started.
    std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
}

MapWatch::~MapWatch() {
    xcb_disconnect(m_connection);
}

std::optional<std::chrono::steady_clock::time_point> MapWatch::next(
    std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!xcb_connection_has_error(m_connection)) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
            const auto seen = std::chrono::steady_clock::now();
            const bool mapped =
                (event->response_type & 0x7f) == XCB_MAP_NOTIFY &&
                !reinterpret_cast<xcb_map_notify_event_t*>(event)->override_redirect;
            std::free(event);
            if (mapped) {
                return seen;
            }
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            break;
        }
        pollfd events{xcb_get_file_descriptor(m_connection), POLLIN, 0};
        ::poll(&events, 1, static_cast<int>(left.count()));
    }
    return std::nullopt;
}

}  // namespace tremolex
