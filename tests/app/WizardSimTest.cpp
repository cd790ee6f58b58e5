// The wizard inside the main window, over real ports: the drive simulator on a
// pseudo-terminal as COM1/COM3, a pseudo-terminal held by someone else as COM2, and
// paths that do not exist for the other COM names.
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/MainWindow.h"
#include "core/DriveSession.h"
#include "core/Session.h"
#include "link/qt/PortMap.h"
#include "link/qt/QtSerialPort.h"
#include "link/qt/QtTimers.h"
#include "tests/simsupport/SimProcess.h"
#include "tests/uisupport/RecordingUiPrompt.h"
#include "tests/uisupport/StoredLink.h"
#include "wizard/ConnectionFailureDialog.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace ordalis::test {
namespace {

template <typename Pred>
bool WaitUntil(Pred pred, int deadlineMs = 20000) {
    QDeadlineTimer deadline(deadlineMs);
    while (!pred()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
    }
    return true;
}

void Click(QWidget& w, const char* name) {
    auto* b = w.findChild<QAbstractButton*>(name);
    ASSERT_NE(b, nullptr) << name;
    b->click();
}

QStringList Items(QWidget& w, const char* name) {
    QStringList items;
    auto* l = w.findChild<QListWidget*>(name);
    for (int i = 0; l && i < l->count(); ++i) items << l->item(i)->text();
    return items;
}

void Select(QWidget& w, const char* list, const QString& text) {
    auto* l = w.findChild<QListWidget*>(list);
    l->setCurrentItem(l->findItems(text, Qt::MatchExactly).value(0));
}

class WizardOverSimulator : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(openpty(&busyMaster_, &busySlave_, busyName_, nullptr, nullptr), 0);
        ASSERT_TRUE(StartSim(sim_));
    }
    void TearDown() override {
        win_.reset();
        drive_.reset();
        session_.reset();
        holder_.reset();
        port_.reset();
        close(busyMaster_);
        close(busySlave_);
    }

    bool StartSim(std::unique_ptr<testing::SimProcess>& sim) {
        sim = std::make_unique<testing::SimProcess>(
            std::vector<std::string>{"--drive", "1:LQ340", "--drive", "10:TR560"});
        return sim->Start();
    }

    // cfg.ini: the COM names, and the settings of an earlier run when given.
    void WriteCfg(const QByteArray& settings = {}) {
        QFile f(cfgPath_);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(settings + "[ports]\n" + PortLines(sim_->LinkPath()));
    }
    QByteArray PortLines(const std::string& simLink) const {
        const QByteArray none = dir_.filePath("none").toUtf8();
        return "COM1=" + QByteArray::fromStdString(simLink) + "\nCOM2=" + QByteArray(busyName_) +
               "\nCOM3=" + QByteArray::fromStdString(simLink) + "\nCOM4=" + none + "4\nCOM5=" + none + "5\n";
    }
    QByteArray ReadCfg() const {
        QFile f(cfgPath_);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // The program as main() builds it, with a recording prompt and COM2 held by another port.
    void StartProgram(bool show) {
        port_ = std::make_unique<QtSerialPort>(PortMap::FromIni(cfgPath_));
        holder_ = std::make_unique<QtSerialPort>(PortMap::FromIni(cfgPath_));
        holder_->SetCommName("COM2");
        ASSERT_EQ(holder_->Open(), PortOpenError::None);
        session_ = std::make_unique<Session>(*port_, timers_, prompt_, 5u);
        drive_ = std::make_unique<DriveSession>(*session_, timers_, prompt_);
        win_ = std::make_unique<MainWindow>(*session_, *drive_, prompt_, cfgPath_);
        if (show) win_->show();
    }
    void StopProgram() {
        win_->close();
        win_.reset();
        drive_.reset();
        session_.reset();
        holder_.reset();
        port_.reset();
    }
    bool Polling() const { return win_ && drive_->IsPolling(); }

    QTemporaryDir dir_;
    QString cfgPath_ = dir_.filePath("cfg.ini");
    std::unique_ptr<testing::SimProcess> sim_;
    int busyMaster_ = -1, busySlave_ = -1;
    char busyName_[256] = {};
    QtTimerFactory timers_;
    RecordingUiPrompt prompt_;
    std::unique_ptr<QtSerialPort> port_, holder_;
    std::unique_ptr<Session> session_;
    std::unique_ptr<DriveSession> drive_;
    std::unique_ptr<MainWindow> win_;
    QMap<QString, std::function<int(QDialog&)>> script_;
};

TEST_F(WizardOverSimulator, SearchesChoosesConnectsAt115200AndReconnectsAtTheNextStart) {
    WriteCfg("[pset0]\nLauguageMode=1\n");
    StartProgram(false);
    QStringList offered, rows;
    bool searchEnded = false;
    prompt_.onModal = [&](QDialog& d) {
        const QString name = d.objectName();
        if (name == "TForm2") {
            Click(d, "Button1");
        } else if (name == "TForm4") {
            offered = Items(d, "ListBox1");
            for (const char* port : {"COM2", "COM1"}) {
                Select(d, "ListBox1", port);
                Click(d, "Button1");
            }
            Click(d, "Button4");
        } else if (name == "TForm6") {
            // Tab 0 (COM2) stays without addresses; tab 1 (COM1) is searched and chosen.
            d.findChild<QTabWidget*>("PageControl1")->setCurrentIndex(1);
            Click(d, "Button1");
            searchEnded = WaitUntil([&] { return prompt_.messages.contains("Search end!"); });
            rows = Items(d, "ListBox3");
            Click(d, "Button5");
            EXPECT_EQ(prompt_.messages.last(), "Please select at least one slave address!");
            for (const char* row : {"Addr:01...--OK", "Addr:0A...--OK"}) {
                Select(d, "ListBox3", row);
                Click(d, "Button3");
            }
            Click(d, "Button5");
            EXPECT_EQ(prompt_.messages.last(), "Please select slave address!");
            d.findChild<QListWidget*>("ListBox4")->setCurrentRow(0);
            Click(d, "Button5");
        }
        return d.result();
    };
    win_->OpenWizard();

    EXPECT_EQ(prompt_.modals, (QStringList{"TForm2", "TForm4", "TForm6"}));
    EXPECT_EQ(offered, (QStringList{"COM1", "COM2", "COM3"}));  // COM4, COM5 do not exist
    ASSERT_TRUE(searchEnded);
    QStringList expectedRows;
    for (int a = 0; a < 16; ++a)
        expectedRows << QStringLiteral("Addr:%1...").arg(QString::number(a, 16).toUpper().rightJustified(2, '0')) +
                            (a == 1 || a == 10 ? "--OK" : "Offline");
    EXPECT_EQ(rows, expectedRows);

    // One entry, from the second tab: COM1, 115200, addresses 01 and 0A, the first selected.
    std::string expected = "00000100" "01000000" "00C20100" "02" "010A";
    expected.resize(LinkRecord::kSize * 2, '0');
    EXPECT_EQ(session_->settings.linkRecord.ToHex(), expected);

    ASSERT_TRUE(WaitUntil([&] { return Polling(); }));  // identified, read back, polling
    EXPECT_EQ(session_->mirror.ModelName(), "LQ340");
    EXPECT_EQ(port_->BaudRate(), 115200);

    StopProgram();
    const QByteArray cfg = ReadCfg();
    EXPECT_TRUE(cfg.contains("linkinf=" + QByteArray::fromStdString(expected))) << cfg.constData();
    EXPECT_TRUE(cfg.contains("LastComMode=1"));

    // The next start reconnects from the stored record (after the note), no wizard.
    prompt_.modals.clear();
    prompt_.onModal = [](QDialog& d) { return d.result(); };
    StartProgram(true);
    ASSERT_TRUE(WaitUntil([&] { return Polling(); }));
    EXPECT_EQ(prompt_.modals, QStringList{"TForm10"});
    EXPECT_EQ(session_->link.SlaveAddress, 1);
}

TEST_F(WizardOverSimulator, FailureDialogRetriesOpensTheWizardOrLeavesTheLinkSilent) {
    enum Choice { Retry, NewConnection, Cancel };
    for (Choice choice : {Retry, NewConnection, Cancel}) {
        SCOPED_TRACE(choice);
        if (!sim_->Running()) {
            ASSERT_TRUE(StartSim(sim_));
        }
        // Stored link: COM3 at 57600, addresses 1 and 0x0A, 0x0A selected.
        const LinkRecord r = test::OneEntryLink(3, 57600, {0x01, 0x0A}, 1);
        WriteCfg("[pset0]\nLauguageMode=1\n[pset1]\nLastComMode=1\n[pset3]\nlinkinf=" +
                 QByteArray::fromStdString(r.ToHex()) + "\n");
        prompt_.modals.clear();
        QString message;
        bool pollWhileWizard = true;
        prompt_.onModal = [&](QDialog& d) {
            if (d.objectName() == "TForm9") {
                message = d.findChild<QLabel*>("Label1")->text();
                if (choice == Retry) {
                    // The drive comes back on another terminal; COM3 now names it.
                    std::unique_ptr<testing::SimProcess> again;
                    EXPECT_TRUE(StartSim(again));
                    sim_ = std::move(again);
                    WriteCfg();
                    port_->SetPortMap(PortMap::FromIni(cfgPath_));
                }
                Click(d, choice == Retry ? "Button1" : choice == NewConnection ? "Button3" : "Button2");
            } else if (d.objectName() == "TForm2") {
                Click(d, "Button1");  // the first page stops the poll
                pollWhileWizard = Polling();
            }
            return d.result();
        };
        StartProgram(true);
        ASSERT_TRUE(WaitUntil([&] { return Polling(); }));
        sim_->Stop();  // the drive goes silent: the poll ends in the failure dialog
        ASSERT_TRUE(WaitUntil([&] { return prompt_.modals.contains("TForm9"); }));
        EXPECT_EQ(message, ConnectionFailureDialog::Message(1, 3, 10));
        if (choice == Retry) {
            EXPECT_TRUE(WaitUntil([&] { return Polling(); }));
            EXPECT_EQ(session_->link.SlaveAddress, 10);
        } else if (choice == NewConnection) {
            EXPECT_EQ(prompt_.modals.mid(prompt_.modals.indexOf("TForm9")),
                      (QStringList{"TForm9", "TForm2", "TForm4"}));
            EXPECT_FALSE(pollWhileWizard);
        } else {
            QTimer settle;
            settle.start(1000);
            WaitUntil([&] { return !settle.isActive(); }, 5000);
            EXPECT_FALSE(Polling());
            EXPECT_EQ(prompt_.modals.count("TForm2"), 0);
        }
        StopProgram();
    }
}

}  // namespace
}  // namespace ordalis::test
