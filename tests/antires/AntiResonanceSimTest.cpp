// The anti-resonance and motor-data windows against the drive simulator over a
// pseudo-terminal, with the real serial port and timers: the frames the generator switch
// sends, the drive turning and stopping as the simulator models it (the direction input
// follows a running generator), and the motor data read from the drive.
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QSlider>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "core/DriveSession.h"
#include "core/Session.h"
#include "dialogs/AntiResonanceWindow.h"
#include "dialogs/MotorDataWindow.h"
#include "link/FrameLog.h"
#include "link/qt/PortMap.h"
#include "link/qt/QtSerialPort.h"
#include "link/qt/QtTimers.h"
#include "tests/simsupport/RunUntil.h"
#include "tests/simsupport/SimProcess.h"
#include "tests/uisupport/RecordingUiPrompt.h"

namespace ordalis::test {
namespace {

using simtest::RunUntil;

// Lev2Queue writes as "D154=-8000".
class WriteLog : public FrameLog {
public:
    std::vector<std::string> writes;
    void LogFrame(const std::string& prefix, const std::string&, const uint8_t* b, size_t n, uint8_t level) override {
        if (prefix.find("Send") == std::string::npos || level != Lev2Queue || n < 6 || b[3] != CmdWrite) return;
        const size_t len = b[2] >= 2 ? b[2] - 2u : 0u;
        int64_t v = 0;
        for (size_t i = 0; i < len && 6 + i < n; ++i) v |= int64_t{b[6 + i]} << (8 * i);
        if (len == 2) v = static_cast<int16_t>(v);
        if (len == 4) v = static_cast<int32_t>(v);
        writes.push_back("D" + std::to_string(b[4] | b[5] << 8) + "=" + std::to_string(v));
    }
};

class AntiResonanceSim : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::unique_ptr<testing::SimProcess> sim;
    std::unique_ptr<QtSerialPort> port;
    QtTimerFactory timers;
    RecordingUiPrompt prompt;
    std::unique_ptr<Session> session;
    std::unique_ptr<DriveSession> drive;
    std::unique_ptr<QWidget> owner = std::make_unique<QWidget>();
    WriteLog log;
    bool ready = false;

    void Connect(std::vector<std::string> simArgs) {
        sim = std::make_unique<testing::SimProcess>(std::move(simArgs));
        ASSERT_TRUE(sim->Start()) << sim->Output();
        const QString ini = dir.filePath(QStringLiteral("cfg.ini"));
        QFile f(ini);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("[ports]\nCOM1=") + sim->LinkPath().c_str() + "\n");
        f.close();
        port = std::make_unique<QtSerialPort>(PortMap::FromIni(ini));
        session = std::make_unique<Session>(*port, timers, prompt, 7u);
        session->link.SetFrameLog(&log);
        drive = std::make_unique<DriveSession>(*session, timers, prompt);
        QObject::connect(drive.get(), &DriveSession::DriveReady, [this] { ready = true; });
        drive->ConnectDrive(1, 115200, 1);
        ASSERT_TRUE(RunUntil([&] { return ready; })) << sim->Output();
    }
    void TearDown() override {
        owner.reset();
        drive.reset();
        session.reset();
        port.reset();
        if (sim) sim->Stop();
    }
    bool Lev2Idle() const { return !session->link.Queue(Lev2Queue).busy; }
    bool DirectionInput() const { return session->mirror.Bit(pid::Inputs, InputBit::DirectionInput); }
};

TEST_F(AntiResonanceSim, GeneratorSwitchRunsAndStopsTheSimulatedMotor) {
    Connect({"--drive", "1:LQ340"});
    ASSERT_EQ(session->mirror.GetI16(pid::WorkMode), WorkModeGeneratorOff);
    // The monitor's poll reads the inputs, whose direction bit the running generator sets.
    PollRegistration poll = drive->RegisterPoll(PollKind::Monitor, [] {});
    int polls = 0;
    QObject::connect(drive.get(), &DriveSession::StatusPolled, [&] { ++polls; });
    ASSERT_TRUE(RunUntil([&] { return polls >= 2; })) << sim->Output();
    EXPECT_FALSE(DirectionInput());

    QWidget* win = CreateAntiResonanceWindow(*drive, owner.get());
    win->show();
    QApplication::processEvents();
    win->findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->click();
    ASSERT_TRUE(RunUntil([&] { return log.writes.size() >= 2 && Lev2Idle(); })) << sim->Output();
    EXPECT_EQ(log.writes, (std::vector<std::string>{"D154=0", "D160=14"}));
    EXPECT_TRUE(drive->GeneratorRunning());

    win->findChild<QSlider*>(QStringLiteral("RzTrackBar5"))->setValue(120);
    ASSERT_TRUE(RunUntil([&] { return log.writes.size() >= 3 && Lev2Idle(); })) << sim->Output();
    EXPECT_EQ(log.writes.back(), "D154=8000");
    polls = 0;
    ASSERT_TRUE(RunUntil([&] { return polls >= 2 && DirectionInput(); })) << "running, the direction input follows";

    win->findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->click();
    ASSERT_TRUE(RunUntil([&] { return log.writes.size() >= 5 && Lev2Idle(); })) << sim->Output();
    EXPECT_EQ(std::vector<std::string>(log.writes.end() - 2, log.writes.end()),
              (std::vector<std::string>{"D154=0", "D160=23"}));
    EXPECT_FALSE(drive->GeneratorRunning());
    polls = 0;
    ASSERT_TRUE(RunUntil([&] { return polls >= 2 && !DirectionInput(); })) << "stopped";
    EXPECT_EQ(prompt.messages, QStringList{});
}

TEST_F(AntiResonanceSim, MotorDataWindowReadsTheEncoderLines) {
    Connect({"--drive", "1:LQ340", "--param", "1:129=1000", "--param", "1:127=250", "--param", "1:128=75"});
    session->mirror.SetI32(pid::EncoderLines, 0);  // only the window's own read can bring it back
    QWidget* win = CreateMotorDataWindow(*drive, owner.get());
    win->show();
    auto text = [win](const char* edit) { return win->findChild<QLineEdit*>(QString::fromLatin1(edit))->text(); };
    ASSERT_TRUE(RunUntil([&] { return !text("Edit12").isEmpty(); })) << sim->Output();
    EXPECT_EQ(text("Edit12"), QStringLiteral("1000"));
    EXPECT_EQ(text("Edit13"), QStringLiteral("4000"));
    EXPECT_EQ(text("Edit9"), QStringLiteral("2.5"));
    EXPECT_EQ(text("Edit10"), QStringLiteral("0.75"));
}

}  // namespace
}  // namespace ordalis::test
