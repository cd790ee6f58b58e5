// The drive session without a widget: connect, read-back, poll, lost link, and what a
// window asks of it (poll registrations, parameter writes).
#include <algorithm>

#include "tests/core/CoreFixture.h"

namespace ordalis::test {
namespace {

class DriveSessionTest : public CoreTest {
protected:
    DriveSessionTest() {
        QObject::connect(&drive, &DriveSession::ReadBackProgress, [this](int done, int) { progress.push_back(done); });
        QObject::connect(&drive, &DriveSession::ReadBackDone, [this] { ++readBackDone; });
        QObject::connect(&drive, &DriveSession::DriveReady, [this](const QString& m) { ready << m; });
        QObject::connect(&drive, &DriveSession::ReadBackFailed, [this](const QString& t) { failed << t; });
    }
    // Port events after `from` that write a request, e.g. "C137@1".
    std::vector<std::string> Requests(size_t from = 0) const {
        std::vector<std::string> out;
        for (size_t i = from; i < port.events.size(); ++i) {
            const std::string& e = port.events[i];
            const auto at = e.find(" write ");
            if (at != std::string::npos) out.push_back(e.substr(at + 7));
        }
        return out;
    }
    long long TimeOf(const std::string& request) const {
        for (const auto& e : port.events)
            if (e.ends_with(" write " + request)) return std::stoll(e.substr(0, e.find(' ')));
        return -1;
    }
    std::vector<int> progress;
    int readBackDone = 0;
    QStringList ready, failed;
};

TEST_F(DriveSessionTest, ConnectReadBackPollAndLinkLost) {
    bus.drives = {{1, 9600, "TR560"}};
    drive.ConnectDrive(1, 57600, 1);
    Run(3000);

    EXPECT_EQ(progress.size(), 34u);
    EXPECT_EQ(readBackDone, 1);
    EXPECT_EQ(ready, QStringList{"TR560"});
    EXPECT_EQ(drive.CurrentPhase(), DriveSession::Phase::Connected);
    EXPECT_TRUE(drive.IsPolling());
    // The second read-back request waits 100 ms after the first answer.
    EXPECT_GE(TimeOf("C1@1") - TimeOf("C0@1"), 100);
    // The watchdog poll: 137 and 138 every 300 ms.
    const size_t mark = port.events.size();
    Run(600);
    EXPECT_EQ(Requests(mark), (std::vector<std::string>{"C137@1", "C138@1", "C137@1", "C138@1"}));

    // The drive goes away: four tries of 200 ms, then one lost link and no more frames.
    bus.drives.clear();
    Run(2000);
    EXPECT_EQ(linkLost, 1);
    EXPECT_FALSE(drive.IsPolling());
    EXPECT_EQ(drive.CurrentPhase(), DriveSession::Phase::Idle);
    const size_t after = port.written.size();
    Run(2000);
    EXPECT_EQ(port.written.size(), after);
}

TEST_F(DriveSessionTest, Hv120AndUnknownModelsReadBackWithoutPoll) {
    const struct {
        const char* model;
        size_t reads;
        int ready;
    } cases[] = {{"HV120", 24, 1}, {"XY999", 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        progress.clear();
        ready.clear();
        bus.drives = {{1, 9600, c.model}};
        drive.ConnectDrive(1, 9600, 1);
        Run(3000);
        EXPECT_EQ(progress.size(), c.reads);
        EXPECT_EQ(ready.size(), c.ready);
        EXPECT_FALSE(drive.IsPolling());
    }
}

// A refused record or a drive condition code used to leave the progress display open for
// good, and a 132 used to bring the panel back over a partly stale mirror: the read-back
// ends with a message naming the record, and the drive is not reported ready.
TEST_F(DriveSessionTest, ARefusedReadBackRecordEndsTheReadBackWithItsName) {
    const struct {
        uint8_t code;
    } cases[] = {{1}, {5}, {129}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        failed.clear();
        ready.clear();
        bus.drives = {{1, 9600, "LQ340", 0, 99, c.code}};
        drive.ConnectDrive(1, 9600, 1);
        Run(4000);
        ASSERT_EQ(failed.size(), 1);
        EXPECT_TRUE(failed[0].contains("99")) << failed[0].toStdString();
        EXPECT_TRUE(ready.isEmpty());
        EXPECT_FALSE(drive.IsPolling());
        EXPECT_NE(drive.CurrentPhase(), DriveSession::Phase::Connected);
    }
}

TEST_F(DriveSessionTest, FaultBitAfterReadBackGivesTheCodeAndNoPoll) {
    session.settings.LanguageIndex = 1;
    bus.drives = {{1, 9600, "LQ340"}};
    // The fake drive answers reads with no data: the mirror keeps what is set here.
    session.mirror.SetU16(pid::StatusWord, 0x0800);
    session.mirror.SetU16(pid::FaultCode, 0x1F);
    drive.ConnectDrive(1, 9600, 1);
    Run(3000);
    EXPECT_EQ(readBackDone, 1);
    EXPECT_EQ(messages, QStringList{"Error:EC=1F"});
    EXPECT_TRUE(ready.isEmpty());
    EXPECT_FALSE(drive.IsPolling());
}

// Windows ask for the poll they need while visible; the ticks of a slow cycle add nothing.
TEST_F(DriveSessionTest, PollRegistrationsChooseTheListAndSlowCyclesDoNotPileUp) {
    bus.drives = {{1}};
    port.SetBaudRate(9600);
    ASSERT_EQ(port.Open(), PortOpenError::None);
    session.link.SlaveAddress = 1;
    int monitorRefreshes = 0, paraRefreshes = 0;
    {
        PollRegistration monitor = drive.RegisterPoll(PollKind::Monitor, [&] { ++monitorRefreshes; });
        PollRegistration para = drive.RegisterPoll(PollKind::Parameters, [&] { ++paraRefreshes; });
        port.ClearEvents();
        drive.RdErrorIntvalTimer();
        drive.RdErrorIntvalTimer();  // the cycle still runs: nothing added
        Run(100);
        EXPECT_EQ(Requests(), (std::vector<std::string>{"C20@1", "C151@1", "C139@1", "C137@1", "C138@1", "C0@1",
                                                       "C1@1", "C127@1", "C128@1"}));
        EXPECT_EQ(monitorRefreshes, 1);
        EXPECT_EQ(paraRefreshes, 1);
    }
    port.ClearEvents();
    drive.RdErrorIntvalTimer();
    Run(100);
    EXPECT_EQ(Requests(), (std::vector<std::string>{"C137@1", "C138@1"}));
    EXPECT_EQ(monitorRefreshes, 1);

    // A drive that stopped answering: the ticks during the re-sends add no copies.
    bus.drives.clear();
    port.ClearEvents();
    drive.RdErrorIntvalTimer();
    for (int i = 0; i < 4; ++i) {
        Run(150);
        drive.RdErrorIntvalTimer();
    }
    Run(1000);
    EXPECT_EQ(Requests(), (std::vector<std::string>{"C137@1", "C137@1", "C137@1", "C137@1"}));
    EXPECT_EQ(linkLost, 1);
}

TEST_F(DriveSessionTest, WriteParameterComparesChecksStoresAndQueues) {
    bus.drives = {{1}};
    ASSERT_EQ(port.Open(), PortOpenError::None);
    session.link.SlaveAddress = 1;
    session.mirror.SetI16(pid::Cp, 1000);
    EXPECT_EQ(drive.WriteParameter(pid::Cp, 1000, {0, 32767}), WriteOutcome::Unchanged);
    EXPECT_EQ(drive.WriteParameter(pid::Cp, 40000, {0, 32767}), WriteOutcome::OutOfRange);
    EXPECT_EQ(session.mirror.GetI16(pid::Cp), 1000);
    EXPECT_EQ(drive.WriteParameter(pid::ModelName, 1, {0, 1}), WriteOutcome::Unknown);
    EXPECT_TRUE(port.written.empty());
    EXPECT_EQ(drive.WriteParameter(pid::Cp, 1200, {0, 32767}), WriteOutcome::Queued);
    EXPECT_EQ(session.mirror.GetI16(pid::Cp), 1200);
    // A second write while the first is on its way goes out after it; any write after a
    // lost link is neither stored nor sent: the mirror keeps matching the drive.
    EXPECT_EQ(drive.WriteParameter(pid::Ci, 50, {0, 32767}), WriteOutcome::Queued);
    Run(10);
    EXPECT_EQ(Requests(), (std::vector<std::string>{"D0@1", "D1@1"}));
    bus.drives.clear();
    EXPECT_EQ(drive.WriteParameter(pid::Cp, 1300, {0, 32767}), WriteOutcome::Queued);
    Run(1000);
    ASSERT_TRUE(session.link.IsLinkLost());
    EXPECT_EQ(drive.WriteParameter(pid::Cp, 1400, {0, 32767}), WriteOutcome::NotSent);
    EXPECT_EQ(session.mirror.GetI16(pid::Cp), 1300);
    EXPECT_FALSE(drive.SendList(Lev2Queue, session.lists.EepromSaveList));
}

}  // namespace
}  // namespace ordalis::test
