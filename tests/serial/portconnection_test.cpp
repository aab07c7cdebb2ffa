#include "serial/portconnection.h"

#include <gtest/gtest.h>

#include <tuple>

#include "app/form1state.h"
#include "fakes/fakecommport.h"
#include "fakes/fakekeystore.h"
#include "fakes/fakewidgets.h"

namespace tremolex {
namespace {

class PortConnectionTest : public testing::Test {
protected:
    Form1State state;
    FakeCommPort comm;
    FakeLabel statusLabel;
    FakeDialogs dialogs;
    FakeKeyStore keys;
    SettingsStore settings{keys};
    FakeTimer retry;
    PortConnection port = PortConnection(
        {state.portnum, state.baudrate, state.portready, state.apptitle, state.rxbuffer}, comm,
        statusLabel, dialogs, settings, retry);
};

TEST_F(PortConnectionTest, StoredNumbersRoundHalvesToEven) {
    const std::pair<const char*, int> cases[] = {{"4.5", 4}, {"5.5", 6}, {"abc", 0}, {"1e30", 0}};
    for (const auto& [text, number] : cases) {
        settings.regwrite("Serial Port Number", text);
        port.openStoredPort();
        EXPECT_EQ(statusLabel.caption, "Serial port " + std::to_string(number) + " error!");
    }
    EXPECT_EQ(statusLabel.backColor, PortConnection::kErrorColor);
}

// A search goes from 12 down, stops at the first port that opens and stores it; when none
// opens, the number it started with is stored whole and tried again. The setting is written
// once, at the end: a crash during the search leaves the number stored before it.
TEST_F(PortConnectionTest, SearchStoresOnlyTheNumberItEndsWith) {
    const std::tuple<const char*, int, std::vector<std::int32_t>, const char*> cases[] = {
        {"7.5", 0, {8, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 8}, "8"},
        {"7", 9, {7, 12, 11, 10, 9}, "9"},
        {"abc", 12, {0, 12}, "12"}};
    for (const auto& [stored, device, opened, final] : cases) {
        keys.data.clear();
        comm = {};
        if (device != 0) {
            comm.ports[device] = {CommPort::Failure::None, "/dev/ttyUSB0", "", ""};
        }
        settings.regwrite("Serial Port Number", stored);
        port.openStoredPort();
        keys.writes.clear();
        port.scanports();
        EXPECT_EQ(comm.opened, opened) << stored;
        EXPECT_EQ(settings.regread("Serial Port Number", ""), final) << stored;
        EXPECT_EQ(keys.writes["Serial Port Number"], 1) << stored;
        EXPECT_EQ(statusLabel.caption,
                  "Serial port " + std::string(final) + (device != 0 ? " ready" : " error!"));
    }
}

// Answers in turn, from port 2; an answer that is no port number keeps the port and says so.
TEST_F(PortConnectionTest, PortDialogAnswers) {
    const std::tuple<std::string, std::int32_t, bool> cases[] = {
        {"", 2, false},   {"13", 2, true},   {"03", 2, true}, {" 7", 2, true},
        {"abc", 2, true}, {"12", 12, false}, {"7", 7, false}};
    port.openStoredPort();
    for (const auto& [answer, number, wrong] : cases) {
        dialogs = {};
        dialogs.answers = {answer};
        port.menuport_Click();
        EXPECT_EQ(comm.opened.back(), number) << answer;  // stored and reopened in every case
        EXPECT_EQ(dialogs.messages.size(), wrong ? 1u : 0u) << answer;
    }
    EXPECT_EQ(dialogs.inputs.at(0).defaultText, "12");  // the port in use
}

TEST_F(PortConnectionTest, TooltipSaysWhy) {
    comm.ports[2] = {CommPort::Failure::NoPermission, "/dev/ttyUSB0", "dialout", ""};
    port.openStoredPort();
    EXPECT_EQ(statusLabel.toolTip,
              "Serial port 2: /dev/ttyUSB0 - no permission: join the group dialout "
              "(sudo usermod -aG dialout $USER), then log in again");
}

// From the defaults: port 2 at 19200 baud.
TEST_F(PortConnectionTest, LostDeviceIsRetriedUntilItIsBack) {
    port.openStoredPort();
    port.portLost();
    retry.fire();
    EXPECT_TRUE(retry.onTick);  // still trying
    comm.ports[2] = {CommPort::Failure::None, "/dev/ttyUSB0", "", ""};
    retry.fire();
    EXPECT_TRUE(state.portready);
    EXPECT_FALSE(retry.onTick);  // stopped
    EXPECT_EQ(comm.settingsUsed.back(), "19200,n,8,1");
    port.scanports();
    EXPECT_EQ(comm.opened.size(), 3u);  // ready: nothing to search for
}

}  // namespace
}  // namespace tremolex
