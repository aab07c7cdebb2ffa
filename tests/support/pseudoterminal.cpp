#include "support/pseudoterminal.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>
#include <utility>

#include "platform/posix/portdevice.h"

namespace tremolex {

namespace fs = std::filesystem;

void PseudoTerminal::reopen() {
    hangUp();
    // Close-on-exec: a program the test starts must not keep the device alive.
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_master >= 0 && grantpt(m_master) == 0 && unlockpt(m_master) == 0) {
        m_slavePath = ptsname(m_master);
        m_slave = ::open(m_slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    }
    termios settings{};
    if (m_slave < 0 || tcgetattr(m_slave, &settings) != 0) {
        ADD_FAILURE() << "no pseudo-terminal: " << std::strerror(errno);
        hangUp();
        return;
    }
    cfmakeraw(&settings);
    tcsetattr(m_slave, TCSANOW, &settings);
}

void PseudoTerminal::hangUp() {
    for (int* fd : {&m_slave, &m_master}) {
        ::close(std::exchange(*fd, -1));  // nothing to close is harmless
    }
    m_slavePath.clear();
}

std::size_t PseudoTerminal::write(std::string_view bytes) {
    const ssize_t written = bytes.empty() ? 0 : ::write(m_master, bytes.data(), bytes.size());
    return written > 0 ? static_cast<std::size_t>(written) : 0;
}

std::size_t PseudoTerminal::unread() const {
    int waiting = 0;
    return ::ioctl(m_slave, FIONREAD, &waiting) == 0 ? static_cast<std::size_t>(waiting) : 0;
}

void mapPort(int n, const fs::path& target) {
    const fs::path entry = portsDirectory() / ("com" + std::to_string(n));
    fs::create_directories(entry.parent_path());
    fs::remove(entry);
    fs::create_symlink(target, entry);
}

void mapAllPortsAway() {
    for (int n = 1; n <= 12; ++n) {
        mapPort(n, portsDirectory() / "absent" / ("device" + std::to_string(n)));
    }
}

}  // namespace tremolex
