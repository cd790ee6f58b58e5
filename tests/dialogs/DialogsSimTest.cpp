// The drive windows against the drive simulator over a pseudo-terminal, with the real
// link, serial port and timers: the frames each control sends, the monitor following the
// drive, the auto-tune's answers, a refused write and writes while the Lev2Queue is busy.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "core/DriveSession.h"
#include "core/Session.h"
#include "core/WriteTexts.h"
#include "dialogs/DipSwitchPicture.h"
#include "dialogs/Led.h"
#include "dialogs/ParameterSettingWindow.h"
#include "dialogs/PulseInputWindow.h"
#include "dialogs/StatusMonitorWindow.h"
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
using Frames = std::vector<std::string>;

// Requests on the Lev2Queue as "D99=7", "C99", "H0".
class Lev2Log : public FrameLog {
public:
    Frames sent;
    void LogFrame(const std::string& prefix, const std::string&, const uint8_t* b, size_t n, uint8_t level) override {
        if (level != Lev2Queue || prefix.find("Send") == std::string::npos || n < 6) return;
        std::string s = std::string(1, static_cast<char>(b[3])) + std::to_string(b[4] | b[5] << 8);
        if (b[3] == CmdWrite && n >= 9) s += "=" + std::to_string(b[6] | b[7] << 8);
        sent.push_back(s);
    }
    Frames Take() { return std::exchange(sent, {}); }
};

class DialogsSim : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::unique_ptr<testing::SimProcess> sim;
    std::unique_ptr<QtSerialPort> port;
    QtTimerFactory timers;
    RecordingUiPrompt prompt;
    std::unique_ptr<Session> session;
    std::unique_ptr<DriveSession> drive;
    Lev2Log log;
    QStringList readBackFailed;

    // Starts the simulator and connects to its drive at address 1, 115200 baud.
    void Connect(std::vector<std::string> simArgs) {
        sim = std::make_unique<testing::SimProcess>(std::move(simArgs));
        ASSERT_TRUE(sim->Start()) << sim->Output();
        const QString cfg = dir.filePath(QStringLiteral("cfg.ini"));
        QFile f(cfg);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("[ports]\nCOM1=") + sim->LinkPath().c_str() + "\n");
        f.close();
        port = std::make_unique<QtSerialPort>(PortMap::FromIni(cfg));
        session = std::make_unique<Session>(*port, timers, prompt, 7u);
        session->link.SetFrameLog(&log);
        drive = std::make_unique<DriveSession>(*session, timers, prompt);
        QObject::connect(drive.get(), &DriveSession::ReadBackFailed, [this](const QString& t) { readBackFailed << t; });
        drive->ConnectDrive(1, 115200, 1);
    }
    bool Polling() { return RunUntil([&] { return drive->IsPolling(); }); }
    void TearDown() override {
        drive.reset();
        session.reset();
        port.reset();
        if (sim) sim->Stop();
    }
    static void Show(QWidget& w) {
        w.show();
        w.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&w));
    }
    static void Click(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2)); }
    static void Enter(QLineEdit* box, const QString& text) {
        box->setFocus(Qt::MouseFocusReason);
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
    }
    bool Settled() { return RunUntil([&] { return drive->WritesIdle() && !session->link.Queue(Lev2Queue).busy; }); }
    // Reads a parameter from the simulator on the RunQueue.
    int Read(uint16_t id) {
        uint8_t value[2] = {};
        int status = -1;
        const CommandRecord read{CmdRead, id, 2, value, sizeof value, [&](uint16_t s, const uint8_t*, uint8_t) {
                                     if (s != Sent) status = s;
                                 }};
        session->link.SendRunList(&read, 1);
        if (!RunUntil([&] { return status >= 0; }) || status != Answered) return -1;
        return value[0] | value[1] << 8;
    }
};

TEST_F(DialogsSim, MonitorFollowsTheDriveAndFreeMotorWritesTheWordWithBitSix) {
    Connect({"--drive", "1:LQ340", "--param", "1:137=0x0001", "--param", "1:139=0x0615", "--param", "1:20=4800"});
    ASSERT_TRUE(Polling()) << sim->Output();
    StatusMonitorWindow window(*drive, nullptr);
    Show(window);
    ASSERT_TRUE(RunUntil([&] { return window.FaultLed(0)->Color() == Led::kRed; })) << sim->Output();
    EXPECT_EQ(window.FaultLed(6)->Color(), Led::kGreen);  // software disable
    for (int c : {1, 2, 3, 4, 6, 7, 8}) EXPECT_EQ(window.Switches()->ColumnOn(c), c == 4 || c == 7) << c;
    EXPECT_TRUE(window.Switches()->ColumnOn(5));
    EXPECT_EQ(window.InputLed(0)->Color(), Led::kRed);    // bit 8 clear
    EXPECT_EQ(window.InputLed(1)->Color(), Led::kGreen);  // bit 9
    EXPECT_EQ(window.InputLed(2)->Color(), Led::kGreen);  // bit 10
    EXPECT_NEAR(window.VoltageBox()->text().toDouble(), 48.0, 1.0);
    EXPECT_FALSE(window.TemperatureBox()->text().isEmpty());

    log.Take();
    Click(window.findChild<QPushButton*>("Button2"));  // Free Motor
    ASSERT_TRUE(RunUntil([&] { return window.FaultLed(6)->Color() == Led::kRed; })) << sim->Output();
    EXPECT_EQ(log.Take(), Frames{"D137=65"});
    EXPECT_EQ(window.FaultLed(0)->Color(), Led::kRed);  // the other bit kept
    Click(window.findChild<QPushButton*>("Button3"));  // Clear
    ASSERT_TRUE(RunUntil([&] { return window.FaultLed(0)->Color() == Led::kGreen; }));
    EXPECT_EQ(window.FaultLed(6)->Color(), Led::kGreen);
    EXPECT_EQ(log.Take(), Frames{"D137=0"});
    EXPECT_TRUE(prompt.messages.isEmpty()) << prompt.messages.join('|').toStdString();
}

TEST_F(DialogsSim, OtherFaultCodeAndItsClearing) {
    Connect({"--drive", "1:TR560"});
    ASSERT_TRUE(Polling()) << sim->Output();
    StatusMonitorWindow window(*drive, nullptr);
    Show(window);
    // A fault that appears while connected: written here as the drive would raise it.
    ASSERT_EQ(drive->WriteParameterAlways(pid::StatusWord, 0x0800), WriteOutcome::Queued);
    ASSERT_TRUE(RunUntil([&] { return window.FaultLed(8)->Color() == Led::kRed; })) << sim->Output();
    EXPECT_EQ(window.FaultCodeLabel()->text(), "0000");
    Click(window.findChild<QPushButton*>("Button3"));
    ASSERT_TRUE(RunUntil([&] { return window.FaultLed(8)->Color() == Led::kGreen; }));
    EXPECT_EQ(window.FaultCodeLabel()->text(), "");
}

TEST_F(DialogsSim, ParameterBoxesAndAutoTune) {
    Connect({"--drive", "1:LQ560"});
    ASSERT_TRUE(Polling()) << sim->Output();
    ParameterSettingWindow window(*drive, nullptr);
    Show(window);
    log.Take();
    Enter(window.Box(0), "16");
    Enter(window.Box(1), "3000");
    Enter(window.Box(2), "60");
    Enter(window.Box(3), "1200");
    ASSERT_TRUE(Settled());
    EXPECT_EQ(log.Take(), (Frames{"D135=16", "D39=3000", "D136=39321", "D0=1200"}));
    EXPECT_EQ(Read(pid::IdleCurrent), 39321);
    EXPECT_EQ(window.StepsLabel()->text(), "800 Pulse/rev");

    // Answered, then again while the tuning runs (the drive's code 11), then refused
    // while the motor is disabled (code 10).
    auto* tune = window.findChild<QPushButton*>("Button2");
    tune->click();
    ASSERT_TRUE(Settled());
    tune->click();
    ASSERT_TRUE(RunUntil([&] { return !prompt.messages.isEmpty(); })) << sim->Output();
    EXPECT_EQ(prompt.messages, QStringList{"Come back Error code 000B"});
    prompt.messages.clear();
    ASSERT_EQ(drive->WriteParameterAlways(pid::StatusWord, 0x0040), WriteOutcome::Queued);
    ASSERT_TRUE(Settled());
    tune->click();
    ASSERT_TRUE(RunUntil([&] { return !prompt.messages.isEmpty(); })) << sim->Output();
    EXPECT_EQ(prompt.messages, QStringList{QString::fromUtf8("驱动器禁能或异常，不能执行该项操作")});
    EXPECT_EQ(log.Take(), (Frames{"H0", "H0", "D137=64", "H0"}));
}

TEST_F(DialogsSim, WritesWhileTheQueueIsBusyAllReachTheDrive) {
    Connect({"--drive", "1:LQ340", "--param", "1:99=0x0003", "--param", "1:97=2"});
    ASSERT_TRUE(Polling()) << sim->Output();
    PulseInputWindow window(*drive, nullptr);
    Show(window);
    log.Take();
    // Three choices before the first write is answered.
    Click(window.Radio(4));  // falling edge: 99 = 0x0007, sent at once
    Click(window.Radio(1));  // CW&CCW: 97 = 1, waits
    Click(window.Radio(6));  // low level: 99 = 0x000F, waits
    ASSERT_TRUE(Settled());
    EXPECT_EQ(log.Take(), (Frames{"D99=7", "D97=1", "D99=15"}));
    EXPECT_EQ(Read(pid::PulseOptions), 0x000F);
    EXPECT_EQ(Read(pid::PulseMode), 1);
    EXPECT_TRUE(prompt.messages.isEmpty());
}

TEST_F(DialogsSim, ARefusedWriteIsToldAndTheControlShowsTheDrivesValue) {
    // The drive refuses 99 for reads and writes alike: the read-back stops there, the
    // link stays up.
    Connect({"--drive", "1:LQ340", "--refuse", "1:99"});
    ASSERT_TRUE(RunUntil([&] { return !readBackFailed.isEmpty(); })) << sim->Output();
    session->mirror.SetU16(pid::PulseOptions, 0x0003);
    PulseInputWindow window(*drive, nullptr);
    Show(window);
    log.Take();
    Click(window.Radio(4));
    ASSERT_TRUE(RunUntil([&] { return !prompt.messages.isEmpty(); })) << sim->Output();
    EXPECT_EQ(prompt.messages, QStringList{WriteRefusedText(0, pid::PulseOptions, Failed)});
    ASSERT_TRUE(Settled());
    EXPECT_EQ(log.Take(), (Frames{"D99=7", "D99=7", "D99=7", "D99=7", "C99", "C99", "C99", "C99"}));
    EXPECT_TRUE(window.Radio(3)->isChecked());  // back to the last value known to the drive
    EXPECT_EQ(session->mirror.GetU16(pid::PulseOptions), 0x0003);
}

}  // namespace
}  // namespace ordalis::test
