#pragma once
// A main window over a fake port and fake link timers, with a settings file of its own
// and recorded prompts. The window's own QTimers are real; tests call their handlers.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QDeadlineTimer>
#include <QLabel>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

#include "app/MainWindow.h"
#include "core/Session.h"
#include "link/Codec.h"
#include "core/DriveSession.h"
#include "tests/support/FakePort.h"
#include "tests/support/FakeTimer.h"
#include "tests/uisupport/RecordingUiPrompt.h"
#include "tests/uisupport/StoredLink.h"

namespace ordalis::test {

// A link record with one entry (COM1, 57600 baud, addresses 1 and 0xA), address 0xA selected.
inline LinkRecord StoredLink() { return OneEntryLink(1, 57600, {0x1, 0xA}, 1); }

// Runs the event loop until pred holds or the deadline passes; false on the deadline.
template <typename Pred>
bool WaitUntil(Pred pred, int deadlineMs = 10000) {
    QDeadlineTimer deadline(deadlineMs);
    while (!pred()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

class AppFixture : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString cfgPath = dir.filePath(QStringLiteral("cfg.ini"));
    FakePort port{false};
    FakeTimerFactory timers;
    RecordingUiPrompt prompt;
    std::unique_ptr<Session> session;
    std::unique_ptr<DriveSession> drive;
    std::unique_ptr<MainWindow> win;

    void WriteCfg(const QByteArray& text) {
        QFile f(cfgPath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    QByteArray ReadCfg() {
        QFile f(cfgPath);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void WriteStoredLink(int language = 0) {
        WriteCfg("[pset0]\nLauguageMode=" + QByteArray::number(language) + "\n[pset1]\nLastComMode=1\n[pset3]\nlinkinf=" +
                 QByteArray::fromStdString(StoredLink().ToHex()) + "\n");
    }

    // Creates and shows the main window; queued work of the show (the note) runs too.
    void Start() {
        session = std::make_unique<Session>(port, timers, prompt, 1u);
        drive = std::make_unique<DriveSession>(*session, timers, prompt);
        win = std::make_unique<MainWindow>(*session, *drive, prompt, cfgPath);
        win->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        win.reset();
        drive.reset();
        session.reset();
    }

    template <typename T = QAction>
    T* Find(const char* name) const {
        return win->findChild<T*>(QString::fromLatin1(name));
    }
    bool GroupShown(const char* name) const { return Find<QMenu>(name)->menuAction()->isVisible(); }
    QWidget* Panel() const { return Find<QWidget>("RzPanel1"); }
    QWidget* ToolBar() const { return Find<QWidget>("ToolBar1"); }

    // Answers every request written since the last call, as a drive with all-zero
    // parameters would, until the link sends nothing more. Returns (command, id) of each.
    // A read of refuseId is answered with the drive's "send again" condition instead.
    std::vector<std::pair<uint8_t, uint16_t>> AnswerAll(int refuseId = -1) {
        std::vector<std::pair<uint8_t, uint16_t>> sent;
        for (;;) {
            if (answered_ == port.written.size()) {
                // A RunQueue send held back by the read-back's pause goes out when it ends.
                if (!session->link.RunDelayPending()) break;
                timers.Advance(DriveSession::kReadBackPauseMs);
                continue;
            }
            if (sent.size() >= 1000) break;
            std::vector<uint8_t> f = port.written[answered_++];
            if (f.size() < 9) continue;  // the wake-up byte
            Unscramble(f.data() + 5, f.size() - 5, f[4]);
            const uint8_t command = f[7];
            const uint16_t id = f.size() >= 11 ? uint16_t(f[8] | f[9] << 8) : 0;
            sent.emplace_back(command, id);
            const uint8_t zeros[4] = {};
            const uint8_t refused[1] = {1};
            if (command == CmdRead && id == refuseId)
                port.Inject(EncodeAnswer(f[5], 1, refused, 1));
            else
                port.Inject(EncodeAnswer(f[5], 0, zeros, command == CmdRead ? 4 : 0));
        }
        return sent;
    }
    size_t answered_ = 0;

    // Completes a read-back of the given model as the link's callbacks would.
    void ReadBack(const std::string& model, uint16_t faultWord = 0, uint16_t faultCode = 0) {
        session->mirror.SetModelName(model);
        session->mirror.SetU16(137, faultWord);
        session->mirror.SetU16(138, faultCode);
        session->progressCounter = 0;
        drive->IdentifyDone(Answered);
        const int n = model == "HV120" ? 24 : 34;
        for (int i = 0; i < n; ++i) drive->ReadBackStep(Answered);
        QApplication::processEvents();
    }
};

}  // namespace ordalis::test
