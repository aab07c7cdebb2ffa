#include "platform/windows/win32commport.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <string>
#include <tuple>
#include <vector>

#include "platform/commport_contract.h"

namespace tremolex {

// Whatever the driver had set before (here every flag on), the device sends binary data
// that nothing may swallow or replace: XON/XOFF bytes, NULs, bytes after a line error.
TEST(Win32CommPort, LineSettingsBecomeTheControlBlock) {
    const std::tuple<const char*, DWORD, BYTE, BYTE, BYTE, int> cases[] = {
        {"9600,n,8,1", 9600, 8, NOPARITY, ONESTOPBIT, 0},
        {"19200,E,7,2", 19200, 7, EVENPARITY, TWOSTOPBITS, 1},
        {"115200,o,6,1", 115200, 6, ODDPARITY, ONESTOPBIT, 1},
        {"300,m,5,1.5", 300, 5, MARKPARITY, ONE5STOPBITS, 1},
        {"2147483647,s,8,2", 2147483647, 8, SPACEPARITY, TWOSTOPBITS, 1}};
    for (const auto& [text, baud, dataBits, parity, stopBits, checked] : cases) {
        DCB dcb;
        FillMemory(&dcb, sizeof(dcb), 0xff);
        applyLineSettings(dcb, parseLineSettings(text).value());
        EXPECT_EQ(std::tuple(dcb.BaudRate, dcb.ByteSize, dcb.Parity, dcb.StopBits, +dcb.fParity,
                             std::array{+dcb.fBinary, +dcb.fOutxCtsFlow, +dcb.fOutxDsrFlow,
                                        +dcb.fDsrSensitivity, +dcb.fOutX, +dcb.fInX,
                                        +dcb.fErrorChar, +dcb.fNull, +dcb.fAbortOnError,
                                        +dcb.fDtrControl, +dcb.fRtsControl}),
                  std::tuple(baud, dataBits, parity, stopBits, checked,
                             std::array{1, 0, 0, 0, 0, 0, 0, 0, 0, DTR_CONTROL_ENABLE,
                                        RTS_CONTROL_ENABLE}))
            << text;
    }
}

// The device is a pseudo-terminal that platform/comportdevice.py, on the host, links into
// the Wine prefix as COM<TREMOLEX_TEST_COMPORT>, the next port leading to /dev/null. Asked
// through this program's output, it answers on the input.
class StandInDevice {
public:
    using Port = Win32CommPort;
    static constexpr const char* kShared = "Wine lets any number of handles open a COM port";

    std::string plug() {
        if (m_number == 0) {
            return "needs a device: runs under platform/comportdevice.py";
        }
        request("plug");
        return "";
    }
    void unplug() { request("unplug"); }
    void send(std::string_view bytes) { request("send ", bytes); }
    bool waitFor(const std::function<bool()>& condition, int ms = 10'000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!condition() && std::chrono::steady_clock::now() < end) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) {
                DispatchMessageW(&message);
            }
        }
        return condition();
    }
    void drain() {
        waitFor([] { return false; }, 100);
    }

    int number() const { return m_number; }
    std::string device() const { return "COM" + std::to_string(m_number); }
    std::string line() { return request("line"); }
    std::vector<std::pair<int, std::string>> absent() const {
        return {{9, "COM9"}, {200, "COM200"}};
    }
    std::pair<int, std::string> notSerial() const {
        return {m_number + 1, "COM" + std::to_string(m_number + 1)};
    }
    std::string forbid(std::string&) const {
        return "Windows has no device permissions: a port it may not open is as one in use";
    }

private:
    // Sends `request` (and `bytes` in hex) and returns the answer.
    static std::string request(const std::string& request, std::string_view bytes = {}) {
        std::cout << "device: " << request;
        for (const unsigned char c : bytes) {
            std::cout << "0123456789abcdef"[c >> 4] << "0123456789abcdef"[c & 15];
        }
        std::cout << std::endl;
        std::string answer;
        EXPECT_TRUE(std::getline(std::cin, answer).good());
        return answer;
    }

    const char* m_variable = std::getenv("TREMOLEX_TEST_COMPORT");
    int m_number = m_variable ? std::atoi(m_variable) : 0;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, CommPortContract, StandInDevice);

}  // namespace tremolex
