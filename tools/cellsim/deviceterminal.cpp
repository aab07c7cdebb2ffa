#include "deviceterminal.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

namespace tremolex::cellsim {

bool DeviceTerminal::open() {
    close();
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    const char* name = nullptr;
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 ||
        (name = ::ptsname(m_master)) == nullptr) {
        m_error = std::string("no pseudo-terminal: ") + std::strerror(errno);
        close();
        return false;
    }
    m_devicePath = name;
    // Opening the other end once and closing it again makes the master report a hang-up
    // until a program opens it: that is how readerPresent() tells. The raw settings made
    // meanwhile stay with the terminal for every later reader.
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios settings{};
    if (slave < 0 || ::tcgetattr(slave, &settings) != 0) {
        m_error = m_devicePath + ": " + std::strerror(errno);
        if (slave >= 0) {
            ::close(slave);
        }
        close();
        return false;
    }
    ::cfmakeraw(&settings);
    const bool raw = ::tcsetattr(slave, TCSANOW, &settings) == 0;
    const int rawError = errno;
    ::close(slave);
    if (!raw) {
        m_error = m_devicePath + ": " + std::strerror(rawError);
        close();
        return false;
    }
    return true;
}

void DeviceTerminal::close() {
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
    m_devicePath.clear();
}

bool DeviceTerminal::readerPresent() const {
    if (m_master < 0) {
        return false;
    }
    pollfd entry{m_master, 0, 0};
    return ::poll(&entry, 1, 0) >= 0 && (entry.revents & (POLLHUP | POLLERR | POLLNVAL)) == 0;
}

// The master cannot count what waits on the other side; a short-lived descriptor of that
// side can. It is closed at once, so readerPresent() still tells right afterwards.
int DeviceTerminal::unread() const {
    if (m_master < 0) {
        return -1;
    }
    const int slave = ::open(m_devicePath.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    if (slave < 0) {
        return -1;
    }
    int waiting = -1;
    if (::ioctl(slave, FIONREAD, &waiting) != 0) {
        waiting = -1;
    }
    ::close(slave);
    return waiting;
}

ssize_t DeviceTerminal::write(std::string_view bytes) {
    if (m_master < 0) {
        return -1;
    }
    if (bytes.empty()) {
        return 0;
    }
    const ssize_t written = ::write(m_master, bytes.data(), bytes.size());
    if (written < 0) {
        return errno == EAGAIN || errno == EINTR ? 0 : -1;
    }
    return written;
}

void DeviceTerminal::discardInput() {
    std::array<char, 4096> buffer{};
    while (m_master >= 0 && ::read(m_master, buffer.data(), buffer.size()) > 0) {
    }
}

}  // namespace tremolex::cellsim
