#pragma once

#include <signal.h>
#include <sys/resource.h>

namespace tremolex {

// A full disk, as far as this process's writes go: files cannot grow past `bytes` while
// this lives. Unlike a read-only folder, it stops root too.
class FileSizeLimit {
public:
    // A write past the limit fails rather than kill the process.
    explicit FileSizeLimit(rlim_t bytes) : m_oldHandler(signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        const rlimit limit{bytes, m_saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_saved{};
    sighandler_t m_oldHandler;
};

}  // namespace tremolex
