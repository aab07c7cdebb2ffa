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
    FakeLabel Label1;
    FakeDialogs dialogs;
    FakeKeyStore keys;
    Module1 settings{keys};
    FakeTimer retry;
    PortConnection port = PortConnection(
        {state.portnum, state.baudrate, state.portready, state.apptitle, state.rxbuffer}, comm,
        Label1, dialogs, settings, retry);
};

TEST_F(PortConnectionTest, StoredNumbersRoundHalvesToEven) {
    const std::pair<const char*, int> cases[] = {{"4.5", 4}, {"5.5", 6}, {"abc", 0}, {"1e30", 0}};
    for (const auto& [text, number] : cases) {
        settings.regwrite("Serial Port Number", text);
        port.openport();
        EXPECT_EQ(Label1.caption, "Serial port " + std::to_string(number) + " error!");
    }
    EXPECT_EQ(Label1.backColor, PortConnection::kErrorColor);
}

// A search goes from 12 down and, when no port opens, puts the stored number back (each
// opening reads the number it opens from the settings). That it stops at the first port that
// opens, the first start of the real program shows.
TEST_F(PortConnectionTest, SearchGoesFromTwelveDownAndElsePutsTheStoredNumberBack) {
    settings.regwrite("Serial Port Number", "7");
    port.openport();
    port.scanports();
    EXPECT_EQ(comm.opened,
              (std::vector<std::int32_t>{7, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 7}));
}

// Answers in turn, from port 2; an answer that is no port number keeps the port and says so.
TEST_F(PortConnectionTest, PortDialogAnswers) {
    const std::tuple<std::string, std::int32_t, bool> cases[] = {
        {"", 2, false},   {"13", 2, true},   {"03", 2, true}, {" 7", 2, true},
        {"abc", 2, true}, {"12", 12, false}, {"7", 7, false}};
    port.openport();
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
    port.openport();
    EXPECT_EQ(Label1.toolTip,
              "Serial port 2: /dev/ttyUSB0 - no permission: join the group dialout "
              "(sudo usermod -aG dialout $USER), then log in again");
}

// From the defaults: port 2 at 19200 baud.
TEST_F(PortConnectionTest, LostDeviceIsRetriedUntilItIsBack) {
    port.openport();
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
