#pragma once

#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace tremolex {

// Turns SIGTERM, SIGINT and SIGHUP (the session ending, Ctrl+C in a terminal) into a call
// of `onQuit` on the event loop, so the program closes its window the normal way and
// keeps its settings instead of dying where it stands. One at a time per process.
class QtQuitSignals {
public:
    explicit QtQuitSignals(std::function<void()> onQuit);
    ~QtQuitSignals();
    QtQuitSignals(const QtQuitSignals&) = delete;
    QtQuitSignals& operator=(const QtQuitSignals&) = delete;

private:
    std::function<void()> m_onQuit;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

}  // namespace tremolex
