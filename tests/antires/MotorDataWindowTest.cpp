// The motor-parameter window reads MotorReadList on every showing and fills its edits
// from the last record's completion.
#include <QLineEdit>
#include <QTest>

#include "dialogs/MotorDataWindow.h"
#include "tests/antires/DriveWindowFixture.h"

namespace ordalis::test {
namespace {

class MotorData : public DriveWindowTest {
protected:
    QWidget* win = CreateMotorDataWindow(drive, &owner);

    QString Text(const char* edit) const { return Find<QLineEdit>(win, edit)->text(); }
    void Show() {
        win->hide();
        win->show();
        QApplication::processEvents();
    }
};

TEST_F(MotorData, EveryShowingReadsTheMotorAndFillsTheEdits) {
    scripted.params = {{pid::Ls, 250}, {pid::Rs, 75}, {pid::EncoderLines, 1000}, {pid::PolePairs, 50}};
    Show();
    AnswerAll();
    EXPECT_EQ(Sent(), (Sends{"C127", "C128", "C129", "C130"}));
    EXPECT_EQ(Text("Edit9"), QStringLiteral("2.5"));
    EXPECT_EQ(Text("Edit10"), QStringLiteral("0.75"));
    EXPECT_EQ(Text("Edit11"), QStringLiteral("50"));
    EXPECT_EQ(Text("Edit12"), QStringLiteral("1000"));
    EXPECT_EQ(Text("Edit13"), QStringLiteral("4000"));
    EXPECT_FALSE(Find<QLineEdit>(win, "Edit13")->isEnabled());

    scripted.params[pid::EncoderLines] = 2500;
    scripted.params[pid::Ls] = 1234;
    Show();
    AnswerAll();
    EXPECT_EQ(Sent(), (Sends{"C127", "C128", "C129", "C130"}));
    EXPECT_EQ(Text("Edit9"), QStringLiteral("12.34"));
    EXPECT_EQ(Text("Edit13"), QStringLiteral("10000"));
}

TEST_F(MotorData, EditsTheDriveDoesNotFillAreLeftAlone) {
    Find<QLineEdit>(win, "Edit3")->setText(QStringLiteral("0.48"));
    Show();
    AnswerAll();
    EXPECT_EQ(Text("Edit3"), QStringLiteral("0.48"));
    EXPECT_EQ(Text("Edit1"), QString());
}

TEST_F(MotorData, NoAnswerKeepsTheEarlierTextsAndOpensTheFailureDialog) {
    scripted.params = {{pid::EncoderLines, 1000}};
    Show();
    AnswerAll();
    ASSERT_EQ(Text("Edit12"), QStringLiteral("1000"));
    scripted.params[pid::EncoderLines] = 7;
    Show();
    Answer();
    Answer();
    Answer();
    Silence();  // the last record goes unanswered
    EXPECT_EQ(linkLost, 1);
    EXPECT_EQ(Text("Edit12"), QStringLiteral("1000"));
}

TEST_F(MotorData, AReadRefusedWhileAnotherWriteIsOnItsWayGoesOutAfterIt) {
    ASSERT_TRUE(drive.SendList(Lev2Queue, session.lists.WriteParam0List));
    Show();
    EXPECT_EQ(Sent(), Sends{"D0=0"});
    Answer();
    // Tried again on the window's own timer once the queue is free.
    ASSERT_TRUE(QTest::qWaitFor([&] { return scripted.Waiting(); }, 5000));
    AnswerAll();
    EXPECT_EQ(Sent(), (Sends{"C127", "C128", "C129", "C130"}));
}

}  // namespace
}  // namespace ordalis::test
