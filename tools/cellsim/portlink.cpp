#include "portlink.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "platform/posix/portdevice.h"

namespace tremolex::cellsim {

namespace fs = std::filesystem;

namespace {

fs::path entryFor(int port) {
    return portsDirectory() / ("com" + std::to_string(port));
}

bool entryExists(const fs::path& entry) {
    std::error_code error;
    return fs::symlink_status(entry, error).type() != fs::file_type::not_found;
}

}  // namespace

// symlink() fails when the name exists, so making an entry can never replace one that
// another program put there a moment ago. Returns 0 or the errno.
int PortLink::make(const fs::path& entry, const fs::path& target) {
    if (::symlink(target.c_str(), entry.c_str()) != 0) {
        const int error = errno;
        m_error = entry.string() + ": " + std::strerror(error);
        return error;
    }
    m_held = true;
    m_entry = entry;
    m_target = target;
    return 0;
}

PortLink::Outcome PortLink::claim(std::optional<int> port, const fs::path& target) {
    release();
    std::error_code error;
    fs::create_directories(portsDirectory(), error);
    if (error) {
        m_error = portsDirectory().string() + ": " + error.message();
        return Outcome::Failed;
    }
    if (port) {
        m_port = *port;
        const int made = make(entryFor(*port), target);
        if (made == 0) {
            return Outcome::Made;
        }
        return made == EEXIST ? Outcome::Taken : Outcome::Failed;
    }
    for (int n = kHighestAutomaticPort; n >= 1; --n) {
        if (entryExists(entryFor(n))) {
            continue;
        }
        m_port = n;
        const int made = make(entryFor(n), target);
        if (made == 0) {
            return Outcome::Made;
        }
        if (made != EEXIST) {
            return Outcome::Failed;
        }
        // Taken between the look and the link: try the next one.
    }
    m_port = 0;
    return Outcome::NoneFree;
}

bool PortLink::stillOurs() const {
    std::error_code error;
    const fs::path target = fs::read_symlink(m_entry, error);
    return !error && target == m_target;
}

bool PortLink::retarget(const fs::path& target) {
    if (!m_held) {
        return false;
    }
    m_held = false;
    if (entryExists(m_entry)) {
        if (!stillOurs()) {
            m_error = m_entry.string() + " was replaced by another entry; it is left alone";
            return false;
        }
        if (::unlink(m_entry.c_str()) != 0 && errno != ENOENT) {
            m_error = m_entry.string() + ": " + std::strerror(errno);
            return false;
        }
    }
    return make(m_entry, target) == 0;
}

void PortLink::release() {
    if (m_held && stillOurs()) {
        ::unlink(m_entry.c_str());
    }
    m_held = false;
}

}  // namespace tremolex::cellsim
