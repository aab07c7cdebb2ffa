#include "serial/portconnection.h"

#include <gtest/gtest.h>

#include "app/state/form1state.h"
#include "fakes/fakecommport.h"
#include "fakes/fakekeystore.h"
#include "fakes/fakewidgets.h"

namespace tremolex {
namespace {

class PortConnectionTest : public testing::Test {
protected:
    PortConnectionTest() { state.apptitle = "Tremolex"; }
    void portWorks(std::int32_t n) {
        comm.ports[n] = {CommPort::Failure::None, "/dev/ttyUSB0", "", ""};
    }
    std::string storedPort() { return settings.regread("Serial Port Number", "?"); }

    Form1State state;
    FakeCommPort comm;
    FakeLabel Label1;
    FakeDialogs dialogs;
    FakeKeyStore keys;
    Module1 settings{keys};
    FakeTimer retry;
    PortConnection port{
        {state.portnum, state.baudrate, state.portready, state.apptitle, state.rxbuffer},
        comm,
        Label1,
        dialogs,
        settings,
        retry};
};

TEST_F(PortConnectionTest, FirstOpeningStoresTheDefaultsAndShowsReady) {
    portWorks(2);
    port.openport();
    EXPECT_TRUE(state.portready);
    EXPECT_EQ(Label1.caption, "Serial port 2 ready");
    EXPECT_EQ(Label1.backColor, PortConnection::kReadyColor);
    EXPECT_EQ(comm.settingsUsed.back(), "19200,n,8,1");
    EXPECT_EQ(storedPort(), "2");
    EXPECT_EQ(settings.regread("Serial Port Baud Rate", "?"), "19200");
    port.scanports();
    EXPECT_EQ(comm.opened.size(), 1u);  // nothing to search for
}

TEST_F(PortConnectionTest, StoredNumbersRoundHalvesToEven) {
    const std::pair<const char*, std::int32_t> cases[] = {
        {"4.5", 4}, {"5.5", 6}, {"abc", 0}, {"1e30", 0}};
    for (const auto& [text, number] : cases) {
        settings.regwrite("Serial Port Number", text);
        port.openport();
        EXPECT_EQ(comm.opened.back(), number) << text;
        EXPECT_EQ(Label1.caption, "Serial port " + std::to_string(number) + " error!");
        EXPECT_EQ(Label1.backColor, PortConnection::kErrorColor);
    }
}

TEST_F(PortConnectionTest, SearchGoesFromTwelveDownAndKeepsTheFirstThatOpens) {
    portWorks(5);
    portWorks(3);
    port.openport();
    port.scanports();
    EXPECT_EQ(comm.opened, (std::vector<std::int32_t>{2, 12, 11, 10, 9, 8, 7, 6, 5}));
    EXPECT_EQ(storedPort(), "5");
    EXPECT_EQ(Label1.caption, "Serial port 5 ready");
}

TEST_F(PortConnectionTest, SearchWithoutAnyPortPutsTheStoredNumberBack) {
    settings.regwrite("Serial Port Number", "7");
    port.openport();
    port.scanports();
    EXPECT_EQ(comm.opened,
              (std::vector<std::int32_t>{7, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 7}));
    EXPECT_EQ(storedPort(), "7");
    EXPECT_EQ(Label1.caption, "Serial port 7 error!");
}

TEST_F(PortConnectionTest, PortDialogAnswers) {
    struct Case {
        std::string answer;
        std::int32_t port;
        bool wrong;
    };
    const Case cases[] = {{"7", 7, false}, {"12", 12, false}, {"", 2, false},  {"13", 2, true},
                          {"03", 2, true}, {" 7", 2, true},   {"abc", 2, true}};
    for (const Case& c : cases) {
        settings.regwrite("Serial Port Number", "2");
        port.openport();
        dialogs = {};
        dialogs.answers = {c.answer};
        port.menuport_Click();
        ASSERT_EQ(dialogs.inputs.size(), 1u);
        EXPECT_EQ(dialogs.inputs[0].text, "Please select Serial Port Number [1-12].");
        EXPECT_EQ(dialogs.inputs[0].title, "Tremolex");
        EXPECT_EQ(dialogs.inputs[0].defaultText, "2");
        EXPECT_EQ(comm.opened.back(), c.port) << c.answer;  // reopened in every case
        EXPECT_EQ(storedPort(), std::to_string(c.port));
        EXPECT_EQ(dialogs.messages.size(), c.wrong ? 1u : 0u) << c.answer;
    }
    EXPECT_EQ(Label1.caption, "Serial port 2 error!");
}

TEST_F(PortConnectionTest, TooltipSaysWhy) {
    comm.ports[2] = {CommPort::Failure::NoPermission, "/dev/ttyUSB0", "dialout", ""};
    port.openport();
    EXPECT_EQ(Label1.toolTip,
              "Serial port 2: /dev/ttyUSB0 - no permission: join the group dialout "
              "(sudo usermod -aG dialout $USER), then log in again");
    comm.ports[2] = {CommPort::Failure::InUse, "/dev/ttyUSB0", "", ""};
    port.openport();
    EXPECT_EQ(Label1.toolTip, "Serial port 2: /dev/ttyUSB0 - in use by another program");
}

TEST_F(PortConnectionTest, LostDeviceIsRetriedUntilItIsBack) {
    portWorks(2);
    port.openport();
    comm.ports.erase(2);
    port.portLost();
    EXPECT_FALSE(state.portready);
    EXPECT_EQ(Label1.caption, "Serial port 2 error!");
    EXPECT_EQ(retry.interval, PortConnection::kRetryInterval);
    retry.fire();
    EXPECT_FALSE(state.portready);
    EXPECT_TRUE(retry.onTick);
    portWorks(2);
    retry.fire();
    EXPECT_TRUE(state.portready);
    EXPECT_EQ(Label1.caption, "Serial port 2 ready");
    EXPECT_FALSE(retry.onTick);  // stopped
    EXPECT_EQ(dialogs.inputs.size(), 0u);
}

}  // namespace
}  // namespace tremolex
