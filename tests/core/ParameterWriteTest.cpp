// The session's write path: writes asked for while the Lev2Queue is busy, and writes the
// drive refuses.
#include <QObject>
#include <algorithm>

#include "core/WriteTexts.h"
#include "tests/core/CoreFixture.h"

namespace ordalis::test {
namespace {

std::vector<std::string> Frames(const TimedPort& port, size_t from = 0) { return DecodedRequests(port, from); }

class ParameterWriteTest : public CoreTest {
protected:
    ParameterWriteTest() {
        bus.drives = {{1}};
        EXPECT_EQ(port.Open(), PortOpenError::None);
        session.link.SlaveAddress = 1;
        QObject::connect(&drive, &DriveSession::WriteRefused,
                         [this](uint16_t id, uint16_t status) { refused.push_back({id, status}); });
    }
    std::vector<std::pair<uint16_t, uint16_t>> refused;
};

TEST_F(ParameterWriteTest, WritesWhileTheQueueIsBusyGoOutOnceWithTheLatestValue) {
    // Used to be dropped: the window and the mirror showed 1300, the drive kept 1200.
    EXPECT_EQ(drive.WriteParameter(pid::Cp, 1200, {0, 32767}), WriteOutcome::Queued);
    EXPECT_EQ(drive.WriteParameter(pid::Ci, 50, {0, 32767}), WriteOutcome::Queued);
    EXPECT_EQ(drive.WriteParameter(pid::Cp, 1300, {0, 32767}), WriteOutcome::Queued);
    EXPECT_EQ(drive.WriteParameter(pid::Ci, 60, {0, 32767}), WriteOutcome::Queued);
    EXPECT_EQ(drive.WriteParameter(pid::Ls, 200, {150, 3000}), WriteOutcome::Queued);
    EXPECT_EQ(drive.WriteParameter(pid::Ls, 200, {150, 3000}), WriteOutcome::Unchanged);
    EXPECT_EQ(session.mirror.GetI16(pid::Cp), 1300);
    EXPECT_EQ(session.mirror.GetI16(pid::Ci), 60);
    Run(200);
    // In the order first asked for; each parameter once more with its latest value.
    EXPECT_EQ(Frames(port), (std::vector<std::string>{"D0=1200", "D1=60", "D0=1300", "D127=200"}));
    EXPECT_TRUE(drive.WritesIdle());
    EXPECT_EQ(bus.Find(1)->values[pid::Cp], (std::vector<uint8_t>{0x14, 0x05}));
    EXPECT_TRUE(prompt.messages.isEmpty());
}

TEST_F(ParameterWriteTest, AWriteWaitsForAnotherWindowsList) {
    ASSERT_TRUE(drive.SendList(Lev2Queue, session.lists.MotorReadList));
    EXPECT_EQ(drive.WriteParameter(pid::MicroStep, 16, {0, 65535}), WriteOutcome::Queued);
    Run(300);
    EXPECT_EQ(Frames(port), (std::vector<std::string>{"C127", "C128", "C129", "C130", "D135=16"}));
}

TEST_F(ParameterWriteTest, ARefusedWriteIsReportedPutBackAndReadBack) {
    struct Case {
        uint8_t answer;   // the drive's code for the write
        uint16_t status;  // what the report names
        int writes;       // the write and its re-sends
    };
    for (const Case c : {Case{4, 4, 1}, Case{10, 10, 1}, Case{1, Failed, 4}}) {
        SCOPED_TRACE(c.answer);
        refused.clear();
        prompt.messages.clear();
        FakeDrive& d = *bus.Find(1);
        d.refuseWriteId = pid::MicroStep;
        d.refuseWriteCode = c.answer;
        d.values[pid::MicroStep] = {32, 0};
        session.mirror.SetU16(pid::MicroStep, 32);
        std::vector<uint16_t> restored;
        PollRegistration watch = drive.WatchRestored([&](uint16_t id) {
            restored.push_back(id);
            restored.push_back(session.mirror.GetU16(id));
        });
        const size_t from = port.written.size();
        EXPECT_EQ(drive.WriteParameter(pid::MicroStep, 16, {0, 65535}), WriteOutcome::Queued);
        EXPECT_EQ(session.mirror.GetU16(pid::MicroStep), 16);
        d.values[pid::MicroStep] = {40, 0};  // what the drive holds, told by the read-back
        Run(300);
        std::vector<std::string> expected(c.writes, "D135=16");
        expected.push_back("C135");
        EXPECT_EQ(Frames(port, from), expected);
        EXPECT_EQ(refused, (std::vector<std::pair<uint16_t, uint16_t>>{{pid::MicroStep, c.status}}));
        // First the last value known to the drive, then the value it reports.
        EXPECT_EQ(restored, (std::vector<uint16_t>{135, 32, 135, 40}));
        ASSERT_EQ(prompt.messages.size(), 1);
        EXPECT_EQ(prompt.messages[0], WriteRefusedText(0, pid::MicroStep, c.status));
        EXPECT_TRUE(prompt.messages[0].contains(QString::number(c.status)));
        EXPECT_TRUE(prompt.messages[0].contains(QStringLiteral("135（内部细分数）")));
    }
}

TEST_F(ParameterWriteTest, RefusalTextNamesParameterAndCodeInBothLanguages) {
    EXPECT_EQ(WriteRefusedText(1, pid::PulseOptions, 6),
              "The drive refused the write of parameter 99 (pulse input options) (code 6) and keeps its old value.");
    EXPECT_EQ(WriteRefusedText(0, pid::Smoothing, 6),
              QString::fromUtf8("驱动器拒绝写入参数 98（平滑时间常数）（代码 6），驱动器保留原值。"));
    const QString retries = WriteRefusedText(1, pid::Cp, Failed);
    EXPECT_TRUE(retries.startsWith("The drive refused the write of parameter 0 (Cp) (code 132)")) << retries.toStdString();
    EXPECT_TRUE(retries.contains("re-send"));
    // A parameter no window edits goes by its log name, or by its number alone.
    EXPECT_EQ(ParameterDisplayName(1, 42), "KvelLit");
    EXPECT_TRUE(WriteRefusedText(1, 2, 5).contains("parameter 2 (code 5)"));
}

TEST_F(ParameterWriteTest, AlwaysWritesEvenAnEqualValue) {
    session.mirror.SetU16(pid::StatusWord, 0);
    EXPECT_EQ(drive.WriteParameterAlways(pid::StatusWord, 0), WriteOutcome::Queued);
    EXPECT_EQ(drive.WriteParameterAlways(pid::StatusWord, 0x41), WriteOutcome::Queued);
    Run(100);
    EXPECT_EQ(Frames(port), (std::vector<std::string>{"D137=0", "D137=65"}));
}

TEST_F(ParameterWriteTest, APollAnswerDoesNotUndoAWaitingWrite) {
    bus.Find(1)->values[pid::Cp] = {0xE8, 0x03};  // 1000 on the drive
    session.mirror.SetI16(pid::Cp, 1000);
    std::vector<int16_t> shown;
    PollRegistration poll =
        drive.RegisterPoll(PollKind::Parameters, [&] { shown.push_back(session.mirror.GetI16(pid::Cp)); });
    // Another list holds the Lev2Queue, so the write waits while the poll reads Cp.
    ASSERT_TRUE(drive.SendList(Lev2Queue, session.lists.MotorReadList));
    EXPECT_EQ(drive.WriteParameter(pid::Cp, 1200, {0, 32767}), WriteOutcome::Queued);
    drive.RdErrorIntvalTimer();
    Run(300);
    const auto frames = Frames(port);
    const auto read = std::find(frames.begin(), frames.end(), "C0");
    const auto write = std::find(frames.begin(), frames.end(), "D0=1200");
    ASSERT_TRUE(read < write && write != frames.end());
    EXPECT_EQ(shown, std::vector<int16_t>{1200});
    EXPECT_EQ(session.mirror.GetI16(pid::Cp), 1200);
    EXPECT_EQ(bus.Find(1)->values[pid::Cp], (std::vector<uint8_t>{0xB0, 0x04}));
}

TEST_F(ParameterWriteTest, ANewConnectionOrALostLinkDropsWaitingWrites) {
    EXPECT_EQ(drive.WriteParameter(pid::Cp, 1200, {0, 32767}), WriteOutcome::Queued);
    EXPECT_EQ(drive.WriteParameter(pid::Ci, 50, {0, 32767}), WriteOutcome::Queued);
    EXPECT_EQ(drive.WriteParameter(pid::Cp, 1300, {0, 32767}), WriteOutcome::Queued);
    bus.drives.clear();  // the first write's answer is already on its way
    Run(1000);
    EXPECT_TRUE(session.link.IsLinkLost());
    EXPECT_TRUE(drive.WritesIdle());
    EXPECT_EQ(Frames(port), (std::vector<std::string>{"D0=1200", "D1=50", "D1=50", "D1=50", "D1=50"}));
    EXPECT_EQ(linkLost, 1);

    bus.drives = {{1}};
    drive.ConnectDrive(1, 9600, 1);
    EXPECT_EQ(drive.WriteParameter(pid::Cp, 1400, {0, 32767}), WriteOutcome::NotSent);
    EXPECT_TRUE(drive.WritesIdle());
}

}  // namespace
}  // namespace ordalis::test
