#include "dialogs/CommLogWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/CommLog.h"
#include "core/CommLogExport.h"
#include "core/DriveAccess.h"
#include "core/TextPair.h"
#include "core/UiPrompt.h"
#include "link/qt/QtTimers.h"

namespace ordalis {

namespace {
const TextPair kClear{"清除", "Clear"};
const TextPair kClose{"关闭", "Close"};
const TextPair kSave{"保存...", "Save..."};
const TextPair kSaveTitle{"保存通信记录", "Save the communication log"};
const TextPair kLogNotSaved{"通信记录 %1 无法保存: %2", "The log %1 could not be saved: %2"};
constexpr int kClientWidth = 450;
constexpr int kClientHeight = 350;
constexpr int kBandHeight = 60;
}  // namespace

CommLogWindow::CommLogWindow(DriveAccess& drive, QWidget* parent)
    : QWidget(parent, Qt::Window), drive_(drive), log_(std::make_unique<CommLog>(std::make_unique<QtTimer>())) {
    setObjectName(QStringLiteral("TForm3"));
    setWindowTitle(QStringLiteral("通信日志"));
    resize(kClientWidth, kClientHeight);

    memo_ = new QPlainTextEdit(this);
    memo_->setObjectName(QStringLiteral("Memo1"));
    memo_->setReadOnly(true);
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont mono(QStringLiteral("Tahoma"));
    mono.setPixelSize(13);
    memo_->setFont(mono);
    QPalette pal = memo_->palette();
    pal.setColor(QPalette::Text, Qt::blue);
    memo_->setPalette(pal);

    display_ = new QCheckBox(QStringLiteral("允许显示"), this);
    display_->setObjectName(QStringLiteral("CheckBox1"));
    display_->setChecked(true);
    triggeredOnly_ = new QRadioButton(QStringLiteral("仅触发记录"), this);
    triggeredOnly_->setObjectName(QStringLiteral("RadioButton1"));
    triggeredOnly_->setChecked(true);
    all_ = new QRadioButton(QStringLiteral("所有记录"), this);
    all_->setObjectName(QStringLiteral("RadioButton2"));
    clear_ = new QPushButton(this);
    clear_->setObjectName(QStringLiteral("Button1"));
    close_ = new QPushButton(this);
    close_->setObjectName(QStringLiteral("Button2"));
    save_ = new QPushButton(this);
    save_->setObjectName(QStringLiteral("Button3"));

    auto* band = new QWidget(this);
    band->setFixedHeight(kBandHeight);
    auto* left = new QVBoxLayout;
    left->addWidget(display_);
    auto* radios = new QHBoxLayout;
    radios->addWidget(triggeredOnly_);
    radios->addWidget(all_);
    left->addLayout(radios);
    auto* bandLayout = new QHBoxLayout(band);
    bandLayout->setContentsMargins(8, 4, 8, 4);
    bandLayout->addLayout(left);
    bandLayout->addStretch(1);
    for (QPushButton* b : {save_, clear_, close_}) bandLayout->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(memo_, 1);
    layout->addWidget(band);

    log_->OnAppend = [this](const QString& text) {
        QString lines = text;
        lines.remove(u'\r');
        memo_->moveCursor(QTextCursor::End);
        memo_->insertPlainText(lines);
    };
    log_->OnClearMemo = [this] { memo_->clear(); };

    connect(display_, &QCheckBox::clicked, this, &CommLogWindow::CheckBox1Click);
    // Both act even while the check box is not ticked.
    connect(triggeredOnly_, &QRadioButton::clicked, this, [this] { log_->SetFlags(false, false, true); });
    connect(all_, &QRadioButton::clicked, this, [this] { log_->SetFlags(true, true, true); });
    connect(clear_, &QPushButton::clicked, this, [this] { log_->Clear(); });
    connect(close_, &QPushButton::clicked, this, &QWidget::close);
    connect(save_, &QPushButton::clicked, this, &CommLogWindow::SaveClick);
    hide();
}

CommLogWindow::~CommLogWindow() = default;

void CommLogWindow::CheckBox1Click() {
    if (!display_->isChecked())
        log_->SetFlags(false, false, false);
    else if (triggeredOnly_->isChecked())
        log_->SetFlags(false, false, true);
    else if (all_->isChecked())
        log_->SetFlags(true, true, true);
}

void CommLogWindow::showEvent(QShowEvent* event) {
    const uint8_t lang = drive_.Language();
    clear_->setText(kClear.Text(lang));
    close_->setText(kClose.Text(lang));
    save_->setText(kSave.Text(lang));
    log_->Timer2().Start(CommLog::kTimer2Ms);
    CheckBox1Click();
    QWidget::showEvent(event);
}

void CommLogWindow::closeEvent(QCloseEvent* event) {
    log_->Close();
    QWidget::closeEvent(event);
}

void CommLogWindow::SaveClick() {
    const uint8_t lang = drive_.Language();
    QFileDialog dialog(this, kSaveTitle.Text(lang));
    dialog.setObjectName(QStringLiteral("SaveLogDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("text file(*.txt)"));
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (drive_.Prompt().ExecModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const QString path = dialog.selectedFiles().constFirst();
    QString error;
    if (!ExportLog(path, memo_->toPlainText() + log_->Buffer(), &error))
        drive_.Prompt().ShowText(kLogNotSaved.Text(lang).arg(path, error));
}

QWidget* CreateCommLogWindow(DriveAccess& drive, QWidget* parent) { return new CommLogWindow(drive, parent); }

CommLog* CommLogOf(QWidget* window) {
    auto* w = qobject_cast<CommLogWindow*>(window);
    return w ? &w->Log() : nullptr;
}

}  // namespace ordalis
