// The log window: the flags its controls set, captions by language, Clear, Close, the
// memo fed by the log, and Save through a file dialog.
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "core/CommLog.h"
#include "core/DriveSession.h"
#include "core/Session.h"
#include "dialogs/CommLogWindow.h"
#include "tests/support/FakePort.h"
#include "tests/support/FakeTimer.h"
#include "tests/uisupport/RecordingUiPrompt.h"

namespace ordalis::test {
namespace {

class CommLogWindowTest : public ::testing::Test {
protected:
    FakePort port{true};
    FakeTimerFactory timers;
    RecordingUiPrompt prompt;
    Session session{port, timers, prompt, 5};
    DriveSession drive{session, timers, prompt};
    CommLogWindow window{drive, nullptr};

    template <typename T>
    T* Find(const char* name) {
        return window.findChild<T*>(QString::fromLatin1(name));
    }
    std::array<bool, 3> Flags() {
        CommLog& log = window.Log();
        return {log.Flag(RunQueue), log.Flag(PollQueue), log.Flag(Lev2Queue)};
    }
    void Feed(const char* line) {
        const uint8_t bytes[3] = {0x5F, 0x01, 0x00};
        window.Log().LogFrame(std::string("12:00:00-0000  Send   "), line, bytes, 3, Lev2Queue);
    }
};

TEST_F(CommLogWindowTest, OpensLoggingTriggeredRecordsOnly) {
    EXPECT_EQ(window.objectName(), QStringLiteral("TForm3"));
    EXPECT_EQ(Flags(), (std::array<bool, 3>{false, false, false})) << "nothing before the first show";
    window.show();
    EXPECT_EQ(Flags(), (std::array<bool, 3>{false, false, true}));
    EXPECT_TRUE(window.Log().Timer2().IsActive());
}

TEST_F(CommLogWindowTest, ControlsSetTheFlags) {
    window.show();
    auto* check = Find<QCheckBox>("CheckBox1");
    auto* triggered = Find<QRadioButton>("RadioButton1");
    auto* all = Find<QRadioButton>("RadioButton2");
    all->click();
    EXPECT_EQ(Flags(), (std::array<bool, 3>{true, true, true}));
    check->click();  // off
    EXPECT_EQ(Flags(), (std::array<bool, 3>{false, false, false}));
    triggered->click();  // acts while the check box is off
    EXPECT_EQ(Flags(), (std::array<bool, 3>{false, false, true}));
    all->click();
    EXPECT_EQ(Flags(), (std::array<bool, 3>{true, true, true}));
    check->click();  // on, all records selected
    EXPECT_EQ(Flags(), (std::array<bool, 3>{true, true, true}));
    Find<QPushButton>("Button2")->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(Flags(), (std::array<bool, 3>{false, false, false}));
    EXPECT_FALSE(window.Log().Timer2().IsActive());
}

TEST_F(CommLogWindowTest, CaptionsFollowTheLanguageAtShow) {
    const struct {
        uint8_t language;
        const char* clear;
        const char* close;
    } cases[] = {{0, "清除", "关闭"}, {1, "Clear", "Close"}};
    for (const auto& c : cases) {
        session.settings.LanguageIndex = c.language;
        window.show();
        EXPECT_EQ(Find<QPushButton>("Button1")->text(), QString::fromUtf8(c.clear));
        EXPECT_EQ(Find<QPushButton>("Button2")->text(), QString::fromUtf8(c.close));
        EXPECT_EQ(window.windowTitle(), QStringLiteral("通信日志"));
        window.close();
    }
}

TEST_F(CommLogWindowTest, MemoShowsTheFlushedLinesAndClearEmptiesIt) {
    window.show();
    Feed("Set kp");
    window.Log().Timer2Timer();
    EXPECT_EQ(window.Memo()->toPlainText(), QStringLiteral("12:00:00-0000  Send   Set kp:  5F 01 00 \n"));
    Feed("Set ki");
    Find<QPushButton>("Button1")->click();
    EXPECT_TRUE(window.Memo()->toPlainText().isEmpty());
    EXPECT_TRUE(window.Log().Buffer().isEmpty());
}

TEST_F(CommLogWindowTest, SaveWritesMemoAndBufferWithTheirMeaning) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("exchange"));
    window.show();
    Feed("Set kp");
    window.Log().Timer2Timer();
    Feed("Set ki");  // still buffered
    prompt.onModal = [&](QDialog& d) {
        auto* dialog = qobject_cast<QFileDialog*>(&d);
        if (!dialog) return int(QDialog::Rejected);
        dialog->selectFile(path);
        return int(QDialog::Accepted);
    };
    Find<QPushButton>("Button3")->click();
    EXPECT_EQ(prompt.modals, QStringList{"SaveLogDialog"});
    QFile f(path + ".txt");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << "the default extension is added";
    const QList<QByteArray> lines = f.readAll().split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith("12:00:00-0000  Send   Set kp:  5F 01 00 "));
    EXPECT_TRUE(lines[0].endsWith("\r"));
    EXPECT_TRUE(lines[1].startsWith("12:00:00-0000  Send   Set ki:  5F 01 00 "));
    EXPECT_TRUE(prompt.messages.isEmpty());
}

}  // namespace
}  // namespace ordalis::test
