#include "platform/windows/win32commport.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string>
#include <tuple>
#include <vector>

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

// Bad numbers and settings are refused before any device is touched; a port with nothing
// behind it, in either form of its name, is not found.
TEST(Win32CommPort, OpeningWithoutDeviceFailsSayingWhy) {
    Win32CommPort port;
    const std::tuple<int, const char*, CommPort::Failure, std::string> cases[] = {
        {0, "19200,n,8,1", CommPort::Failure::Refused, ""},
        {256, "19200,n,8,1", CommPort::Failure::Refused, ""},
        {200, "19200,n,8,3", CommPort::Failure::Refused, ""},
        {9, "19200,n,8,1", CommPort::Failure::NotFound, "COM9"},
        {200, "19200,n,8,1", CommPort::Failure::NotFound, "COM200"}};
    for (const auto& [number, settings, failure, device] : cases) {
        port.setCommPort(number);
        port.setSettings(settings);
        const auto result = port.open();
        EXPECT_EQ(std::tuple(result.failure, result.device, result.detail.empty(), port.isOpen()),
                  std::tuple(failure, device, failure == CommPort::Failure::Refused, false))
            << number;
    }
}

// Asks the stand-in (platform/comportdevice.py) to plug, unplug or send, and waits.
void device(const std::string& request, std::string_view bytes = {}) {
    std::cout << "device: " << request;
    for (const unsigned char c : bytes) {
        std::cout << "0123456789abcdef"[c >> 4] << "0123456789abcdef"[c & 15];
    }
    std::cout << std::endl;
    ASSERT_TRUE(std::cin.ignore(1 << 20, '\n').good());
}

bool waitFor(auto condition) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition() && std::chrono::steady_clock::now() < end) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) {
            DispatchMessageW(&message);
        }
    }
    return condition();
}

// Every byte comes through, also bytes read but not taken when the device goes away (before
// the loss is told, once, the port closed); an opening drops text read before it.
TEST(Win32CommPort, DeviceGoingAwayAndComingBack) {
    const char* number = std::getenv("TREMOLEX_TEST_COMPORT");
    if (number == nullptr) {
        GTEST_SKIP() << "runs under platform/comportdevice.py";
    }
    Win32CommPort port;
    port.setCommPort(std::atoi(number) + 1);  // the stand-in links it to /dev/null
    device("plug");
    EXPECT_EQ(port.open().failure, CommPort::Failure::Other);
    port.setCommPort(std::atoi(number));
    bool taking = false;
    std::string received;
    int comms = 0;
    std::vector<bool> openWhenLost;
    port.setEvents([&] { taking ? received += port.input() : (++comms, received); },
                   [&] { openWhenLost.push_back(port.isOpen()); });
    ASSERT_TRUE(port.open().ok());
    device("send ", "10");
    ASSERT_TRUE(waitFor([&] { return comms == 1; }));
    ASSERT_TRUE(port.open().ok());  // with "10" read and not taken
    taking = true;
    const std::string text("512\n1023\r\n\0\xff\x11\x13-7\n", 16);
    device("send ", text);
    ASSERT_TRUE(waitFor([&] { return received.size() >= text.size(); }));
    taking = false;
    device("send ", "70");
    ASSERT_TRUE(waitFor([&] { return comms == 2; }));
    taking = true;
    device("unplug");
    ASSERT_TRUE(waitFor([&] { return !openWhenLost.empty(); }));
    device("plug");
    ASSERT_TRUE(port.open().ok());
    device("send ", "7\n");
    ASSERT_TRUE(waitFor([&] { return received.back() == '\n'; }));
    EXPECT_EQ(std::tuple(received, openWhenLost), std::tuple(text + "707\n", std::vector{false}));
}

}  // namespace tremolex
