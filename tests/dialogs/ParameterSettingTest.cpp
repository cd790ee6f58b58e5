// The parameter-setting window: each box's conversion, range and message, unchanged
// entries sending nothing, the poll refresh sparing the box being typed in, the rows
// FeatureLevel hides, and every outcome of the auto-tune.
#include <QLabel>
#include <map>
#include <QPushButton>

#include "dialogs/ParameterSettingWindow.h"
#include "tests/dialogs/DialogFixture.h"

namespace ordalis::test {
namespace {

enum { MicroStep, Delay, Share, Cp, Ci, Ls, Rs };

class ParameterSettingTest : public DialogTest {
protected:
    ParameterSettingWindow window{drive, nullptr, 0};  // every row shown

    void SetUp() override {
        session.mirror.SetU16(pid::MicroStep, 4);
        session.mirror.SetI16(pid::IdleDelay, 500);
        session.mirror.SetU16(pid::IdleCurrent, 32767);
        session.mirror.SetI16(pid::Cp, 1000);
        session.mirror.SetI16(pid::Ci, 200);
        session.mirror.SetI16(pid::Ls, 180);
        session.mirror.SetI16(pid::Rs, 80);
        English();
        Show(window);
        drive.RdErrorIntvalTimer();  // the poll fills Ci, Ls and Rs
        Run(30);
        Sent();
    }
};

TEST_F(ParameterSettingTest, EachBoxConvertsChecksItsRangeAndWrites) {
    struct Case {
        int box;
        const char* typed;
        Frames sent;
        const char* message;
    };
    const Case cases[] = {
        {MicroStep, "16", {"D135=16"}, ""},
        {MicroStep, "65535", {"D135=65535"}, ""},
        {MicroStep, "65536", {}, "The value must be between 0 and 65535!"},
        {Delay, "3000", {"D39=3000"}, ""},
        {Delay, "3001", {}, "The delay time can not be greater than 3000mS!"},
        {Share, "100", {"D136=65535"}, ""},
        {Share, "100", {}, ""},
        {Share, "50", {"D136=32767"}, ""},
        {Share, "50", {}, ""},  // shown 50 again, so leaving it sends nothing
        {Share, "1", {"D136=655"}, ""},
        {Share, "0", {"D136=0"}, ""},
        {Share, "101", {}, "Input Error!"},
        {Cp, "32767", {"D0=32767"}, ""},
        {Cp, "32768", {}, "Parameter should be less than 32767!"},
        {Cp, "32767", {}, ""},
        {Ci, "0", {"D1=0"}, ""},
        {Ci, "99999999999999999999", {}, "Parameter should be less than 32767!"},
        {Ls, "1.5", {"D127=150"}, ""},
        {Ls, "30", {"D127=3000"}, ""},
        {Ls, "2.2", {"D127=220"}, ""},  // 2.2 * 100 in binary floating point rounds up to 221
        {Ls, "1.49", {}, "Parameters should be between 1.5-30!"},
        {Ls, "30.01", {}, "Parameters should be between 1.5-30!"},
        {Ls, "2.001", {"D127=201"}, ""},  // rounds up
        {Rs, "0.5", {"D128=50"}, ""},
        {Rs, "0.49", {}, "Parameters should be between 0.5-30!"},
        {Rs, "1.2.3", {}, "'1.2.3' is not a valid number"},
        {Delay, "", {}, "'' is not a valid integer value"},
    };
    // The last text each box took without a message: a box left with a refused text
    // tells its message again, so each case puts its box back before the next.
    std::map<int, QString> good;
    for (int box = MicroStep; box <= Rs; ++box) good[box] = window.Box(box)->text();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.box) + " " + c.typed);
        Enter(window.Box(c.box), c.typed);
        EXPECT_EQ(Sent(), c.sent);
        const QString message = QString::fromUtf8(c.message);
        EXPECT_EQ(Messages(), message.isEmpty() ? QStringList{} : QStringList{message});
        EXPECT_EQ(window.Box(c.box)->text(), QString::fromUtf8(c.typed));  // the box keeps what was typed
        if (message.isEmpty()) good[c.box] = window.Box(c.box)->text();
        window.Box(c.box)->setText(good[c.box]);
    }
}

// Used to: with 32768 on the drive the box showed 51, and an entry of 50 compared equal
// (rounded up to 32768) and was never sent, while leaving 51 as shown wrote 33422.
TEST_F(ParameterSettingTest, IdleShareComparesWithWhatTheBoxShows) {
    session.mirror.SetU16(pid::IdleCurrent, 32768);
    emit drive.DriveReady("LQ560");  // a read-back fills the boxes
    EXPECT_EQ(window.Box(Share)->text(), "51");
    TypeAndLeave(window.Box(Share), "51");
    EXPECT_TRUE(Sent().empty());
    TypeAndLeave(window.Box(Share), "50");
    EXPECT_EQ(Sent(), Frames{"D136=32767"});
    TypeAndLeave(window.Box(Share), "50");
    EXPECT_TRUE(Sent().empty());
}

TEST_F(ParameterSettingTest, MicroStepShowsStepsPerRevolution) {
    EXPECT_EQ(window.StepsLabel()->text(), "200 Pulse/rev");
    TypeAndLeave(window.Box(MicroStep), "16");
    EXPECT_EQ(Sent(), Frames{"D135=16"});
    EXPECT_EQ(window.StepsLabel()->text(), "800 Pulse/rev");
    TypeAndLeave(window.Box(MicroStep), "70000");
    EXPECT_EQ(window.StepsLabel()->text(), "800 Pulse/rev");
    EXPECT_EQ(session.mirror.GetU16(pid::MicroStep), 16);
}

TEST_F(ParameterSettingTest, ShowingFillsTheBoxesAndWritesNothing) {
    EXPECT_EQ(window.Box(MicroStep)->text(), "4");
    EXPECT_EQ(window.Box(Delay)->text(), "500");
    EXPECT_EQ(window.Box(Share)->text(), "50");
    EXPECT_EQ(window.Box(Cp)->text(), "1000");
    EXPECT_EQ(window.Box(Ci)->text(), "200");  // filled by the poll, not by the showing
    // Leaving each box as it was filled sends nothing.
    for (int box : {MicroStep, Delay, Share, Cp}) TypeAndLeave(window.Box(box), window.Box(box)->text());
    EXPECT_TRUE(Sent().empty());
    EXPECT_TRUE(Messages().isEmpty());
}

TEST_F(ParameterSettingTest, PollRefreshSparesTheBoxBeingTypedIn) {
    drive.RdErrorIntvalTimer();
    Run(30);
    EXPECT_EQ(Sent(), (Frames{"C137", "C138", "C0", "C1", "C127", "C128"}));
    EXPECT_EQ(window.Box(Ci)->text(), "200");
    EXPECT_EQ(window.Box(Ls)->text(), "1.8");
    EXPECT_EQ(window.Box(Rs)->text(), "0.8");
    for (int typing : {Cp, Ls}) {
        SCOPED_TRACE(typing);
        DialogTest::Type(window.Box(typing), "12");
        session.mirror.SetI16(pid::Cp, 1111);  // as if the drive had changed them
        session.mirror.SetI16(pid::Ci, 222);
        session.mirror.SetI16(pid::Ls, 333);
        session.mirror.SetI16(pid::Rs, 444);
        drive.PollParaDone(Answered);
        EXPECT_EQ(window.Box(typing)->text(), "12");
        EXPECT_EQ(window.Box(Ci)->text(), "222");
        EXPECT_EQ(window.Box(Rs)->text(), "4.44");
        EXPECT_EQ(window.Box(typing == Cp ? Ls : Cp)->text(), typing == Cp ? "3.33" : "1111");
        window.Box(Ci)->setFocus(Qt::MouseFocusReason);  // leaving writes the 12
        Run(30);
        Sent();
    }
    window.hide();
    drive.RdErrorIntvalTimer();
    Run(30);
    EXPECT_EQ(Sent(), (Frames{"C137", "C138"}));
}

// Clicking another window takes the keyboard focus from the window but the box stays its
// focus widget: the poll must still spare what was typed there.
TEST_F(ParameterSettingTest, PollRefreshSparesTheTypedBoxWhileAnotherWindowIsActive) {
    DialogTest::Type(window.Box(Ls), "12");
    QWidget other;
    Show(other);
    ASSERT_FALSE(window.Box(Ls)->hasFocus());
    session.mirror.SetI16(pid::Ls, 333);
    session.mirror.SetI16(pid::Rs, 444);
    drive.PollParaDone(Answered);
    EXPECT_EQ(window.Box(Ls)->text(), "12");
    EXPECT_EQ(window.Box(Rs)->text(), "4.44");
}

TEST_F(ParameterSettingTest, FeatureLevelOneHidesCiLsAndRs) {
    for (const int level : {1, 0, 2}) {
        SCOPED_TRACE(level);
        ParameterSettingWindow w(drive, nullptr, level);
        Show(w);
        for (const char* name : {"Edit5", "Edit6", "Edit7", "Label9", "Label10", "Label11", "Label12", "Label13"})
            EXPECT_EQ(w.findChild<QWidget*>(name)->isVisible(), level != 1) << name;
        for (const char* name : {"Edit4", "Label5", "Button2"}) EXPECT_TRUE(w.findChild<QWidget*>(name)->isVisible());
    }
}

TEST_F(ParameterSettingTest, AutoTuneOutcomes) {
    QTest::mouseClick(window.findChild<QPushButton*>("Button2"), Qt::LeftButton);
    Run(20);
    EXPECT_EQ(Sent(), Frames{"H0"});
    EXPECT_TRUE(Messages().isEmpty());  // answered
    struct Case {
        uint16_t status;
        const char* message;
    };
    const Case cases[] = {
        {0, ""},
        {Failed, ""},
        {ordalis::Sent, ""},
        {10, "Driver in fault or disable,Can not perform this function"},
        {133, "Come back Error code 0085"},
        {Retrying, "Come back Error code 0081"},
        {2, "Come back Error code 0002"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        session.callbacks.AutoTuneDone(c.status, nullptr, 0);
        EXPECT_EQ(Messages(), QStringList{}) << "no box inside the link's callback";
        Run(5);
        const QString message = QString::fromUtf8(c.message);
        EXPECT_EQ(Messages(), message.isEmpty() ? QStringList{} : QStringList{message});
    }
    session.settings.LanguageIndex = 0;
    session.callbacks.AutoTuneDone(10, nullptr, 0);
    Run(5);
    EXPECT_EQ(Messages(), QStringList{QString::fromUtf8("驱动器禁能或异常，不能执行该项操作")});
    session.callbacks.AutoTuneDone(NoAnswer, nullptr, 0);
    Run(5);
    EXPECT_EQ(linkLost, 1);
}

}  // namespace
}  // namespace ordalis::test
