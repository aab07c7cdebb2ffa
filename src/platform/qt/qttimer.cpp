#include "platform/qt/qttimer.h"

namespace tremolex {

void QtTimer::start(std::chrono::milliseconds interval, std::function<void()> onTick) {
    m_onTick = std::move(onTick);
    m_timer.disconnect();
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        const auto tick = m_onTick;  // a copy: the tick may restart the timer with another
        tick();
    });
    m_timer.start(interval);
}

}  // namespace tremolex
