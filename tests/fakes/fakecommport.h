#pragma once

#include <map>
#include <vector>

#include "platform/commport.h"

namespace tremolex {

// A serial control whose ports open or fail as the test says; records every opening.
class FakeCommPort final : public CommPort {
public:
    std::map<std::int32_t, OpenResult> ports;  // a port missing here is not found
    std::vector<std::int32_t> opened;          // every port number an opening tried
    std::vector<std::string> settingsUsed;

    void setCommPort(std::int32_t port) override { m_port = port; }
    void setSettings(std::string_view settings) override { m_settings = settings; }
    OpenResult open() override {
        opened.push_back(m_port);
        settingsUsed.push_back(m_settings);
        const OpenResult result =
            ports.contains(m_port) ? ports[m_port] : OpenResult{Failure::NotFound, "", "", ""};
        m_open = result.ok();
        return result;
    }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    std::string_view input() override { return {}; }  // no test receives through it
    void setEvents(std::function<void()>, std::function<void()>) override {}

private:
    std::int32_t m_port = 0;
    std::string m_settings;
    bool m_open = false;
};

}  // namespace tremolex
