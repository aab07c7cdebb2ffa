#pragma once

#include <QTimer>

#include "platform/timer.h"

namespace tremolex {

class QtTimer final : public Timer {
public:
    void start(std::chrono::milliseconds interval, std::function<void()> onTick) override;
    void stop() override { m_timer.stop(); }

private:
    QTimer m_timer;
    std::function<void()> m_onTick;
};

}  // namespace tremolex
