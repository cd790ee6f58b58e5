// What the main window shows of these windows: the motor-data item of the View menu and
// the status-bar note while the speed generator runs.
#include <QCheckBox>
#include <QStatusBar>

#include "tests/app/AppFixture.h"

namespace ordalis::test {
namespace {

using MainWindowHooks = AppFixture;

TEST_F(MainWindowHooks, MotorDataItemIsEnabledOnceADriveIsReadBackAndOpensTheWindow) {
    Start();
    for (const char* item : {"CH_MV_MotorData", "EN_MV_MotorData"}) EXPECT_FALSE(Find(item)->isEnabled()) << item;
    ReadBack("LQ340");
    for (const char* item : {"CH_MV_MotorData", "EN_MV_MotorData"}) EXPECT_TRUE(Find(item)->isEnabled()) << item;
    Find("CH_MV_MotorData")->trigger();
    QWidget* motor = Find<QWidget>("TForm12");
    ASSERT_NE(motor, nullptr);
    EXPECT_TRUE(motor->isVisible());
    motor->hide();
    Find("EN_MV_MotorData")->trigger();
    EXPECT_TRUE(motor->isVisible());
}

TEST_F(MainWindowHooks, StatusBarTellsThatTheGeneratorRunsUntilItIsSwitchedOff) {
    Start();
    ReadBack("LQ340");
    auto* note = Find<QLabel>("GeneratorState");
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->text(), QString());

    QWidget* antiRes = Find<QWidget>("TForm15");
    antiRes->show();
    QApplication::processEvents();
    antiRes->findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->click();
    antiRes->close();  // closing only hides: the motor keeps turning
    EXPECT_EQ(note->text(), QString::fromUtf8("内部转速发生器运行中"));
    Find("English1")->trigger();
    EXPECT_EQ(note->text(), QStringLiteral("speed generator running"));

    // Switched off (the window's side of it is in AntiResonance.GeneratorSwitch...).
    drive->SetGeneratorRunning(false);
    EXPECT_EQ(note->text(), QString());
}

TEST_F(MainWindowHooks, HelpButtonShowsTheProgramsOneHelpWindow) {
    Start();
    ReadBack("LQ560");
    QWidget* antiRes = Find<QWidget>("TForm15");
    antiRes->show();
    QApplication::processEvents();
    auto* help = antiRes->findChild<QPushButton*>(QStringLiteral("Button2"));
    help->click();
    help->click();
    EXPECT_EQ(win->findChildren<QWidget*>(QStringLiteral("TForm17")).size(), 1);
    EXPECT_TRUE(Find<QWidget>("TForm17")->isVisible());
}

TEST_F(MainWindowHooks, AGeneratorFoundRunningByTheReadBackShowsAtOnce) {
    Start();
    session->mirror.SetI16(pid::WorkMode, WorkModeGeneratorOn);
    ReadBack("TR560");
    EXPECT_EQ(Find<QLabel>("GeneratorState")->text(), QString::fromUtf8("内部转速发生器运行中"));
    drive->ConnectDrive(1, 57600, 1);
    EXPECT_EQ(Find<QLabel>("GeneratorState")->text(), QString());
}

}  // namespace
}  // namespace ordalis::test
