#pragma once

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/commport.h"

namespace tremolex {

// What every CommPort does, run with a Device standing for the measuring device and the
// system around it. It has `using Port` (the implementation) and `kShared` (why a second
// opening may succeed there, or nullptr), and: plug() a new device at number(), an old one
// gone first (or says why it cannot, and the test is skipped); unplug(); send(bytes);
// waitFor(condition) running this thread's events for seconds; drain() running late
// events; device(), what number() names in open()'s result; line(), the baud rate and stop
// bits the device sees ("19200,2", ",flow" added when flow control is on; a pseudo-terminal
// keeps 8 bits without parity whatever it is told); absent(), numbers without a device and
// what each names; notSerial(), a number and device that is no serial port; forbid(group),
// which makes the device one the user may not open and names its group (or says why not).
template <typename Device>
class CommPortContract : public testing::Test {
protected:
    Device device;
    typename Device::Port port;
};

TYPED_TEST_SUITE_P(CommPortContract);

// Skips the test when the device cannot be plugged in here.
#define TREMOLEX_PLUG_DEVICE()                                       \
    if (const std::string why = this->device.plug(); !why.empty()) { \
        GTEST_SKIP() << why;                                         \
    }

using CommPortFailure = CommPort::Failure;

// Everything is refused until a number is given, then bad numbers and settings, all before
// any device is touched; numbers with nothing behind them are not found.
TYPED_TEST_P(CommPortContract, RefusesWhatCannotBeUsedAndFindsNoAbsentDevice) {
    EXPECT_EQ(this->port.open().failure, CommPortFailure::Refused);
    const int n = this->device.number();
    std::vector<std::tuple<int, const char*, CommPortFailure, std::string>> cases = {
        {0, "19200,n,8,1", CommPortFailure::Refused, ""},
        {256, "19200,n,8,1", CommPortFailure::Refused, ""},
        {n, "19200,x,8,1", CommPortFailure::Refused, ""},
        {n, "19200,n,8,3", CommPortFailure::Refused, ""},
        {n, "19200,n,9,1", CommPortFailure::Refused, ""},
        {n, "0,n,8,1", CommPortFailure::Refused, ""}};
    for (const auto& [number, device] : this->device.absent()) {
        cases.emplace_back(number, "19200,n,8,1", CommPortFailure::NotFound, device);
    }
    for (const auto& [number, settings, failure, device] : cases) {
        this->port.setCommPort(number);
        this->port.setSettings(settings);
        const auto result = this->port.open();
        EXPECT_EQ(std::tuple(result.failure, result.device, this->port.isOpen()),
                  std::tuple(failure, device, false))
            << number << " " << settings;
        if (failure == CommPortFailure::Refused) {
            EXPECT_EQ(result.detail, "") << number << " " << settings;
        }
    }
}

// Every byte comes through as it was sent: line ends, NULs, XON/XOFF, bytes above 127.
// A device that is no serial port fails in the system's words.
TYPED_TEST_P(CommPortContract, OpensTheDeviceAndHandsOverEveryByte) {
    TREMOLEX_PLUG_DEVICE();
    auto& port = this->port;
    const auto [other, otherDevice] = this->device.notSerial();
    port.setCommPort(other);
    const auto failed = port.open();
    EXPECT_EQ(std::tuple(failed.failure, failed.device, failed.detail.empty(), port.isOpen()),
              std::tuple(CommPortFailure::Other, otherDevice, false, false));

    std::string received;
    port.setEvents([&] { received += port.input(); }, {});
    port.setCommPort(this->device.number());
    const auto result = port.open();
    ASSERT_TRUE(result.ok()) << result.detail;
    EXPECT_EQ(std::tuple(result.device, port.isOpen()), std::tuple(this->device.device(), true));
    const std::string text("512\n1023\r\n\0\xff\x11\x13-7\n", 16);
    this->device.send(text);
    EXPECT_TRUE(this->device.waitFor([&] { return received.size() >= text.size(); }));
    EXPECT_EQ(received, text);
}

// The device sees the rate and stop bits asked for, and no flow control that could hold it
// up; every parity and size of character opens.
TYPED_TEST_P(CommPortContract, LineSettingsReachTheDevice) {
    TREMOLEX_PLUG_DEVICE();
    this->port.setCommPort(this->device.number());
    const std::pair<const char*, const char*> cases[] = {{"9600,n,8,1", "9600,1"},
                                                         {"19200,E,7,2", "19200,2"},
                                                         {"115200,o,6,1", "115200,1"},
                                                         {"300,M,5,1", "300,1"},
                                                         {"57600,s,8,2", "57600,2"}};
    for (const auto& [settings, seen] : cases) {
        this->port.setSettings(settings);
        const auto result = this->port.open();
        ASSERT_TRUE(result.ok()) << settings << ": " << result.detail;
        EXPECT_EQ(this->device.line(), seen) << settings;
    }
}

// Text read but not taken when the device goes away is handed over before the loss is told,
// once, with the port closed by then; an opening, also of an open port, drops what came
// before it; the device plugged in again opens as before; a closed port tells nothing.
TYPED_TEST_P(CommPortContract, DeviceGoingAwayIsToldOnceAndComingBackOpensAgain) {
    TREMOLEX_PLUG_DEVICE();
    auto& port = this->port;
    auto& device = this->device;
    bool taking = false;
    std::string received;
    int comms = 0;
    std::vector<bool> openWhenLost;
    port.setEvents([&] { taking ? received += port.input() : (++comms, received); },
                   [&] { openWhenLost.push_back(port.isOpen()); });
    port.setCommPort(device.number());
    ASSERT_TRUE(port.open().ok());
    device.send("10");
    ASSERT_TRUE(device.waitFor([&] { return comms > 0; }));
    ASSERT_TRUE(port.open().ok());  // with "10" read and not taken
    taking = true;
    device.send("512\n");
    ASSERT_TRUE(device.waitFor([&] { return received.size() >= 4; }));
    taking = false;
    const int told = comms;
    device.send("70");
    ASSERT_TRUE(device.waitFor([&] { return comms > told; }));
    device.drain();  // in case the bytes came in two pieces
    taking = true;
    device.unplug();
    ASSERT_TRUE(device.waitFor([&] { return !openWhenLost.empty(); }));
    device.drain();
    EXPECT_EQ(std::tuple(received, openWhenLost, port.isOpen()),
              std::tuple("512\n70", std::vector{false}, false));

    TREMOLEX_PLUG_DEVICE();
    ASSERT_TRUE(port.open().ok());
    device.send("7\n");
    ASSERT_TRUE(device.waitFor([&] { return received.ends_with('\n'); }));
    EXPECT_EQ(std::tuple(received, openWhenLost), std::tuple("512\n707\n", std::vector{false}));

    port.close();  // after which nothing is told, not even the loss
    port.close();
    device.send("8\n");
    device.unplug();
    device.drain();
    EXPECT_EQ(std::tuple(received, openWhenLost, port.isOpen()),
              std::tuple("512\n707\n", std::vector{false}, false));
}

// A device is opened for one port at a time: the second is told it is in use, the first
// keeps receiving, and once it closes the second opens.
TYPED_TEST_P(CommPortContract, HeldDeviceIsInUseForAnotherPort) {
    if (TypeParam::kShared != nullptr) {
        GTEST_SKIP() << TypeParam::kShared;
    }
    TREMOLEX_PLUG_DEVICE();
    std::string received;
    this->port.setEvents([&] { received += this->port.input(); }, {});
    this->port.setCommPort(this->device.number());
    ASSERT_TRUE(this->port.open().ok());
    typename TypeParam::Port other;
    other.setCommPort(this->device.number());
    const auto result = other.open();
    EXPECT_EQ(std::tuple(result.failure, result.device, other.isOpen()),
              std::tuple(CommPortFailure::InUse, this->device.device(), false));
    this->device.send("512\n");
    EXPECT_TRUE(this->device.waitFor([&] { return received == "512\n"; }));
    this->port.close();
    EXPECT_TRUE(other.open().ok());
}

// A device the user may not open says so, with the group that may.
TYPED_TEST_P(CommPortContract, ForbiddenDeviceNamesItsGroup) {
    TREMOLEX_PLUG_DEVICE();
    std::string group;
    if (const std::string why = this->device.forbid(group); !why.empty()) {
        GTEST_SKIP() << why;
    }
    this->port.setCommPort(this->device.number());
    const auto result = this->port.open();
    EXPECT_EQ(std::tuple(result.failure, result.group, this->port.isOpen()),
              std::tuple(CommPortFailure::NoPermission, group, false));
    EXPECT_NE(group, "");
}

REGISTER_TYPED_TEST_SUITE_P(CommPortContract, RefusesWhatCannotBeUsedAndFindsNoAbsentDevice,
                            OpensTheDeviceAndHandsOverEveryByte, LineSettingsReachTheDevice,
                            DeviceGoingAwayIsToldOnceAndComingBackOpensAgain,
                            HeldDeviceIsInUseForAnotherPort, ForbiddenDeviceNamesItsGroup);

#undef TREMOLEX_PLUG_DEVICE

}  // namespace tremolex
