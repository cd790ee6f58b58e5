// The connect-identify-poll cycle of the main window: start-up reconnect, model
// identification, read-back with the progress window, fault check and the status poll.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <QFrame>

#include "app/MainTexts.h"
#include "app/MainWindow.h"
#include "app/NoteDialog.h"
#include "app/ProgressWindow.h"
#include "core/Session.h"
#include "core/UiPrompt.h"
#include "link/Codec.h"
#include "model/ModelFamily.h"
#include "wizard/ConnectionFailureDialog.h"
#include "wizard/Connector.h"
#include "wizard/WizardApi.h"

namespace ordalis {

namespace {
constexpr uint16_t kFaultWord = 137;
constexpr uint16_t kFaultCode = 138;
constexpr int kFaultBit = 11;

void Run(const std::function<void()>& hook) {
    if (hook) hook();
}

// "37 (Ipeak)" for a parameter with a log name, plain "99" for the others.
QString ParameterForMessage(uint16_t id) {
    const QString number = QString::number(id);
    if (id >= std::size(ParamNames)) return number;
    const QString name = QString::fromUtf8(ParamNames[id]).trimmed();
    if (name.isEmpty() || name.contains(QLatin1String("Not identified"))) return number;
    return number + " (" + name + ")";
}
}  // namespace

void MainWindow::FormShow() {
    SetMainMenu(menus_[session_.settings.LanguageIndex]);
    for (const char* g : {"ChFile", "EnFile", "ChSetting", "EnSetting", "chView", "EnView"})
        Group(g)->menuAction()->setVisible(false);
    for (const char* g : {"ChTool", "EnTool", "ChLang", "EnLang"}) Group(g)->menuAction()->setVisible(true);
    panel_->hide();
    toolBar_->setEnabled(false);

    if (FillLinkTree(tree_, session_)) {
        // The note is modal: open it once this handler has returned, not inside it.
        if (!notePending_) {
            notePending_ = true;
            QTimer::singleShot(0, this, &MainWindow::Reconnect);
        }
    } else {
        selComModeDelay_->start();
    }
    SetHints();
}

void MainWindow::Reconnect() {
    notePending_ = false;
    prompt_.ExecModal(*note_);
    const LinkRecord& rec = session_.settings.linkRecord;
    const uint8_t entry = rec.SelectedEntry();
    const uint8_t index = rec.SelectedAddressIndex();
    // A damaged record must not send us past the entry table or an entry's address list.
    if (entry > LinkRecord::kMaxEntries || index >= 16) {
        selComModeDelay_->start();
        return;
    }
    connector_->ConnectDrive(rec.Port(entry), rec.Baud(entry), rec.Address(entry, index));
}

void MainWindow::SetupModelPanel(const std::string& modelName) {
    if (!IsLqTrFamily(modelName)) return;
    if (session_.settings.LanguageIndex == 1) {
        Group("EnFile")->menuAction()->setVisible(true);
        Group("EnSetting")->menuAction()->setVisible(false);
        Group("EnTool")->menuAction()->setVisible(true);
        Group("EnView")->menuAction()->setVisible(true);
        Action("EN_MV_IoState")->setVisible(false);
    } else {
        Group("ChFile")->menuAction()->setVisible(true);
        Group("ChSetting")->menuAction()->setVisible(false);
        Group("ChTool")->menuAction()->setVisible(true);
        Group("chView")->menuAction()->setVisible(true);
        Action("CH_MV_IoState")->setVisible(false);
        if (FeatureLevel == 1) Action("CH_MV_ComInfo")->setVisible(false);
    }
    struct Placement {
        const TextPair& caption;
        QPoint pos;
    };
    const Placement placements[] = {{MainTexts::kPulseInput, {52, 184}},
                                    {MainTexts::kStatusMonitor, {225, 284}},
                                    {MainTexts::kParameterSetting, {225, 68}},
                                    {MainTexts::kAntiResonance, {405, 184}}};
    for (int i = 0; i < 4; ++i) {
        modelButtons_[i]->setText(placements[i].caption.Text(session_.settings.LanguageIndex));
        modelButtons_[i]->move(placements[i].pos);
        modelButtons_[i]->show();
    }
}

void MainWindow::IdentifyDone(uint16_t status) {
    if (status == NoAnswer) {
        QueueConnectionFailure();
        return;
    }
    if (status != Answered) return;
    const std::string name = session_.mirror.ModelName();
    if (IsHv120(name))
        readBackList_ = &session_.lists.ReadBackList24;
    else if (IsLqTrFamily(name))
        readBackList_ = &session_.lists.ReadBackList34;
    else
        return;
    readBackPos_ = 0;
    readBackAborted_ = false;
    progress_->Gauge()->setMaximum(readBackList_->Count);
    progress_->Gauge()->setValue(0);
    session_.link.SendRunList(*readBackList_);
}

void MainWindow::ReadBackStep(uint16_t status) {
    if (status == NoAnswer) {
        QueueConnectionFailure();
        return;
    }
    if (readBackAborted_ || status == Sent) return;
    // Every status but these ends a record of the list: it tells which one failed.
    const int record = readBackPos_++;
    if (status == Failed) {
        // The drive refused a record: say which one and leave the read-back, rather than
        // leave the progress window waiting for a count it will never reach.
        readBackAborted_ = true;
        uint16_t id = 0;
        if (readBackList_ && record < readBackList_->Count) id = readBackList_->Records[record].ParamId;
        session_.link.StopRunQueue();
        progress_->Timer()->stop();
        ProgressFinished();
        Tell(MainTexts::kReadBackFailed.Text(session_.settings.LanguageIndex).arg(ParameterForMessage(id)));
        return;
    }
    if (status != Answered) return;

    progress_->Label()->setText(ProgressWindow::kReadText.Text(session_.settings.LanguageIndex));
    ++session_.progressCounter;
    progress_->Gauge()->setValue(session_.progressCounter);
    if (session_.progressCounter == progress_->Gauge()->maximum()) {
        progress_->Timer()->start();
        const std::string name = session_.mirror.ModelName();
        if (IsHv120(name)) {
            Run(hooks_.FillScopeGains);
            Run(hooks_.UpdateVelocityFactors);
        } else if (IsLqTrFamily(name)) {
            if (session_.mirror.Bit(kFaultWord, kFaultBit)) {
                const QString code =
                    QString::number(session_.mirror.GetU16(kFaultCode), 16).toUpper().rightJustified(2, u'0');
                Tell(QStringLiteral("Error:EC=") + code);
                return;
            }
            Run(hooks_.FillScopeGains);
            SetupModelPanel(name);
            Run(hooks_.RefreshParameterSetting);
            Run(hooks_.RefreshPulseInput);
            pollTimer_->start();
        }
    }
    if (!progress_->isVisible()) progress_->show();
}

void MainWindow::ProgressFinished() {
    panel_->show();
    toolBar_->setEnabled(true);
    progress_->close();
}

void MainWindow::RdErrorIntvalTimer() {
    const bool monitor = windows_.StatusMonitor && windows_.StatusMonitor->isVisible();
    session_.link.SendPollList(monitor ? session_.lists.PollMonitorList : session_.lists.PollStatusList);
    if (windows_.ParameterSetting && windows_.ParameterSetting->isVisible())
        session_.link.AddPollList(session_.lists.PollParaList);
}

void MainWindow::PollStatusDone(uint16_t status) {
    if (status == Answered) {
        if (windows_.StatusMonitor && windows_.StatusMonitor->isVisible()) Run(hooks_.UpdateStatus);
    } else if (status == NoAnswer) {
        StopPollTimer();
        QueueConnectionFailure();
    }
}

void MainWindow::PollParaDone(uint16_t status) {
    if (status == Answered) {
        if (windows_.ParameterSetting && windows_.ParameterSetting->isVisible()) Run(hooks_.RefreshPolledParameters);
    } else if (status == NoAnswer) {
        StopPollTimer();
        QueueConnectionFailure();
    }
}

void MainWindow::StopPollTimer() {
    pollTimer_->stop();
}

void MainWindow::ShowConnectionFailure() {
    if (failureOpen_) return;
    failureOpen_ = true;
    failure_->Prepare();
    prompt_.ExecModal(*failure_);
    failureOpen_ = false;
}

// Link callbacks run inside the link's receive or time-out handling; a modal dialog
// opened there would run a nested event loop inside the link. Open it afterwards.
void MainWindow::QueueConnectionFailure() {
    if (failurePending_ || failureOpen_) return;
    failurePending_ = true;
    QTimer::singleShot(0, this, [this] {
        failurePending_ = false;
        ShowConnectionFailure();
    });
}

void MainWindow::Tell(const QString& text) {
    QTimer::singleShot(0, this, [this, text] { prompt_.ShowText(text); });
}

}  // namespace ordalis
