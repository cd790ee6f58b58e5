// The connect sequence: wake-up byte, probe at 9600, baud switch, each at its time.
#include "tests/wizard/WizardFixture.h"

namespace ordalis::test {
namespace {

using Strings = std::vector<std::string>;

class ConnectorTest : public WizardTest {};

TEST_F(ConnectorTest, WakesAtTheRightTimesAndSwitchesTo115200BeforeIdentify) {
    bus.drives = {{1, 115200}};  // left at 115200 by an earlier connection
    session.progressCounter = 7;
    connector.ConnectDrive(3, 115200, 1);
    EXPECT_TRUE(connector.IsConnecting());
    Run(1000);

    EXPECT_EQ(port.events, (Strings{
                               "0 name COM3", "0 baud 110", "0 open",
                               "50 write 00",             // the wake-up byte, 50 ms after the open
                               "160 baud 9600",           // 110 ms later
                               "160 write A@1",           // ProbeList: communication test
                               "160 write D53@1",         // the new rate, sent at 9600 on the answer
                               "360 close", "360 baud 115200", "360 open",  // 200 ms later
                               "460 write C55@1",         // 100 ms after the reopen
                           }));
    EXPECT_EQ(identified, (std::vector<uint16_t>{Answered}));
    EXPECT_EQ(session.mirror.GetI32(53), 115200);
    EXPECT_EQ(session.progressCounter, 0);
    EXPECT_EQ(session.link.SlaveAddress, 1);
    EXPECT_FALSE(connector.IsConnecting());
    EXPECT_FALSE(session.link.IsHeld());
}

TEST_F(ConnectorTest, At9600ThePortIsNotReopened) {
    bus.drives = {{10}};
    connector.ConnectDrive(1, 9600, 10);
    Run(1000);
    EXPECT_EQ(port.events, (Strings{"0 name COM1", "0 baud 110", "0 open", "50 write 00", "160 baud 9600",
                                    "160 write A@10", "160 write D53@10", "360 write C55@10"}));
    EXPECT_EQ(identified, (std::vector<uint16_t>{Answered}));
}

TEST_F(ConnectorTest, ASecondConnectRestartsTheSequenceInsteadOfRunningTwo) {
    bus.drives = {{1}};
    for (int interruptAt : {30, 250}) {  // during the wake-up, during the baud switch
        SCOPED_TRACE(interruptAt);
        identified.clear();
        connector.ConnectDrive(2, 57600, 1);
        Run(interruptAt);
        port.ClearEvents();
        connector.ConnectDrive(2, 57600, 1);
        Run(1500);
        int wakeBytes = 0, probes = 0;
        for (const auto& e : port.events) {
            wakeBytes += e.ends_with(" write 00");
            probes += e.ends_with(" write A@1");
        }
        EXPECT_EQ(wakeBytes, 1);
        EXPECT_EQ(probes, 1);
        EXPECT_EQ(identified, (std::vector<uint16_t>{Answered}));
        EXPECT_FALSE(session.link.IsHeld());
    }
}

TEST_F(ConnectorTest, APortThatCannotBeOpenedIsReportedAndNothingIsSent) {
    port.openResults["COM4"] = PortOpenError::NoSuchPort;
    session.settings.LanguageIndex = 1;
    connector.ConnectDrive(4, 9600, 1);
    Run(2000);
    EXPECT_EQ(prompt.messages, QStringList{"Serial port COM4 not found"});
    EXPECT_TRUE(port.written.empty());
    EXPECT_FALSE(connector.IsConnecting());
}

TEST_F(ConnectorTest, NoAnswerToTheBaudWriteOpensTheFailureDialog) {
    connector.BaudSwitchStep(NoAnswer, nullptr, 0);
    EXPECT_EQ(shell.failures, 1);
}

}  // namespace
}  // namespace ordalis::test
