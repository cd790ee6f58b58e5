#include <QLabel>
#include <QProgressBar>
#include <QTimer>

#include "app/ProgressWindow.h"
#include "tests/app/AppFixture.h"

namespace ordalis::test {
namespace {

class ConnectFlow : public AppFixture {
protected:
    int scopeGains = 0, velocityFactors = 0, paraRefresh = 0, pulseRefresh = 0;
    bool inTimeout = false;

    void SetUp() override {
        port.Open();
        Start();
        // The windows that fill themselves once the drive is read back.
        QObject::connect(drive.get(), &DriveSession::DriveReady, [this](const QString& model) {
            ++scopeGains;
            if (model == "HV120") {
                ++velocityFactors;
            } else {
                ++paraRefresh;
                ++pulseRefresh;
            }
        });
        win->selComModeDelay()->stop();
    }
    bool ButtonsShown() const {
        for (const char* n : {"Button1", "Button2", "Button3", "Button4"})
            if (Find<QPushButton>(n)->isHidden()) return false;
        return true;
    }
};

TEST_F(ConnectFlow, LqTrReadBackSetsUpPanelAndStartsThePoll) {
    session->mirror.SetModelName("TR560");
    session->progressCounter = 0;
    drive->IdentifyDone(Answered);
    EXPECT_EQ(session->link.Queue(RunQueue).count, 34);
    QProgressBar* gauge = win->progressWindow()->Gauge();
    EXPECT_EQ(gauge->maximum(), 34);
    EXPECT_EQ(gauge->value(), 0);

    drive->ReadBackStep(Answered);
    EXPECT_TRUE(win->progressWindow()->isVisible());
    EXPECT_EQ(win->progressWindow()->Label()->text(), "读RAM参数");
    EXPECT_EQ(gauge->value(), 1);
    for (int i = 1; i < 33; ++i) {
        drive->ReadBackStep(Sent);
        drive->ReadBackStep(Answered);
    }
    EXPECT_FALSE(drive->IsPolling());
    drive->ReadBackStep(Answered);
    EXPECT_EQ(gauge->value(), 34);
    EXPECT_TRUE(drive->IsPolling());
    EXPECT_EQ(drive->PollTimer().Interval(), 300);
    EXPECT_TRUE(ButtonsShown());
    EXPECT_EQ(Find<QPushButton>("Button3")->pos(), QPoint(225, 68));
    EXPECT_EQ(Find<QPushButton>("Button2")->text(), "状态监视");
    EXPECT_EQ(scopeGains, 1);
    EXPECT_EQ(paraRefresh, 1);
    EXPECT_EQ(pulseRefresh, 1);
    EXPECT_EQ(velocityFactors, 0);

    // The panel and tool bar wait for the progress window's timer.
    QTimer* t1 = win->progressWindow()->Timer();
    EXPECT_TRUE(t1->isActive());
    EXPECT_EQ(t1->interval(), 700);
    EXPECT_FALSE(Panel()->isVisible());
    ASSERT_TRUE(WaitUntil([&] { return Panel()->isVisible(); }));
    EXPECT_TRUE(ToolBar()->isEnabled());
    EXPECT_FALSE(win->progressWindow()->isVisible());
    EXPECT_TRUE(prompt.messages.isEmpty());
}

TEST_F(ConnectFlow, Hv120ReadsTwentyFourAndDoesNotPoll) {
    session->mirror.SetModelName("HV120");
    drive->IdentifyDone(Answered);
    EXPECT_EQ(session->link.Queue(RunQueue).count, 24);
    EXPECT_EQ(win->progressWindow()->Gauge()->maximum(), 24);
    for (int i = 0; i < 24; ++i) drive->ReadBackStep(Answered);
    EXPECT_EQ(scopeGains, 1);
    EXPECT_EQ(velocityFactors, 1);
    EXPECT_FALSE(drive->IsPolling());
    EXPECT_FALSE(ButtonsShown());
    win->progressWindow()->Timer1Timer();
    EXPECT_TRUE(Panel()->isVisible());
    EXPECT_TRUE(ToolBar()->isEnabled());
    EXPECT_FALSE(GroupShown("ChFile"));
}

TEST_F(ConnectFlow, UnknownModelReadsNothing) {
    for (const char* name : {"tr560", "TR560 ", "XY100", ""}) {
        session->mirror.SetModelName(name);
        drive->IdentifyDone(Answered);
        EXPECT_EQ(session->link.Queue(RunQueue).count, 0) << name;
        EXPECT_FALSE(win->progressWindow()->isVisible()) << name;
    }
    EXPECT_TRUE(port.written.empty());
}

TEST_F(ConnectFlow, FaultBitElevenReportsTheCodeAndSkipsSetUp) {
    struct Case {
        uint16_t code;
        const char* text;
    };
    for (const Case& c : {Case{0x1F, "Error:EC=1F"}, Case{0x123, "Error:EC=123"}, Case{0x5, "Error:EC=05"}}) {
        prompt.messages.clear();
        ReadBack("LQ560", 0x0800, c.code);
        EXPECT_EQ(prompt.messages, QStringList{c.text});
        EXPECT_FALSE(drive->IsPolling());
        EXPECT_FALSE(ButtonsShown());
        EXPECT_EQ(scopeGains, 0);
        // The progress window still closes and brings the panel back.
        EXPECT_TRUE(win->progressWindow()->Timer()->isActive());
        win->progressWindow()->Timer1Timer();
        EXPECT_TRUE(Panel()->isVisible());
    }
    ReadBack("LQ560", 0xF7FF, 0x1F);  // other bits are no fault
    EXPECT_TRUE(drive->IsPolling());
}

TEST_F(ConnectFlow, ErrorAnswerInTheReadBackIsReportedAndEndsIt) {
    session->mirror.SetModelName("TR340");
    drive->IdentifyDone(Answered);
    const uint16_t failedId = session->lists.ReadBackList34.Records[5].ParamId;
    for (int i = 0; i < 5; ++i) drive->ReadBackStep(Answered);
    drive->ReadBackStep(Failed);
    EXPECT_FALSE(session->link.Queue(RunQueue).busy) << "the read-back is stopped";
    for (int i = 0; i < 28; ++i) drive->ReadBackStep(Answered);  // nothing counts any more
    QApplication::processEvents();
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_TRUE(prompt.messages[0].contains(QString::number(failedId))) << prompt.messages[0].toStdString();
    EXPECT_TRUE(prompt.messages[0].startsWith("读取参数"));
    EXPECT_FALSE(win->progressWindow()->isVisible());
    // Panel and tool bar stay off: part of the mirror is stale.
    EXPECT_FALSE(Panel()->isVisible());
    EXPECT_FALSE(ToolBar()->isEnabled());
    EXPECT_FALSE(drive->IsPolling());
    EXPECT_FALSE(ButtonsShown());
    EXPECT_EQ(win->progressWindow()->Gauge()->value(), 5);
}

TEST_F(ConnectFlow, RefusedRecordOverTheLinkIsReportedOnceAndStopsTheList) {
    // Before: a refused record left the progress window open for good, and a refused
    // last record made the list start over without end.
    for (int failed : {5, 33}) {
        session->link.ResetLink();
        AnswerAll();
        prompt.messages.clear();
        session->mirror.SetModelName("TR340");
        session->progressCounter = 0;
        drive->IdentifyDone(Answered);
        const uint16_t id = session->lists.ReadBackList34.Records[failed].ParamId;
        const auto sent = AnswerAll(id);
        QApplication::processEvents();
        EXPECT_EQ(int(sent.size()), failed + 4) << "the refused read is sent four times, then nothing";
        EXPECT_FALSE(session->link.AnyBusy());
        ASSERT_EQ(prompt.messages.size(), 1) << failed;
        EXPECT_TRUE(prompt.messages[0].contains(QStringLiteral(" %1 ").arg(id))) << prompt.messages[0].toStdString();
        EXPECT_FALSE(win->progressWindow()->isVisible());
        EXPECT_FALSE(drive->IsPolling());
        EXPECT_FALSE(Panel()->isVisible());
    }
    win->SetLanguage(1);
    session->mirror.SetModelName("TR340");
    drive->IdentifyDone(Answered);
    AnswerAll(session->lists.ReadBackList34.Records[0].ParamId);
    QApplication::processEvents();
    EXPECT_TRUE(prompt.messages.last().startsWith("Parameter ")) << prompt.messages.last().toStdString();
}

// The failure dialog used to open inside the link's time-out handling (a nested event
// loop in the link): through the real link and event loop it opens once that has returned.
TEST_F(ConnectFlow, PollTimeOutThroughTheLinkOpensTheFailureDialogAfterwards) {
    ReadBack("TR560");
    session->link.ResetLink();
    prompt.modals.clear();
    prompt.onModal = [this](QDialog&) {
        EXPECT_FALSE(inTimeout) << "modal window inside the link's time-out handling";
        return int(QDialog::Rejected);
    };
    drive->RdErrorIntvalTimer();  // nobody answers
    for (int i = 0; i < 4; ++i) {
        inTimeout = true;
        timers.Advance(200);
        inTimeout = false;
    }
    EXPECT_FALSE(drive->IsPolling());
    EXPECT_TRUE(prompt.modals.isEmpty());
    QApplication::processEvents();
    EXPECT_EQ(prompt.modals, QStringList{"TForm9"});
}

TEST_F(ConnectFlow, LostDriveStopsThePollAndOpensTheFailureDialogOnce) {
    ReadBack("TR560");
    ASSERT_TRUE(drive->IsPolling());
    prompt.modals.clear();
    drive->PollStatusDone(NoAnswer);
    drive->PollParaDone(NoAnswer);
    EXPECT_FALSE(drive->IsPolling());
    EXPECT_TRUE(prompt.modals.isEmpty()) << "not inside the link's callback";
    QApplication::processEvents();
    EXPECT_EQ(prompt.modals, QStringList{"TForm9"});

    for (auto call : {&DriveSession::IdentifyDone, &DriveSession::ReadBackStep}) {
        prompt.modals.clear();
        (drive.get()->*call)(NoAnswer);
        QApplication::processEvents();
        EXPECT_EQ(prompt.modals, QStringList{"TForm9"});
    }
}

}  // namespace
}  // namespace ordalis::test
