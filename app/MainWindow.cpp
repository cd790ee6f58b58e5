#include "app/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <random>

#include "app/FileActions.h"
#include "app/LinkTree.h"
#include "app/MenuBars.h"
#include "app/MainTexts.h"
#include "app/NoteDialog.h"
#include "app/ProgressWindow.h"
#include "core/Deferred.h"
#include "core/DriveSession.h"
#include "core/Session.h"
#include "core/SettingsFile.h"
#include "core/UiPrompt.h"
#include "model/ModelFamily.h"
#include "wizard/ConnectionFailureDialog.h"
#include "wizard/WizardApi.h"

namespace ordalis {

MainWindow::MainWindow(Session& state, DriveSession& drive, UiPrompt& prompt, const SettingsPaths& paths,
                       QWidget* parent)
    : QMainWindow(parent),
      state_(state),
      drive_(drive),
      prompt_(prompt),
      paths_(paths),
      wizard_{state, drive, prompt, this} {
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Ordalis configuration tool"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(11);
    setFont(f);

    LoadSettings(paths_.read, state_.settings);
    const int16_t channels[TraceChannels] = {1, 2, 0, 0, 0, 0};
    std::copy(std::begin(channels), std::end(channels), state_.trace.TraceVariable);

    menus_ = new MenuBars(this, state_.settings.LanguageIndex);
    setMenuWidget(menus_->Holder());
    layout_ = BuildMainLayout(this);

    selComModeDelay_ = new QTimer(this);
    selComModeDelay_->setObjectName(QStringLiteral("SelComModeDelay"));
    selComModeDelay_->setInterval(1000);
    selComModeDelay_->setSingleShot(true);
    connect(selComModeDelay_, &QTimer::timeout, this, &MainWindow::SelComModeDelayTimer);

    // Start-up order of the other windows: log, oscilloscope, progress, trace variables,
    // failure dialog, note, then the drive dialogs.
    windows_ = CreateDialogWindows(drive_, this);
    progress_ = new ProgressWindow(this);
    connect(progress_, &ProgressWindow::Finished, this, &MainWindow::ProgressFinished);
    failure_ = new ConnectionFailureDialog(wizard_, this);
    // Opened once the failure dialog's own modal loop has ended.
    connect(failure_, &ConnectionFailureDialog::NewConnectionRequested, this,
            [this] { RunDeferred(this, [this] { OpenWizard(); }); });
    note_ = new NoteDialog(state_.settings, this);
    new FileActions(*this, drive_, prompt_, *progress_, std::random_device{}());

    ConnectMenus();
    ConnectButtons();
    ConnectSession();

    setFixedSize(kMainClientWidth, kMainClientHeight + menus_->Holder()->sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

MainWindow::~MainWindow() = default;

// The session's events, as the main window shows them.
void MainWindow::ConnectSession() {
    progress_->Follow(drive_, state_.settings, prompt_);
    connect(&drive_, &DriveSession::DriveReady, this,
            [this](const QString& model) { SetupModelPanel(model.toStdString()); });
    // The oscilloscope's gain and limit edits follow every completed read-back.
    connect(&drive_, &DriveSession::DriveReady, windows_.Scope, [this] {
        QMetaObject::invokeMethod(windows_.Scope, "FillScopeGains");
    });
    connect(&drive_, &DriveSession::LinkLost, this, &MainWindow::ShowConnectionFailure);
    connect(&drive_, &DriveSession::Message, this, [this](const QString& text) { prompt_.ShowText(text); });
    // The generator keeps the motor turning with its window closed: the status bar says so.
    auto* generator = new QLabel(statusBar());
    generator->setObjectName(QStringLiteral("GeneratorState"));
    generator->setStyleSheet(QStringLiteral("color: #c00000"));
    statusBar()->addWidget(generator);
    connect(&drive_, &DriveSession::GeneratorRunningChanged, this, &MainWindow::ShowGeneratorState);
}

void MainWindow::ShowGeneratorState() {
    if (auto* label = statusBar()->findChild<QLabel*>(QStringLiteral("GeneratorState")))
        label->setText(drive_.GeneratorRunning() ? MainTexts::kGeneratorRunning.Text(state_.settings.LanguageIndex)
                                                 : QString());
}

void MainWindow::ConnectButtons() {
    QToolBar* bar = layout_.toolBar;
    bar->installEventFilter(this);
    for (QWidget* child : bar->findChildren<QWidget*>()) child->installEventFilter(this);
    connect(ToolButton(bar, "TB_Osc"), &QToolButton::clicked, this, [this] { ShowDialog(windows_.Scope); });
    // The oscilloscope is reachable whenever the tool bar is (after a completed read-back).
    ToolButton(bar, "TB_Osc")->setEnabled(true);
    connect(ToolButton(bar, "TB_Panel"), &QToolButton::clicked, this, [this] { ShowDialog(windows_.AntiResonance); });
    connect(ToolButton(bar, "TB_AlmRecord"), &QToolButton::clicked, this,
            [this] { ShowDialog(windows_.StatusMonitor); });
    QWidget* const targets[4] = {windows_.PulseInput, windows_.StatusMonitor, windows_.ParameterSetting,
                                 windows_.AntiResonance};
    for (int i = 0; i < 4; ++i)
        connect(layout_.modelButtons[i], &QPushButton::clicked, this, [this, w = targets[i]] { ShowDialog(w); });
}

void MainWindow::FormShow() {
    // A finished read-back's pending panel does not come back under the new language.
    progress_->Abandon();
    menus_->Show(state_.settings.LanguageIndex);
    for (const char* g : {"ChFile", "EnFile", "ChSetting", "EnSetting", "chView", "EnView"})
        Group(g)->menuAction()->setVisible(false);
    for (const char* g : {"ChTool", "EnTool", "ChLang", "EnLang"}) Group(g)->menuAction()->setVisible(true);
    layout_.panel->hide();
    layout_.toolBar->setEnabled(false);

    if (FillLinkTree(layout_.tree, state_.settings)) {
        // The note is modal: open it once this handler has returned, not inside it.
        if (!notePending_) {
            notePending_ = true;
            RunDeferred(this, [this] { Reconnect(); });
        }
    } else if (!wizardOpen_) {
        selComModeDelay_->start();
    }
    SetHints();
}

void MainWindow::Reconnect() {
    notePending_ = false;
    prompt_.ExecModal(*note_);
    if (!drive_.ConnectSelection()) selComModeDelay_->start();
}

void MainWindow::SetupModelPanel(const std::string& modelName) {
    if (!IsLqTrFamily(modelName)) return;
    const bool english = state_.settings.LanguageIndex == 1;
    Group(english ? "EnFile" : "ChFile")->menuAction()->setVisible(true);
    Group(english ? "EnSetting" : "ChSetting")->menuAction()->setVisible(false);
    Group(english ? "EnTool" : "ChTool")->menuAction()->setVisible(true);
    Group(english ? "EnView" : "chView")->menuAction()->setVisible(true);
    Action(english ? "EN_MV_IoState" : "CH_MV_IoState")->setVisible(false);
    struct Placement {
        const TextPair& caption;
        QPoint pos;
    };
    const Placement placements[] = {{MainTexts::kPulseInput, {52, 184}},
                                    {MainTexts::kStatusMonitor, {225, 284}},
                                    {MainTexts::kParameterSetting, {225, 68}},
                                    {MainTexts::kAntiResonance, {405, 184}}};
    for (int i = 0; i < 4; ++i) {
        layout_.modelButtons[i]->setText(placements[i].caption.Text(state_.settings.LanguageIndex));
        layout_.modelButtons[i]->move(placements[i].pos);
        layout_.modelButtons[i]->show();
    }
}

void MainWindow::ProgressFinished() {
    layout_.panel->show();
    layout_.toolBar->setEnabled(true);
    progress_->close();
}

void MainWindow::ShowConnectionFailure() {
    if (failureOpen_) return;
    failureOpen_ = true;
    failure_->Prepare();
    prompt_.ExecModal(*failure_);
    failureOpen_ = false;
}

void MainWindow::OpenWizard() {
    // A wizard opened by hand before SelComModeDelay fired is the only one.
    selComModeDelay_->stop();
    if (wizardOpen_) return;
    wizardOpen_ = true;
    const bool connected = OpenConnectionWizard(wizard_);
    wizardOpen_ = false;
    if (connected) FillLinkTree(layout_.tree, state_.settings);
}

void MainWindow::SelComModeDelayTimer() {
    selComModeDelay_->stop();
    OpenWizard();
}

void MainWindow::SetLanguage(uint8_t languageIndex) {
    drive_.StopPoll();
    state_.settings.LanguageIndex = languageIndex;
    FormShow();
    ShowGeneratorState();
}

QMenuBar* MainWindow::currentMenu() const { return menus_->Current(); }

QMenuBar* MainWindow::menu(int languageIndex) const { return menus_->Bar(languageIndex); }

void MainWindow::SetHints() {
    const uint8_t lang = state_.settings.LanguageIndex;
    struct Hint {
        const char* button;
        const TextPair& text;
    };
    const Hint hints[] = {{"TB_Osc", MainTexts::kOsc},           {"TB_Panel", MainTexts::kPanel},
                          {"TB_AlmRecord", MainTexts::kAlmRecord}, {"TB_FileOpen", MainTexts::kFileOpen},
                          {"TB_SaveFile", MainTexts::kSaveFile},   {"TB_LoadEep", MainTexts::kLoadEep},
                          {"TB_SaveEep", MainTexts::kSaveEep}};
    for (const Hint& h : hints) ToolButton(layout_.toolBar, h.button)->setToolTip(h.text.Text(lang));
}

void MainWindow::ShowDialog(QWidget* window) {
    if (!window) return;
    window->show();
    window->raise();
    window->activateWindow();
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

bool MainWindow::SaveSettingsFile() {
    QString error;
    if (SaveSettings(paths_, state_.settings, &error)) return true;
    const QString text = MainTexts::kSettingsNotSaved.Text(state_.settings.LanguageIndex).arg(paths_.write, error);
    std::fprintf(stderr, "ordalis: %s\n", text.toLocal8Bit().constData());
    prompt_.ShowText(text);
    return false;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    drive_.StopPoll();
    selComModeDelay_->stop();
    SaveSettingsFile();
    event->accept();
    emit Closed();
}

}  // namespace ordalis
