// The receive path as the window wires it (real port on a pseudo-terminal, connection,
// reception, store), under what a bench throws at it: a device that keeps going away and
// coming back, also under another name, one that floods the line without a line feed, and
// a busy window.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDialog>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "app/form1state.h"
#include "fakes/fakeclock.h"
#include "fakes/fakekeystore.h"
#include "fakes/fakewidgets.h"
#include "logfile/logfiles.h"
#include "logfile/logformat.h"
#include "platform/qt/qtcommport.h"
#include "serial/portconnection.h"
#include "serial/samplereception.h"
#include "support/eventloop.h"
#include "support/pseudoterminal.h"

namespace tremolex {
namespace {

class DeviceFaultsTest : public testing::Test {
protected:
    DeviceFaultsTest() {
        mapAllPortsAway();
        mapPort(2, device.slavePath());
        comm.setEvents(
            [this] {
                const std::string_view input = comm.input();
                largestInput = std::max(largestInput, input.size());
                taken += input.size();
                reception.receive(input);
            },
            [this] {
                ++losses;
                connection.portLost();
            });
        connection.openStoredPort();
    }

    PseudoTerminal device;
    Form1State state;
    FakeClock clock;
    FakeKeyStore keys;
    SettingsStore settings{keys};
    FakeLabel label;
    FakeDialogs dialogs;
    FakeTimer retry;  // fired by the test: no waiting out the retry interval
    // Stands in for /dev/serial/by-id; absent unless a test makes it.
    const std::filesystem::path byId = std::filesystem::path(std::getenv("HOME")) / "by-id";
    QtCommPort comm{byId};
    SampleReception reception{state.rxbuffer, state.samples, state.times, clock};
    PortConnection connection = PortConnection(
        {state.portnum, state.baudrate, state.portready, state.apptitle, state.rxbuffer}, comm,
        label, dialogs, settings, retry);
    std::size_t largestInput = 0;
    std::atomic<std::size_t> taken = 0;
    int losses = 0;
};

// The device is written to only while the port is open, that is from the moment the
// status says ready. Each session ends in the middle of a line, which the device never
// finishes: that line must not be joined to the first line of the next session.
TEST_F(DeviceFaultsTest, DeviceAwayAndBackTwentyTimesLosesAndRepeatsNothing) {
    std::vector<std::int16_t> sent;
    for (int session = 1; session <= 20; ++session) {
        ASSERT_TRUE(state.portready) << session << ": " << label.toolTip;
        for (int k = 0; k < 10; ++k) {
            sent.push_back(static_cast<std::int16_t>(session * 37 + k * 101 - 50));
            ASSERT_TRUE(sendAll(device, std::to_string(sent.back()) + '\n'));
        }
        ASSERT_TRUE(sendAll(device, "10"));
        ASSERT_TRUE(waitFor([&] {
            return state.samples.samplecount() == std::ssize(sent) && state.rxbuffer.text() == "10";
        })) << session;
        device.hangUp();
        ASSERT_TRUE(waitFor([&] { return losses == session; })) << session;
        device.reopen();
        mapPort(2, device.slavePath());
        retry.fire();
    }
    EXPECT_THAT(state.samples.samples(), testing::ElementsAreArray(sent));
    EXPECT_EQ(losses, 20);  // each loss told once
}

// 10 MB without a line feed: the line is dropped whole, the port is read as the text
// comes, and the readings after the line feed are stored. (How the unfinished line is
// held is the reception's own, checked by its fuzz target for any cut into events.)
TEST_F(DeviceFaultsTest, FloodWithoutLineFeedIsDroppedAndLaterLinesAreStored) {
    // Digits, so a line cut short and kept would read as a number. The limit only ends a
    // test that hangs: 10 MB takes about a second under the sanitizers.
    ASSERT_TRUE(sendAll(device, std::string(10 << 20, '7'), 120'000));
    ASSERT_TRUE(sendAll(device, "\n512\n-7\n0\n"));
    ASSERT_TRUE(waitFor([&] { return state.samples.samplecount() == 3; }));
    EXPECT_THAT(state.samples.samples(), testing::ElementsAre(512, -7, 0));
    EXPECT_LT(largestInput, std::size_t{1} << 20);  // what the kernel holds, not the flood
}

// A modal dialog open, then a log of 100000 readings loaded: the text a device sends at 115200
// baud never waits unread beyond the 4 KB a serial line's kernel buffer holds before it loses.
TEST_F(DeviceFaultsTest, BusyWindowKeepsUpWithTheLineAt115200Baud) {
    const std::string log = std::string(std::getenv("HOME")) + "/full.log";
    std::ofstream(log, std::ios::binary) << formatLog(std::vector<std::int16_t>(100000, 512));
    FakeFileDialog fileDialog;
    fileDialog.answers = {log};
    LogFiles logFiles({state.lastpath, state.samples, state.times, state.apptitle}, fileDialog,
                      dialogs, settings, clock, [] {});
    std::string text(3 * 11520, '7');  // three seconds of the line: 10 bits a byte
    for (std::size_t i = 3; i < text.size(); i += 4) {
        text[i] = '\n';
    }
    std::atomic<std::size_t> sent = 0, mostUnread = 0;
    std::thread line([&] {
        const auto start = std::chrono::steady_clock::now();
        for (std::chrono::duration<double> since{}; sent < text.size() && since.count() < 20;
             since = std::chrono::steady_clock::now() - start) {
            const auto due = std::min(text.size(), static_cast<std::size_t>(since.count() * 11520));
            sent += device.write(std::string_view(text).substr(sent, due - sent));
            mostUnread = std::max<std::size_t>(mostUnread, sent - taken);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    QDialog dialog;
    QTimer::singleShot(1000, &dialog, &QDialog::accept);
    dialog.exec();
    logFiles.menuload_Click();
    EXPECT_TRUE(waitFor([&] { return taken == text.size(); })) << taken << " of " << text.size();
    line.join();
    EXPECT_LT(mostUnread, 4096u);
    EXPECT_EQ(state.samples.samplecount(), 100000);  // loaded while the text came
}

// How the device comes back after it went away, and which pseudo-terminal the port then
// reads: B, C, or none ('-').
struct Return {
    const char* name;
    bool linkedAtOpen;      // the device had a by-id link when the port opened
    const char* linkAfter;  // the by-id link that leads to B then, "" for none
    bool numberToC;         // the port number now names C, another device
    bool userChooses;       // the port is chosen again in the dialog instead of the retry
    char reads;
};

void PrintTo(const Return& how, std::ostream* out) {
    *out << how.name;
}

constexpr const char* kAdapter = "usb-Maker_Adapter_123-if00-port0";

class DeviceReturnTest : public DeviceFaultsTest, public testing::WithParamInterface<Return> {};

// A USB device found again under another node reads on at the same port number, under the
// same caption; no other device is taken for it, and without a by-id link the port number
// alone decides, as it always did. The port first reads the device A at port 2's node.
TEST_P(DeviceReturnTest, UsbDeviceIsFoundAgainByItsStableNameAndNoOtherIsTaken) {
    namespace fs = std::filesystem;
    const Return& how = GetParam();
    fs::remove_all(byId);  // links of an earlier test may lead to this one's devices
    fs::create_directories(byId);
    if (how.linkedAtOpen) {
        fs::create_symlink(device.slavePath(), byId / kAdapter);
    }
    connection.openStoredPort();  // as at the start: the link is there now
    ASSERT_TRUE(state.portready) << label.toolTip;
    ASSERT_TRUE(sendAll(device, "100\n"));
    ASSERT_TRUE(waitFor([&] { return state.samples.samplecount() == 1; }));

    PseudoTerminal b, c;  // made while A lives, so neither has A's node
    device.hangUp();
    ASSERT_TRUE(waitFor([&] { return losses == 1; }));
    fs::remove(byId / kAdapter);  // as udev does for a device unplugged
    if (*how.linkAfter != '\0') {
        fs::create_symlink(b.slavePath(), byId / how.linkAfter);
    }
    if (how.numberToC) {
        mapPort(2, c.slavePath());
    }
    if (how.userChooses) {
        dialogs.answers = {"2"};
        connection.menuport_Click();
    } else {
        retry.fire();
    }

    const bool opened = how.reads != '-';
    EXPECT_EQ(
        std::tuple(label.caption, state.portnum, state.portready, comm.isOpen()),
        std::tuple(opened ? "Serial port 2 ready" : "Serial port 2 error!", 2, opened, opened));
    if (!opened && how.linkedAtOpen) {
        // Still looked for: found once its link leads somewhere.
        EXPECT_TRUE(retry.onTick);
        fs::create_symlink(b.slavePath(), byId / kAdapter);
        retry.fire();
        ASSERT_TRUE(state.portready) << label.toolTip;
    } else if (!opened) {
        EXPECT_TRUE(retry.onTick);
        return;
    }
    PseudoTerminal& reader = how.reads == 'C' ? c : b;
    EXPECT_EQ(label.toolTip, "Serial port 2: " + fs::canonical(reader.slavePath()).string());
    ASSERT_TRUE(sendAll(reader, "200\n"));
    ASSERT_TRUE(waitFor([&] { return state.samples.samplecount() == 2; }));
    EXPECT_THAT(state.samples.samples(), testing::ElementsAre(100, 200));
}

INSTANTIATE_TEST_SUITE_P(
    , DeviceReturnTest,
    testing::Values(
        Return{"UnderAnotherNode", true, kAdapter, false, false, 'B'},
        Return{"UnderAnotherNodeWithAnotherDeviceAtTheNumber", true, kAdapter, true, false, 'B'},
        Return{"AnotherAdapter", true, "usb-Other_Adapter_456-if00-port0", false, false, '-'},
        Return{"LinkGone", true, "", false, false, '-'},
        Return{"LinkGoneAndAnotherDeviceAtTheNumber", true, "", true, false, '-'},
        Return{"UserChoosesThePortAgain", true, "", true, true, 'C'},
        Return{"NoStableNameAtOpen", false, kAdapter, true, false, 'C'},
        Return{"NoStableNameAtOpenAndNothingAtTheNumber", false, kAdapter, false, false, '-'}),
    [](const testing::TestParamInfo<Return>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tremolex
