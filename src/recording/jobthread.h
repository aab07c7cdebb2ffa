#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace tremolex {

// Runs one job, again each time it is asked to, on a thread of its own, so that a slow or
// hanging disk never holds up the thread that asks. A request while the job runs is taken
// up once it has finished.
class JobThread {
public:
    explicit JobThread(std::function<void()> job);
    // Waits for the job in hand to finish.
    ~JobThread();
    JobThread(const JobThread&) = delete;
    JobThread& operator=(const JobThread&) = delete;

    // Runs the job once more, soon.
    void run();
    // Whether a run asked for has not finished yet. Once false, everything the job wrote is
    // visible to the caller.
    bool busy() const;
    // Until no run is left.
    void wait();

private:
    void loop();

    std::function<void()> m_job;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_asked = false;    // a run to start
    bool m_running = false;  // a run under way
    bool m_stop = false;
    std::thread m_thread;  // last: starts once the rest is made
};

}  // namespace tremolex
