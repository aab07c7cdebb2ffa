#include "recording/jobthread.h"

namespace tremolex {

JobThread::JobThread(std::function<void()> job)
    : m_job(std::move(job)), m_thread([this] { loop(); }) {}

JobThread::~JobThread() {
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void JobThread::run() {
    {
        const std::lock_guard lock(m_mutex);
        m_asked = true;
    }
    m_changed.notify_all();
}

bool JobThread::busy() const {
    const std::lock_guard lock(m_mutex);
    return m_asked || m_running;
}

void JobThread::wait() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_asked && !m_running; });
}

void JobThread::loop() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_asked || m_stop; });
        if (!m_asked) {
            return;  // stopping, with nothing asked
        }
        m_asked = false;
        m_running = true;
        lock.unlock();
        m_job();
        lock.lock();
        m_running = false;
        m_changed.notify_all();
    }
}

}  // namespace tremolex
