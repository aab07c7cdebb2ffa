#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tremolex {

// Polls `done` until it holds or the time is up: for conditions outside this process, which
// no event loop brings. The default is generous: sanitizers and a busy machine are slow.
inline bool eventually(const std::function<bool()>& done,
                       std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// A program run by the test, found on the PATH ("env NAME=value program" changes its
// environment). Its standard output and error come back through pipes unless `piped` is
// false; read them, or a chatty program stops once a pipe is full. When this goes, the
// program gets SIGTERM, and SIGKILL five seconds later.
class ChildProcess {
public:
    explicit ChildProcess(std::vector<std::string> argv, bool piped = true) {
        int out[2] = {-1, -1}, err[2] = {-1, -1};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (piped && pipe2(out, O_CLOEXEC) == 0 && pipe2(err, O_CLOEXEC) == 0) {
            posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
            posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
        }
        std::vector<char*> args(argv.size() + 1);  // ends in a null pointer
        std::ranges::transform(argv, args.begin(), [](std::string& arg) { return arg.data(); });
        m_ended = posix_spawnp(&m_pid, args[0], &actions, nullptr, args.data(), environ) != 0;
        EXPECT_FALSE(m_ended) << "cannot start " << argv[0];
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);  // closing -1 does no harm
        ::close(err[1]);
        m_out = out[0];
        m_err = err[0];
    }
    ~ChildProcess() {
        signal(SIGTERM);
        if (!wait(std::chrono::seconds(5))) {
            signal(SIGKILL);
            wait();
        }
        ::close(m_out);
        ::close(m_err);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return m_pid; }
    void signal(int number) const {
        if (!m_ended) {  // once reaped, the number may be another process's
            ::kill(m_pid, number);
        }
    }

    // The exit status, 128 + the signal's number when a signal ended it; nothing while it
    // still runs after `timeout`.
    std::optional<int> wait(std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        const auto reaped = [&] {
            return m_ended = m_ended || ::waitpid(m_pid, &m_status, WNOHANG) > 0;
        };
        if (!eventually(reaped, timeout)) {
            return std::nullopt;
        }
        return WIFEXITED(m_status) ? WEXITSTATUS(m_status) : 128 + WTERMSIG(m_status);
    }

    // The next line of its standard output, without the line feed; nothing when none came
    // within ten seconds.
    std::optional<std::string> readLine() {
        std::string line;
        pollfd entry{m_out, POLLIN, 0};
        char c = 0;
        while (::poll(&entry, 1, 10'000) > 0 && ::read(m_out, &c, 1) == 1 && c != '\n') {
            line += c;
        }
        return c == '\n' ? std::optional(line) : std::nullopt;
    }
    // Its standard output or error from here to its end: waits for the program to close it.
    std::string output() { return rest(m_out); }
    std::string errors() { return rest(m_err); }

private:
    static std::string rest(int fd) {
        std::string text;
        char buffer[4096];
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
            text.append(buffer, static_cast<std::size_t>(n));
        }
        return text;
    }

    pid_t m_pid = -1;
    bool m_ended = false;  // reaped, or never started
    int m_status = 0, m_out = -1, m_err = -1;
};

}  // namespace tremolex
