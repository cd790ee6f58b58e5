// The main window against the drive simulator over a pseudo-terminal: the stored link
// is reconnected at start, the model read back and the poll started, with the real
// link, serial port and timers.
#include <QElapsedTimer>
#include <QProgressBar>

#include "app/MainTexts.h"
#include "app/ProgressWindow.h"
#include "core/Texts.h"
#include "link/FrameLog.h"
#include "link/qt/PortMap.h"
#include "link/qt/QtSerialPort.h"
#include "link/qt/QtTimers.h"
#include "tests/app/AppFixture.h"
#include "tests/simsupport/SimProcess.h"

namespace ordalis::test {
namespace {

struct Request {
    uint8_t level;
    uint8_t command;
    uint16_t id;
    qint64 ms;
};

class RequestLog : public FrameLog {
public:
    std::vector<Request> sent;
    QElapsedTimer clock;

    RequestLog() { clock.start(); }
    void LogFrame(const std::string& prefix, const std::string&, const uint8_t* b, size_t n, uint8_t level) override {
        if (prefix.find("Send") == std::string::npos || n < 4) return;
        const uint16_t id = n >= 6 ? uint16_t(b[4] | b[5] << 8) : 0;
        sent.push_back({level, b[3], id, clock.elapsed()});
    }
    // RunQueue reads after the model-name read.
    int ReadBackReads() const {
        int n = -1;
        for (const Request& r : sent) {
            if (r.level != RunQueue || r.command != CmdRead) continue;
            if (r.id == 55) n = 0;
            else if (n >= 0) ++n;
        }
        return n;
    }
    std::vector<uint16_t> PollIds() const {
        std::vector<uint16_t> ids;
        for (const Request& r : sent)
            if (r.level == PollQueue) ids.push_back(r.id);
        return ids;
    }
};

class SimFlow : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString cfgPath = dir.filePath(QStringLiteral("cfg.ini"));
    std::unique_ptr<testing::SimProcess> sim;
    std::unique_ptr<QtSerialPort> port;
    QtTimerFactory timers;
    RecordingUiPrompt prompt;
    std::unique_ptr<Session> session;
    std::unique_ptr<DriveSession> drive;
    std::unique_ptr<MainWindow> win;
    RequestLog log;
    CompletionSlot::Binding identifyBinding;
    bool identified = false;
    std::vector<uint16_t> identifyStatus;

    // Starts a simulator with the given drive arguments and the program with a stored
    // link to address 1 on COM1 at 115200 baud.
    void Start(std::vector<std::string> simArgs) {
        sim = std::make_unique<testing::SimProcess>(std::move(simArgs));
        ASSERT_TRUE(sim->Start()) << sim->Output();
        const LinkRecord r = test::OneEntryLink(1, 115200, {1}, 0);
        QFile f(cfgPath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("[ports]\nCOM1=") + sim->LinkPath().c_str() + "\n[pset1]\nLastComMode=1\n[pset3]\nlinkinf=" +
                r.ToHex().c_str() + "\n");
        f.close();

        port = std::make_unique<QtSerialPort>(PortMap::FromIni(cfgPath));
        session = std::make_unique<Session>(*port, timers, prompt, 7u);
        session->link.SetFrameLog(&log);
        drive = std::make_unique<DriveSession>(*session, timers, prompt);
        win = std::make_unique<MainWindow>(*session, *drive, prompt, cfgPath);
        identifyBinding = session->callbacks.IdentifyDone.Bind([this](uint16_t s, const uint8_t*, uint8_t) {
            drive->IdentifyDone(s);
            if (s == Sent) return;
            identifyStatus.push_back(s);
            identified = true;
        });
        win->show();
    }
    void TearDown() override {
        identifyBinding.Release();
        win.reset();
        drive.reset();
        session.reset();
        port.reset();
        if (sim) sim->Stop();
    }
    QWidget* Find(const char* name) const { return win->findChild<QWidget*>(QString::fromLatin1(name)); }
    bool ButtonsShown() const {
        for (const char* n : {"Button1", "Button2", "Button3", "Button4"})
            if (Find(n)->isHidden()) return false;
        return true;
    }
};

TEST_F(SimFlow, Tr560IsReadBackAndPolled) {
    Start({"--drive", "1:TR560"});
    ASSERT_TRUE(WaitUntil([&] { return Find("RzPanel1")->isVisible(); }, 20000)) << sim->Output();
    EXPECT_EQ(prompt.modals, QStringList{"TForm10"});
    EXPECT_EQ(session->mirror.ModelName(), "TR560");
    EXPECT_EQ(log.ReadBackReads(), 34);
    EXPECT_EQ(win->progressWindow()->Gauge()->value(), 34);
    EXPECT_TRUE(ButtonsShown());
    EXPECT_TRUE(drive->IsPolling());
    ASSERT_TRUE(WaitUntil([&] { return log.PollIds().size() >= 6; })) << sim->Output();
    const auto ids = log.PollIds();
    for (size_t i = 0; i < 6; ++i) EXPECT_EQ(ids[i], i % 2 ? 138 : 137) << i;
    EXPECT_TRUE(prompt.messages.isEmpty()) << prompt.messages.join('|').toStdString();
    EXPECT_EQ(port->BaudRate(), 115200);
}

TEST_F(SimFlow, Hv120IsReadBackWithoutPanelButtonsOrPoll) {
    Start({"--drive", "1:HV120"});
    ASSERT_TRUE(WaitUntil([&] { return Find("RzPanel1")->isVisible(); }, 20000)) << sim->Output();
    EXPECT_EQ(log.ReadBackReads(), 24);
    EXPECT_FALSE(ButtonsShown());
    EXPECT_FALSE(drive->IsPolling());
    EXPECT_TRUE(log.PollIds().empty());
}

TEST_F(SimFlow, FaultBitElevenStopsBeforeThePanelSetUp) {
    Start({"--drive", "1:LQ340", "--param", "1:137=0x0800", "--param", "1:138=0x1F"});
    ASSERT_TRUE(WaitUntil([&] { return !prompt.messages.isEmpty(); }, 20000)) << sim->Output();
    EXPECT_EQ(prompt.messages, QStringList{"Error:EC=1F"});
    EXPECT_EQ(log.ReadBackReads(), 34);
    ASSERT_TRUE(WaitUntil([&] { return Find("RzPanel1")->isVisible(); }));
    EXPECT_FALSE(ButtonsShown());
    EXPECT_FALSE(drive->IsPolling());
}

TEST_F(SimFlow, RefusedParameterEndsTheReadBackWithAMessageAndLeavesTheLinkUp) {
    Start({"--drive", "1:TR560", "--refuse", "1:99"});
    ASSERT_TRUE(WaitUntil([&] { return !prompt.messages.isEmpty(); }, 20000)) << sim->Output();
    const QString expected =
        kReadBackFailed.Text(session->settings.LanguageIndex).arg(99);
    EXPECT_EQ(prompt.messages, QStringList{expected});
    EXPECT_EQ(log.ReadBackReads(), 27 + 4) << "27 records read, then id 99 sent four times";
    EXPECT_FALSE(session->link.AnyBusy());
    EXPECT_FALSE(win->progressWindow()->isVisible());
    // Panel and tool bar stay off over a partly read mirror.
    EXPECT_FALSE(Find("RzPanel1")->isVisible());
    EXPECT_FALSE(Find("ToolBar1")->isEnabled());
    EXPECT_FALSE(drive->IsPolling());
    EXPECT_TRUE(log.PollIds().empty());

    // The drive is still connected: another parameter reads at the same speed.
    uint8_t value[2] = {};
    std::vector<uint16_t> statuses;
    const CommandRecord read{CmdRead, 1, 2, value, sizeof value,
                             [&](uint16_t s, const uint8_t*, uint8_t) { if (s != Sent) statuses.push_back(s); }};
    session->link.SendRunList(&read, 1);
    ASSERT_TRUE(WaitUntil([&] { return !statuses.empty(); })) << sim->Output();
    EXPECT_EQ(statuses, std::vector<uint16_t>{Answered});
    EXPECT_EQ(port->BaudRate(), 115200);
    EXPECT_EQ(prompt.messages.size(), 1);
}

TEST_F(SimFlow, UnknownModelReadsNothingBack) {
    Start({"--drive", "1:LQ340", "--param", "1:55=XY100"});
    ASSERT_TRUE(WaitUntil([&] { return identified; }, 20000)) << sim->Output();
    EXPECT_EQ(identifyStatus, std::vector<uint16_t>{Answered});
    EXPECT_EQ(session->mirror.ModelName(), "XY100");
    EXPECT_EQ(log.ReadBackReads(), 0);
    EXPECT_FALSE(session->link.AnyBusy());
    EXPECT_FALSE(win->progressWindow()->isVisible());
    EXPECT_FALSE(drive->IsPolling());
}

}  // namespace
}  // namespace ordalis::test
