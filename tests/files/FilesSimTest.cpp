// Parameter files and the EEPROM save in the main window against the drive simulator,
// with the real link, serial port and timers: the tool-bar actions through their file
// dialogs, the progress window, the poll, and the simulator's EEPROM state file.
#include <QFileDialog>
#include <QLabel>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QToolButton>

#include "app/FileActions.h"
#include "app/ProgressWindow.h"
#include "core/FileTexts.h"
#include "core/ParameterFile.h"
#include "core/Texts.h"
#include "link/FrameLog.h"
#include "link/qt/PortMap.h"
#include "link/qt/QtSerialPort.h"
#include "link/qt/QtTimers.h"
#include "tests/app/AppFixture.h"
#include "tests/simsupport/SimProcess.h"

namespace ordalis::test {
namespace {

// Requests as the link sends them: "R:D0" for a RunQueue write of parameter 0.
class RequestLog : public FrameLog {
public:
    std::vector<std::string> sent;
    void LogFrame(const std::string& prefix, const std::string&, const uint8_t* b, size_t n, uint8_t level) override {
        if (prefix.find("Send") == std::string::npos || n < 6) return;
        sent.push_back(std::string(1, "RPL"[level]) + ":" + char(b[3]) + std::to_string(b[4] | b[5] << 8));
    }
    std::vector<std::string> RunWrites(size_t mark = 0) const {
        std::vector<std::string> w;
        for (size_t i = mark; i < sent.size(); ++i)
            if (sent[i].rfind("R:D", 0) == 0) w.push_back(sent[i].substr(2));
        return w;
    }
    size_t PollsAfter(size_t mark) const {
        size_t n = 0;
        for (size_t i = mark; i < sent.size(); ++i) n += sent[i][0] == 'P';
        return n;
    }
};

const std::vector<std::string> kFileWrites = {"D0",   "D1",   "D97",  "D127", "D128", "D135", "D39",
                                              "D136", "D131", "D133", "D132", "D134", "D98",  "D99"};

class FilesSim : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString cfgPath = dir.filePath(QStringLiteral("cfg.ini"));
    QString statePath = dir.filePath(QStringLiteral("eeprom.txt"));
    QString espPath = dir.filePath(QStringLiteral("tuned.esp"));
    std::unique_ptr<testing::SimProcess> sim;
    std::unique_ptr<QtSerialPort> port;
    QtTimerFactory timers;
    RecordingUiPrompt prompt;
    std::unique_ptr<Session> session;
    std::unique_ptr<DriveSession> drive;
    std::unique_ptr<MainWindow> win;
    RequestLog log;

    // The simulator with the given drive and options, and the program reconnecting to it.
    void Start(std::vector<std::string> simArgs) {
        simArgs.insert(simArgs.end(), {"--state", statePath.toStdString()});
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
        win->show();
        ASSERT_TRUE(WaitUntil([&] { return Find<QWidget>("RzPanel1")->isVisible(); }, 20000)) << sim->Output();
        ASSERT_TRUE(Find<QWidget>("ToolBar1")->isEnabled());
        prompt.modals.clear();
    }
    void Stop() {
        win.reset();
        drive.reset();
        session.reset();
        port.reset();
        if (sim) sim->Stop();
        sim.reset();
    }
    void TearDown() override { Stop(); }

    template <typename T>
    T* Find(const char* name) const {
        return win->findChild<T*>(QString::fromLatin1(name));
    }
    FileActions& Actions() const { return *Find<FileActions>("FileActions"); }
    QProgressBar* Gauge() const { return win->progressWindow()->Gauge(); }
    // Answers the next file dialog with this file name.
    void ChooseInDialog(const QString& path) {
        prompt.onModal = [path](QDialog& d) {
            auto* dialog = qobject_cast<QFileDialog*>(&d);
            if (!dialog) return int(QDialog::Rejected);
            dialog->selectFile(path);
            return int(QDialog::Accepted);
        };
    }
    void Click(const char* button) { Find<QToolButton>(button)->click(); }
    // A file of the drive's current values with Cp changed to cp.
    void WriteFileWithCp(int16_t cp) {
        ParameterFileImage image = BuildParameterFile(session->mirror, 0);
        image[4] = uint8_t(cp & 0xFF);
        image[5] = uint8_t(uint16_t(cp) >> 8);
        image[1] = FileChecksum(image);
        QString error;
        ASSERT_TRUE(SaveBinFile(espPath, image, &error)) << error.toStdString();
    }
    // Loads espPath through TB_FileOpen and waits until the write-back has ended.
    void Load() {
        ChooseInDialog(espPath);
        Click("TB_FileOpen");
        ASSERT_TRUE(Actions().Files().Running());
        ASSERT_TRUE(WaitUntil([&] { return !Actions().Files().Running(); }, 20000)) << sim->Output();
    }
};

TEST_F(FilesSim, LoadWritesTheFileInOrderAndEepromSaveSurvivesARestart) {
    Start({"--drive", "1:TR560"});
    const int16_t cp = int16_t(session->mirror.GetI16(pid::Cp) + 111);
    WriteFileWithCp(cp);
    const size_t mark = log.sent.size();
    Load();
    EXPECT_EQ(log.RunWrites(mark), kFileWrites);
    EXPECT_EQ(Gauge()->maximum(), 14);
    EXPECT_EQ(Gauge()->value(), 14);
    EXPECT_EQ(win->progressWindow()->Label()->text(), ProgressWindow::kWriteText.Text(0));
    ASSERT_TRUE(WaitUntil([&] { return !win->progressWindow()->isVisible(); })) << "closed by its Timer1";
    EXPECT_TRUE(drive->IsPolling());
    ASSERT_TRUE(WaitUntil([&] { return log.PollsAfter(mark + 28) >= 4; })) << "the poll runs again";
    EXPECT_TRUE(prompt.messages.isEmpty()) << prompt.messages.join('|').toStdString();

    auto* notSaved = Find<QLabel>("EepromNotSaved");
    EXPECT_TRUE(notSaved->isVisibleTo(win.get()));
    EXPECT_EQ(notSaved->text(), Text(*session, FileTexts::kNotSavedStatus));
    bool saved = false;
    QObject::connect(&Actions().Eeprom(), &EepromSave::Saved, [&] { saved = true; });
    Click("TB_SaveEep");
    ASSERT_TRUE(WaitUntil([&] { return saved; })) << sim->Output();
    EXPECT_FALSE(notSaved->isVisibleTo(win.get()));
    QFile state(statePath);
    ASSERT_TRUE(state.open(QIODevice::ReadOnly));
    EXPECT_TRUE(state.readAll().contains("\n0 " + QByteArray::number(cp) + "\n"));
    state.close();

    // A power cycle: the simulator starts again from its EEPROM image.
    Stop();
    Start({"--drive", "1:TR560"});
    EXPECT_EQ(session->mirror.GetI16(pid::Cp), cp);
    EXPECT_FALSE(Find<QLabel>("EepromNotSaved")->isVisibleTo(win.get()));
}

TEST_F(FilesSim, Hv120PollsAfterALoad) {
    Start({"--drive", "1:HV120"});
    EXPECT_FALSE(drive->IsPolling());
    WriteFileWithCp(int16_t(session->mirror.GetI16(pid::Cp) + 1));
    const size_t mark = log.sent.size();
    Load();
    EXPECT_EQ(log.RunWrites(mark), kFileWrites);
    EXPECT_TRUE(drive->IsPolling());
    ASSERT_TRUE(WaitUntil([&] { return log.PollsAfter(mark + 28) >= 4; }));
}

TEST_F(FilesSim, RefusedRecordIsReportedAndThePollRestarts) {
    // The HV120's read-back does not read parameter 97, so only the write-back meets it.
    Start({"--drive", "1:HV120", "--refuse", "1:97"});
    WriteFileWithCp(int16_t(session->mirror.GetI16(pid::Cp) + 1));
    Load();
    ASSERT_TRUE(WaitUntil([&] { return !prompt.messages.isEmpty(); }));
    EXPECT_EQ(prompt.messages,
              QStringList{Text(*session, FileTexts::kWriteBackFailed).arg(ParameterForMessage(pid::PulseMode))});
    EXPECT_FALSE(win->progressWindow()->isVisible());
    EXPECT_TRUE(drive->IsPolling());
}

TEST_F(FilesSim, FileDialogsAddTheExtensionAndReportBadFiles) {
    Start({"--drive", "1:LQ340"});
    const QString typed = dir.filePath(QStringLiteral("typed"));
    ChooseInDialog(typed);
    Click("TB_SaveFile");
    EXPECT_EQ(prompt.modals, QStringList{"SaveDialog1"});
    ASSERT_TRUE(QFile::exists(typed + ".esp")) << prompt.messages.join('|').toStdString() << " "
                                               << QDir(dir.path()).entryList().join(',').toStdString();
    EXPECT_EQ(QFileInfo(typed + ".esp").size(), 32);
    ChooseInDialog(dir.filePath(QStringLiteral("nothing-here.esp")));
    const size_t mark = log.sent.size();
    Click("TB_FileOpen");
    EXPECT_EQ(prompt.messages, QStringList{Text(*session, FileTexts::kFormatError)});
    EXPECT_TRUE(log.RunWrites(mark).empty());
    EXPECT_EQ(log.sent.size() - log.PollsAfter(mark), mark) << "nothing but the poll went out";
}

}  // namespace
}  // namespace ordalis::test
