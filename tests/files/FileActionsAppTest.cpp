// The main window's side of files, EEPROM and log: the View menu's log items, the status
// bar's "not saved to EEPROM" and the question at close.
#include <QLabel>
#include <QMessageBox>

#include "app/FileActions.h"
#include "app/ProgressWindow.h"
#include "core/FileTexts.h"
#include "tests/app/AppFixture.h"

namespace ordalis::test {
namespace {

class FileActionsApp : public AppFixture {
protected:
    int closed = 0;
    void Connect(const std::string& model = "LQ340") {
        Start();
        QObject::connect(win.get(), &MainWindow::Closed, [this] { ++closed; });
        port.Open();  // the connection itself is not played here
        ReadBack(model);
        win->progressWindow()->Timer1Timer();
        AnswerAll();
    }
    QLabel* NotSaved() const { return Find<QLabel>("EepromNotSaved"); }
    // Answers the close question with the given button.
    void Answer(QMessageBox::StandardButton button) {
        prompt.onModal = [button](QDialog& d) { return d.objectName() == "EepromCloseQuestion" ? int(button) : 0; };
    }
};

TEST_F(FileActionsApp, LogItemsAreEnabledOnceADriveIsReadBackAndOpenTheLog) {
    Start();
    EXPECT_FALSE(Find("CH_MV_ComInfo")->isEnabled());
    EXPECT_FALSE(Find("EN_MV_ComInfo")->isEnabled());
    ReadBack("TR560");
    EXPECT_TRUE(Find("CH_MV_ComInfo")->isEnabled());
    EXPECT_TRUE(Find("EN_MV_ComInfo")->isEnabled());
    EXPECT_TRUE(Find("CH_MV_ComInfo")->isVisible());
    for (const char* item : {"CH_MV_ComInfo", "EN_MV_ComInfo"}) {
        win->dialogs().CommLog->close();
        Find(item)->trigger();
        EXPECT_TRUE(win->dialogs().CommLog->isVisible()) << item;
    }
}

TEST_F(FileActionsApp, StatusBarTellsOfUnsavedWorkInTheCurrentLanguage) {
    Connect();
    EXPECT_FALSE(NotSaved()->isVisibleTo(win.get()));
    ASSERT_EQ(drive->WriteParameter(pid::Cp, 1500, {0, 32767}), WriteOutcome::Queued);
    AnswerAll();
    EXPECT_TRUE(NotSaved()->isVisibleTo(win.get()));
    EXPECT_EQ(NotSaved()->text(), QStringLiteral("参数未保存到EEPROM"));
    Find<QToolButton>("TB_SaveEep")->click();
    AnswerAll();
    EXPECT_FALSE(NotSaved()->isVisibleTo(win.get()));
    ASSERT_EQ(drive->WriteParameter(pid::Cp, 1600, {0, 32767}), WriteOutcome::Queued);
    AnswerAll();
    Find("English1")->trigger();
    QApplication::processEvents();
    EXPECT_EQ(NotSaved()->text(), QStringLiteral("Not saved to EEPROM"));
}

TEST_F(FileActionsApp, CloseAsksWhileUnsaved) {
    Connect();
    win->close();
    EXPECT_EQ(closed, 1) << "nothing unsaved: no question";
    EXPECT_TRUE(prompt.modals.isEmpty());
}

TEST_F(FileActionsApp, CloseQuestionCancelStaysNoCloses) {
    Connect();
    ASSERT_EQ(drive->WriteParameter(pid::Cp, 1500, {0, 32767}), WriteOutcome::Queued);
    AnswerAll();
    Answer(QMessageBox::Cancel);
    win->close();
    EXPECT_EQ(prompt.modals, QStringList{"EepromCloseQuestion"});
    EXPECT_EQ(closed, 0);
    EXPECT_TRUE(win->isVisible());
    Answer(QMessageBox::No);
    win->close();
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(prompt.modals.size(), 2);
}

TEST_F(FileActionsApp, CloseQuestionYesSavesThenCloses) {
    Connect();
    ASSERT_EQ(drive->WriteParameter(pid::Cp, 1500, {0, 32767}), WriteOutcome::Queued);
    AnswerAll();
    Answer(QMessageBox::Yes);
    win->close();
    EXPECT_EQ(closed, 0) << "not before the drive has answered";
    const auto sent = AnswerAll();
    ASSERT_FALSE(sent.empty()) << prompt.messages.join('|').toStdString();
    EXPECT_EQ(sent.front().first, CmdEeprom);
    QApplication::processEvents();
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(prompt.modals, QStringList{"EepromCloseQuestion"});
}

}  // namespace
}  // namespace ordalis::test
