#include "app/FileActions.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "app/MainLayout.h"
#include "app/ProgressWindow.h"
#include "core/DriveSession.h"
#include "core/FileTexts.h"
#include "core/Texts.h"
#include "core/UiPrompt.h"

namespace ordalis {

namespace {
const TextPair kOpenTitle{"打开参数文件", "Open a parameter file"};
const TextPair kSaveTitle{"保存参数文件", "Save a parameter file"};
const char* const kLogItems[] = {"CH_MV_ComInfo", "EN_MV_ComInfo"};
const char* const kLanguageItems[] = {"chinesesim", "English1", "Chinese1", "English2"};
}  // namespace

FileActions::FileActions(QMainWindow& window, DriveSession& drive, UiPrompt& prompt, ProgressWindow& progress,
                         uint32_t seed)
    : QObject(&window), window_(window), drive_(drive), prompt_(prompt), files_(drive, seed), eeprom_(drive) {
    setObjectName(QStringLiteral("FileActions"));
    QToolBar* bar = window.findChild<QToolBar*>(QStringLiteral("ToolBar1"));
    connect(ToolButton(bar, "TB_SaveFile"), &QToolButton::clicked, this, &FileActions::TB_SaveFileClick);
    connect(ToolButton(bar, "TB_FileOpen"), &QToolButton::clicked, this, &FileActions::TB_FileOpenClick);
    connect(ToolButton(bar, "TB_SaveEep"), &QToolButton::clicked, this, &FileActions::TB_SaveEepClick);

    // The write-back counts in the read-back's progress window.
    connect(&files_, &WriteBack::WriteBackStarted, &progress, [&progress](int total) {
        progress.Gauge()->setMaximum(total);
        progress.Gauge()->setValue(0);
    });
    connect(&files_, &WriteBack::WriteBackProgress, &progress, [&progress, &drive](int done, int) {
        progress.Label()->setText(ProgressWindow::kWriteText.Text(drive.Language()));
        progress.Gauge()->setValue(done);
        if (!progress.isVisible()) progress.show();
    });
    connect(&files_, &WriteBack::WriteBackDone, &progress, [&progress] { progress.Timer()->start(); });
    connect(&files_, &WriteBack::WriteBackFailed, &progress, [this, &progress](const QString& text) {
        progress.Abandon();
        prompt_.ShowText(text);
    });

    notSaved_ = new QLabel(window.statusBar());
    notSaved_->setObjectName(QStringLiteral("EepromNotSaved"));
    notSaved_->setStyleSheet(QStringLiteral("color: #c00000;"));
    window.statusBar()->addPermanentWidget(notSaved_);
    connect(&eeprom_, &EepromSave::NotSavedChanged, this, &FileActions::ShowNotSaved);
    connect(&eeprom_, &EepromSave::SaveFailed, this, [this](const QString& text) {
        closeAfterSave_ = false;
        prompt_.ShowText(text);
    });
    connect(&eeprom_, &EepromSave::Saved, this, [this] {
        if (!closeAfterSave_) return;
        closeAfterSave_ = false;
        window_.close();
    });
    // Queued: after the main window has switched the language.
    for (const char* name : kLanguageItems)
        if (QAction* a = window.findChild<QAction*>(QString::fromLatin1(name)))
            connect(a, &QAction::triggered, this, &FileActions::ShowNotSaved, Qt::QueuedConnection);
    ShowNotSaved();
    window.installEventFilter(this);

    for (const char* name : kLogItems)
        if (QAction* a = window.findChild<QAction*>(QString::fromLatin1(name))) a->setEnabled(false);
    connect(&drive_, &DriveSession::ReadBackDone, this, [this] {
        for (const char* name : kLogItems)
            if (QAction* a = window_.findChild<QAction*>(QString::fromLatin1(name))) a->setEnabled(true);
    });
}

FileActions::~FileActions() = default;

QString FileActions::ChooseFile(bool save) {
    const uint8_t lang = drive_.Language();
    QFileDialog dialog(&window_, (save ? kSaveTitle : kOpenTitle).Text(lang));
    dialog.setObjectName(save ? QStringLiteral("SaveDialog1") : QStringLiteral("OpenDialog1"));
    dialog.setNameFilter(QStringLiteral("esp file(*.esp)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // A name that does not exist reaches the load, which reports it.
    dialog.setFileMode(QFileDialog::AnyFile);
    if (save) dialog.setDefaultSuffix(QStringLiteral("esp"));
    if (prompt_.ExecModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    const QString path = dialog.selectedFiles().constFirst();
    return save ? WithParameterFileExtension(path) : path;
}

void FileActions::TB_SaveFileClick() {
    const QString path = ChooseFile(true);
    if (!path.isEmpty()) files_.SaveFile(path);
}

void FileActions::TB_FileOpenClick() {
    const QString path = ChooseFile(false);
    if (!path.isEmpty()) files_.LoadFile(path);
}

void FileActions::TB_SaveEepClick() { eeprom_.Save(); }

void FileActions::ShowNotSaved() {
    notSaved_->setText(eeprom_.NotSaved() ? Text(drive_.State(), FileTexts::kNotSavedStatus) : QString());
    notSaved_->setVisible(eeprom_.NotSaved());
}

// Yes: save first and close once the drive has answered; No: close; Cancel: stay.
bool FileActions::AskBeforeClosing() {
    const uint8_t lang = drive_.Language();
    QMessageBox box(QMessageBox::Question, window_.windowTitle(), FileTexts::kCloseQuestion.Text(lang),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, &window_);
    box.setObjectName(QStringLiteral("EepromCloseQuestion"));
    box.setDefaultButton(QMessageBox::Yes);
    if (lang == 0) {
        box.button(QMessageBox::Yes)->setText(QStringLiteral("是"));
        box.button(QMessageBox::No)->setText(QStringLiteral("否"));
        box.button(QMessageBox::Cancel)->setText(QStringLiteral("取消"));
    }
    const int answer = prompt_.ExecModal(box);
    if (answer == QMessageBox::No) return true;
    if (answer == QMessageBox::Yes) closeAfterSave_ = eeprom_.Save();
    return false;
}

bool FileActions::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_ && event->type() == QEvent::Close && !closing_ && eeprom_.NotSaved()) {
        if (!AskBeforeClosing()) {
            event->ignore();
            return true;
        }
        // The main window's own close handling runs; the question is not asked twice.
        closing_ = true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace ordalis
