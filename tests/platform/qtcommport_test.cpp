#include "platform/qt/qtcommport.h"

#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "platform/commport_contract.h"
#include "platform/posix/portdevice.h"
#include "support/eventloop.h"
#include "support/pseudoterminal.h"

namespace tremolex {

namespace fs = std::filesystem;

// A pseudo-terminal as the device, at port 5 of the ports folder; every other port leads
// nowhere but 7, which is /dev/null.
class PseudoTerminalDevice {
public:
    using Port = QtCommPort;
    static constexpr const char* kShared = nullptr;

    PseudoTerminalDevice() {
        mapAllPortsAway();
        mapPort(7, "/dev/null");
    }

    std::string plug() {
        m_pty.reopen();
        mapPort(5, m_pty.slavePath());
        return m_pty.slavePath().empty() ? "no pseudo-terminal" : "";
    }
    void unplug() { m_pty.hangUp(); }
    void send(std::string_view bytes) { ASSERT_TRUE(sendAll(m_pty, bytes)); }
    bool waitFor(const std::function<bool()>& done) { return tremolex::waitFor(done); }
    void drain() { drainEvents(); }

    int number() const { return 5; }
    std::string device() const { return fs::canonical(m_pty.slavePath()).string(); }
    std::string line() const {
        termios t{};
        EXPECT_EQ(tcgetattr(m_pty.master(), &t), 0);  // an opened port may be exclusive
        std::string baud = "?";
        for (const auto& [code, rate] : {std::pair<speed_t, const char*>{B300, "300"},
                                         {B9600, "9600"},
                                         {B19200, "19200"},
                                         {B57600, "57600"},
                                         {B115200, "115200"}}) {
            baud = cfgetispeed(&t) == code ? rate : baud;
        }
        const bool flow = (t.c_iflag & (IXON | IXOFF)) || (t.c_cflag & CRTSCTS);
        return baud + (t.c_cflag & CSTOPB ? ",2" : ",1") + (flow ? ",flow" : "");
    }
    std::vector<std::pair<int, std::string>> absent() const {
        // mapAllPortsAway() leads port 6 to a missing file; 13 has no entry and names nothing.
        return {{6, fs::read_symlink(portsDirectory() / "com6")}, {13, ""}};
    }
    std::pair<int, std::string> notSerial() const { return {7, "/dev/null"}; }
    std::string forbid(std::string& group) const {
        if (geteuid() == 0) {
            return "root opens any device";
        }
        group = deviceGroup(m_pty.slavePath());
        return chmod(m_pty.slavePath().c_str(), 0) == 0 ? "" : "cannot take the permissions";
    }

private:
    PseudoTerminal m_pty;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, CommPortContract, PseudoTerminalDevice);

// A USB device that went away from port 5 is looked for under its by-id name only while
// port 5 is what is opened: once another number was tried, 5 goes by its number again.
TEST(QtCommPort, DeviceThatWentAwayIsLookedForOnlyAtItsOwnNumber) {
    mapAllPortsAway();
    const fs::path byId = fs::path(std::getenv("HOME")) / "by-id-own-number";
    fs::remove_all(byId);
    fs::create_directories(byId);
    PseudoTerminal a, b;
    mapPort(5, a.slavePath());
    fs::create_symlink(a.slavePath(), byId / "usb-Maker_Adapter_123-if00-port0");
    QtCommPort port(byId);
    bool lost = false;
    port.setEvents([] {}, [&] { lost = true; });
    port.setCommPort(5);
    ASSERT_TRUE(port.open().ok());
    a.hangUp();
    ASSERT_TRUE(waitFor([&] { return lost; }));
    fs::remove(byId / "usb-Maker_Adapter_123-if00-port0");
    fs::create_symlink(b.slavePath(), byId / "usb-Maker_Adapter_123-if00-port0");
    port.setCommPort(6);
    EXPECT_EQ(port.open().failure, CommPort::Failure::NotFound);
    port.setCommPort(5);
    EXPECT_EQ(port.open().failure, CommPort::Failure::NotFound);
}

}  // namespace tremolex
