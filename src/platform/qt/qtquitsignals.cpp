#include "platform/qt/qtquitsignals.h"

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tremolex {

namespace {

int g_pipe[2] = {-1, -1};
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Only what is safe in a signal handler: one write.
void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
}

}  // namespace

QtQuitSignals::QtQuitSignals(std::function<void()> onQuit) : m_onQuit(std::move(onQuit)) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0) {
        return;  // the signals then end the program as they would anyway
    }
    m_notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(g_pipe[0], &byte, 1);
        m_onQuit();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals) {
        sigaction(signal, &action, nullptr);
    }
}

QtQuitSignals::~QtQuitSignals() {
    for (const int signal : kSignals) {
        ::signal(signal, SIG_DFL);
    }
    m_notifier.reset();
    if (g_pipe[0] >= 0) {
        ::close(g_pipe[0]);
        ::close(g_pipe[1]);
        g_pipe[0] = g_pipe[1] = -1;
    }
}

}  // namespace tremolex
