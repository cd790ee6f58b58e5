// The connect sequence: wake-up byte, probe at 9600, baud switch, each at its time.
#include "tests/core/CoreFixture.h"

namespace ordalis::test {
namespace {

using Strings = std::vector<std::string>;

class ConnectorTest : public CoreTest {
protected:
    ConnectorTest() {
        // The tests end at the identify step.
        identifyBinding = session.callbacks.IdentifyDone.Bind([this](uint16_t status, const uint8_t*, uint8_t) {
            if (status != Sent) identified.push_back(status);
        });
    }
    CompletionSlot::Binding identifyBinding;
    std::vector<uint16_t> identified;
};

TEST_F(ConnectorTest, WakesAtTheRightTimesAndSwitchesTo115200BeforeIdentify) {
    bus.drives = {{1, 115200}};  // left at 115200 by an earlier connection
    session.progressCounter = 7;
    drive.ConnectDrive(3, 115200, 1);
    EXPECT_TRUE(drive.IsConnecting());
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
    EXPECT_FALSE(drive.IsConnecting());
    EXPECT_FALSE(session.link.IsHeld());
}

TEST_F(ConnectorTest, At9600ThePortIsNotReopened) {
    bus.drives = {{10}};
    drive.ConnectDrive(1, 9600, 10);
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
        drive.ConnectDrive(2, 57600, 1);
        Run(interruptAt);
        port.ClearEvents();
        drive.ConnectDrive(2, 57600, 1);
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
    drive.ConnectDrive(4, 9600, 1);
    Run(2000);
    EXPECT_EQ(messages, QStringList{"Serial port COM4 not found"});
    EXPECT_TRUE(port.written.empty());
    EXPECT_FALSE(drive.IsConnecting());
}

// Used to open the failure dialog from inside the link's time-out handling: the lost link
// is reported once the callback has returned, and once for two reports in a row.
TEST_F(ConnectorTest, NoAnswerToTheBaudWriteReportsTheLostLinkAfterTheCallback) {
    drive.BaudSwitchStep(NoAnswer);
    drive.IdentifyDone(NoAnswer);
    EXPECT_EQ(linkLost, 0);
    Run(1);
    EXPECT_EQ(linkLost, 1);
}

// Used to let the poll and user writes go out at 110 baud: from ConnectDrive until the
// port runs at 9600 nothing but the wake-up byte is written.
TEST_F(ConnectorTest, NothingButTheWakeUpByteGoesOutAt110Baud) {
    bus.drives = {{1}};
    drive.StartPoll();
    drive.ConnectDrive(1, 9600, 1);
    EXPECT_FALSE(drive.IsPolling());
    const CommandList write = session.lists.WriteParamList(pid::Cp);
    EXPECT_EQ(drive.SendList(Lev2Queue, write), false);
    EXPECT_EQ(drive.WriteParameter(pid::Cp, 1200, {0, 32767}), WriteOutcome::NotSent);
    EXPECT_EQ(session.mirror.GetI16(pid::Cp), 0);
    drive.RdErrorIntvalTimer();
    Run(159);
    EXPECT_EQ(port.events, (Strings{"0 name COM1", "0 baud 110", "0 open", "50 write 00"}));
}

}  // namespace
}  // namespace ordalis::test
