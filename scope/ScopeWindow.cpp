#include "scope/ScopeWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "core/CaptureExport.h"
#include "core/DriveAccess.h"
#include "core/TraceVariables.h"
#include "core/UiPrompt.h"
#include "model/ModelFamily.h"
#include "scope/Oscope.h"
#include "scope/ScopeGains.h"
#include "scope/ScopePicture.h"
#include "scope/ScopeTexts.h"
#include "scope/TraceVariableChoice.h"

namespace ordalis {

using namespace scopetext;

const std::array<unsigned, 6> ScopeWindow::kChannelRgb = {0xFF0000, 0x00FF00, 0xFFFF00, 0x00FFFF, 0xDF12F5, 0xFFFFFF};

namespace {
const char* const kTraceTimeItems[8] = {"25ms", "50ms", "125ms", "250ms", "500ms", "1.25s", "2.5s", "5s"};
// Both texts of the picture stay Chinese in either language.
const char* const kTimeTitle = "时间(秒)";
const char* const kPlotTitle = "示波器";

// 0xAABBGGRR with an opaque alpha from an RGB value.
quint32 PlatformColour(unsigned rgb) {
    return 0xFF000000u | ((rgb & 0xFFu) << 16) | (rgb & 0xFF00u) | ((rgb >> 16) & 0xFFu);
}
QString Seconds(double ms) { return QString::number(ms / 1000.0, 'f', 2); }

template <typename T>
T* Named(T* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}
}  // namespace

ScopeWindow::ScopeWindow(DriveAccess& drive, QDialog* selectionDialog, QWidget* parent)
    : QWidget(parent, Qt::Window), drive_(drive), selectionDialog_(selectionDialog),
      capture_(std::make_unique<CaptureSequence>(drive)) {
    setObjectName(QStringLiteral("TForm5"));
    resize(784, 558);
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(4, 4, 4, 0);
    root->setSpacing(4);

    auto* panel1 = Named(new QWidget(this), "Panel1");
    auto* panel1Layout = new QVBoxLayout(panel1);
    panel1Layout->setContentsMargins(0, 0, 0, 0);
    image_ = Named(new QWidget(panel1), "Image321");
    image_->setMinimumSize(200, 120);
    panel1Layout->addWidget(image_);
    picture_ = new ScopePicture(image_);
    root->addWidget(panel1, 1);

    auto* panel2 = Named(new QWidget(this), "Panel2");
    panel2->setFixedHeight(194);
    auto* panel2Layout = new QHBoxLayout(panel2);
    panel2Layout->setContentsMargins(0, 0, 0, 0);
    auto* groupBox1 = Named(new QGroupBox(panel2), "GroupBox1");
    groupBox1->setFixedWidth(208);
    groupBox2_ = Named(new QGroupBox(panel2), "GroupBox2");
    auto* g2Layout = new QVBoxLayout(groupBox2_);
    g2Layout->setContentsMargins(4, 4, 4, 4);
    options_ = new QTabWidget(groupBox2_);
    g2Layout->addWidget(options_);
    tracePage_ = BuildTracePage(options_);
    gains_ = new ScopeGains(drive_, groupBox1, options_);
    panel2Layout->addWidget(groupBox1);
    panel2Layout->addWidget(groupBox2_, 1);
    root->addWidget(panel2);

    status_ = Named(new QStatusBar(this), "StatusBar1");
    status_->setSizeGripEnabled(true);
    root->addWidget(status_);

    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(200);
    connect(progressTimer_, &QTimer::timeout, this, [this] { ShowProgress(); });

    capture_->OnProgress = [this] { ShowProgress(); };
    capture_->OnPicture = [this](const CaptureResult& r) { BuildPicture(r); };
    capture_->OnEnded = [this](CaptureEnd why) { CaptureEnded(why); };
    gains_->OnDemoPlot = [this] { DemoPlot(); };
    picture_->MenuText = [this](int which) {
        const TextPair* texts[3] = {&kSaveCsv, &kSavePng, &kClearCursors};
        return texts[which]->Text(drive_.Language());
    };
    picture_->OnSaveCsv = [this] { Export(true); };
    picture_->OnSavePng = [this] { Export(false); };
    AskSavePath = [this](const QString& filter, const QString& suffix) {
        QFileDialog dialog(this);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setNameFilter(filter);
        dialog.setDefaultSuffix(suffix);
        dialog.selectFile(QStringLiteral("capture-%1.%2")
                              .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")), suffix));
        return drive_.Prompt().ExecModal(dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
                   ? dialog.selectedFiles().first()
                   : QString();
    };
    hide();
}

ScopeWindow::~ScopeWindow() = default;

QWidget* ScopeWindow::BuildTracePage(QTabWidget* tabs) {
    auto* page = Named(new QWidget(tabs), "TabSheet3");
    tabs->addTab(page, QString());
    auto* layout = new QHBoxLayout(page);
    layout->setContentsMargins(6, 4, 6, 4);
    auto* channels = new QGridLayout();
    channels->setVerticalSpacing(1);
    channels->setHorizontalSpacing(4);
    for (int k = 0; k < 6; ++k) {
        auto* label = new QLabel(page);
        label->setObjectName(QStringLiteral("Label%1").arg(7 + k));
        label->setAutoFillBackground(true);
        QPalette pal = label->palette();
        pal.setColor(QPalette::Window, Qt::black);  // window-frame and info-text colour
        pal.setColor(QPalette::WindowText, QColor::fromRgb(kChannelRgb[static_cast<size_t>(k)]));
        label->setPalette(pal);
        auto* edit = new QLineEdit(page);
        edit->setObjectName(QStringLiteral("Edit%1").arg(3 + k));
        edit->setReadOnly(true);
        edit->setMinimumWidth(150);
        auto* button = new QPushButton(QStringLiteral("......"), page);
        button->setObjectName(QStringLiteral("Button%1").arg(4 + k));
        button->setFixedWidth(34);
        connect(button, &QPushButton::clicked, this, [this, k] { ChannelButtonClick(k + 1); });
        channels->addWidget(label, k, 0);
        channels->addWidget(edit, k, 1);
        channels->addWidget(button, k, 2);
        channelLabels_[static_cast<size_t>(k)] = label;
        channelEdits_[static_cast<size_t>(k)] = edit;
    }
    layout->addLayout(channels, 1);

    auto* right = new QVBoxLayout();
    right->setSpacing(3);
    groupBox3_ = Named(new QGroupBox(page), "GroupBox3");
    auto* g3 = new QGridLayout(groupBox3_);
    g3->setContentsMargins(6, 2, 6, 2);
    g3->setVerticalSpacing(2);
    checkBox1_ = Named(new QCheckBox(groupBox3_), "CheckBox1");
    checkBox2_ = Named(new QCheckBox(groupBox3_), "CheckBox2");
    label13_ = Named(new QLabel(groupBox3_), "Label13");
    comboBox3_ = Named(new QComboBox(groupBox3_), "ComboBox3");
    for (const char* item : kTraceTimeItems) comboBox3_->addItem(QString::fromLatin1(item));
    comboBox3_->setCurrentIndex(0);
    label14_ = Named(new QLabel(groupBox3_), "Label14");
    button12_ = Named(new QPushButton(groupBox3_), "Button12");
    g3->addWidget(checkBox1_, 0, 0);
    g3->addWidget(checkBox2_, 0, 1);
    g3->addWidget(label13_, 1, 0);
    g3->addWidget(comboBox3_, 1, 1);
    g3->addWidget(label14_, 2, 0);
    g3->addWidget(button12_, 2, 1);
    right->addWidget(groupBox3_);
    auto* buttons = new QGridLayout();
    buttons->setSpacing(3);
    button10_ = Named(new QPushButton(page), "Button10");
    button11_ = Named(new QPushButton(page), "Button11");
    saveCsv_ = Named(new QPushButton(page), "SaveCsv");
    savePng_ = Named(new QPushButton(page), "SavePng");
    buttons->addWidget(button10_, 0, 0);
    buttons->addWidget(button11_, 0, 1);
    buttons->addWidget(saveCsv_, 1, 0);
    buttons->addWidget(savePng_, 1, 1);
    right->addLayout(buttons);
    right->addStretch(1);
    layout->addLayout(right);

    connect(checkBox1_, &QCheckBox::toggled, this, [this](bool on) { capture_->SetSingle(on); });
    connect(comboBox3_, &QComboBox::activated, this, [this](int i) { ComboBox3Change(i); });
    connect(button10_, &QPushButton::clicked, this, [this] { Button10Click(); });
    connect(button11_, &QPushButton::clicked, this, [this] {
        capture_->Stop();
        ShowProgress();
    });
    connect(saveCsv_, &QPushButton::clicked, this, [this] { Export(true); });
    connect(savePng_, &QPushButton::clicked, this, [this] { Export(false); });
    return page;
}

void ScopeWindow::showEvent(QShowEvent* event) {
    // A restore from minimised comes from the window system: the set-up would end a capture.
    if (!event->spontaneous()) FormShow();
    QWidget::showEvent(event);
}

void ScopeWindow::FormShow() {
    ApplyTexts();
    const TraceBlock& t = drive_.Trace();
    for (int k = 0; k < 6; ++k)
        channelEdits_[static_cast<size_t>(k)]->setText(VariableName(t.TraceVariable[k], drive_.Language()));
    capture_->SelectTraceTime(TraceTimesUs[static_cast<size_t>(std::max(0, comboBox3_->currentIndex()))]);
    capture_->SendSetup();
}

void ScopeWindow::ApplyTexts() {
    const uint8_t lang = drive_.Language();
    setWindowTitle(kCaption.Text(lang));
    groupBox2_->setTitle(kGroupBox2.Text(lang));
    options_->setTabText(options_->indexOf(tracePage_), kTabSheet3.Text(lang));
    for (int k = 0; k < 6; ++k) channelLabels_[static_cast<size_t>(k)]->setText(kChannel.Text(lang).arg(k + 1));
    groupBox3_->setTitle(kGroupBox3.Text(lang));
    checkBox1_->setText(kCheckBox1.Text(lang));
    checkBox2_->setText(kCheckBox2.Text(lang));
    label13_->setText(kLabel13.Text(lang));
    label14_->setText(kLabel14.Text(lang));
    button10_->setText(kButton10.Text(lang));
    button11_->setText(kButton11.Text(lang));
    button12_->setText(kButton12.Text(lang));
    saveCsv_->setText(kSaveCsv.Text(lang));
    savePng_->setText(kSavePng.Text(lang));
    gains_->ApplyTexts(lang);
}

void ScopeWindow::FillScopeGains() {
    gains_->FillScopeGains();
    if (IsHv120(drive_.Mirror().ModelName())) capture_->UpdateVelocityFactors();
}

void ScopeWindow::ChannelButtonClick(int channel) {
    if (selectionDialog_) {
        const TraceChoice choice = ChooseTraceVariable(*selectionDialog_, channel);
        if (choice.Selected) {
            channelEdits_[static_cast<size_t>(channel - 1)]->setText(choice.Name);
            drive_.Trace().TraceVariable[channel - 1] = choice.Code;
        }
    }
    // Selection or not, the drive gets the channel's code and the sampling is redone.
    capture_->SendChannel(channel - 1, drive_.Trace().TraceVariable[channel - 1]);
}

void ScopeWindow::ComboBox3Change(int index) {
    if (index < 0 || index >= static_cast<int>(TraceTimesUs.size())) return;
    capture_->SendTraceTime(TraceTimesUs[static_cast<size_t>(index)]);
}

void ScopeWindow::Button10Click() {
    const uint8_t lang = drive_.Language();
    switch (capture_->Start()) {
        case StartResult::NoChannel: drive_.Prompt().ShowText(kNoChannel.Text(lang)); break;
        case StartResult::NoSampling: SetStatus(kNoSampling.Text(lang)); break;
        case StartResult::NotSent: SetStatus(kNotSent.Text(lang)); break;
        case StartResult::Started: progressTimer_->start(); break;
    }
}

void ScopeWindow::BuildPicture(const CaptureResult& r) {
    auto plot = std::make_unique<scope::Oscope>();
    const uint8_t lang = drive_.Language();
    for (int k = 0; k < 6; ++k) {
        const int code = r.Codes[static_cast<size_t>(k)];
        if (code == 0) continue;
        scope::TraceInfo& t = plot->Traces[static_cast<size_t>(k)];
        t.Visible = true;
        t.Name = QString::fromUtf8(capture_->Info()[code].Name(lang));
        t.Unit = QString::fromUtf8(capture_->Info()[code].Unit(lang));
        t.Colour = PlatformColour(kChannelRgb[static_cast<size_t>(k)]);
        const std::vector<double>& v = r.Values[static_cast<size_t>(k)];
        t.Values = QVector<double>(v.begin(), v.end());
    }
    plot->X.Values = QVector<double>(r.Times.begin(), r.Times.end());
    plot->X.Name = QString::fromUtf8(kTimeTitle);
    plot->Title = QString::fromUtf8(kPlotTitle);
    plot->Grid = true;
    plot->Markers = false;
    plot->AntiAlias = true;
    plot->Lines = true;
    picture_->Show(std::move(plot));
    hasCapture_ = true;
    SetStatus(kDrawn.Text(lang)
                  .arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")))
                  .arg(r.SampleCount)
                  .arg(Seconds(r.TransferMs)));
}

void ScopeWindow::DemoPlot() {
    auto plot = std::make_unique<scope::Oscope>();
    QVector<double> x(100), current(100, -800.0), voltage(100, 0.0), frequency(100, -152501.0);
    for (int i = 0; i < 100; ++i) x[i] = i * 0.025 / 100;
    current[28] = 800.0;
    frequency[20] = -144501.0;
    plot->Traces[0] = {true, QStringLiteral("电流"), QStringLiteral("单位 A"), PlatformColour(kChannelRgb[0]), nullptr,
                       current};
    plot->Traces[1] = {false, QStringLiteral("电压"), QStringLiteral("单位 V"), 0xFF00FF00u, nullptr, voltage};
    plot->Traces[2] = {true, QStringLiteral("频率"), QStringLiteral("单位 HZ"), 0xFFFF00FFu, nullptr, frequency};
    plot->X.Values = x;
    plot->X.Name = QString::fromUtf8(kTimeTitle);
    plot->Title = QString::fromUtf8(kPlotTitle);
    plot->Grid = true;
    plot->Markers = false;
    plot->AntiAlias = true;
    plot->Lines = true;
    picture_->Show(std::move(plot));
}

void ScopeWindow::CaptureEnded(CaptureEnd why) {
    progressTimer_->stop();
    const uint8_t lang = drive_.Language();
    switch (why) {
        case CaptureEnd::Single: break;  // the picture's line stays
        case CaptureEnd::Stopped: SetStatus(StatusText() + QStringLiteral(" — ") + kStopped.Text(lang)); break;
        case CaptureEnd::BadAnswer:
            SetStatus(kBadAnswer.Text(lang).arg(capture_->LastAnswerLength()).arg(capture_->SetSize()));
            break;
        case CaptureEnd::NoAnswer: SetStatus(kNoAnswer.Text(lang)); break;
        case CaptureEnd::Replaced: SetStatus(kReplaced.Text(lang)); break;
        case CaptureEnd::Refused: SetStatus(kRefused.Text(lang).arg(capture_->RefusedStatus())); break;
        case CaptureEnd::OutOfStep: SetStatus(kOutOfStep.Text(lang)); break;
    }
}

void ScopeWindow::ShowProgress() {
    const uint8_t lang = drive_.Language();
    const QString elapsed = Seconds(capture_->ElapsedMs());
    switch (capture_->Phase()) {
        case CapturePhase::Idle: return;
        case CapturePhase::Recording: SetStatus(kWaiting.Text(lang).arg(elapsed)); break;
        case CapturePhase::Transferring:
            SetStatus(kTransferring.Text(lang)
                          .arg(capture_->SamplesReceived())
                          .arg(capture_->TransferCount())
                          .arg(elapsed));
            break;
    }
}

void ScopeWindow::SetStatus(const QString& text) { status_->showMessage(text); }

QString ScopeWindow::StatusText() const { return status_->currentMessage(); }

bool ScopeWindow::SaveCsv(const QString& path) {
    if (!hasCapture_) return false;
    const CaptureOrigin origin{QDateTime::currentDateTime(), QString::fromStdString(drive_.Mirror().ModelName()),
                               drive_.Address(), drive_.Language()};
    return WriteCaptureCsv(path, capture_->Last(), origin, capture_->Info());
}

bool ScopeWindow::SavePng(const QString& path) { return picture_->HasPlot() && picture_->SavePng(path); }

void ScopeWindow::Export(bool csv) {
    const uint8_t lang = drive_.Language();
    if (csv ? !hasCapture_ : !picture_->HasPlot()) {
        SetStatus(kNothingToSave.Text(lang));
        return;
    }
    const QString path = AskSavePath ? AskSavePath((csv ? kCsvFilter : kPngFilter).Text(lang),
                                                   csv ? QStringLiteral("csv") : QStringLiteral("png"))
                                     : QString();
    if (path.isEmpty()) return;
    const bool ok = csv ? SaveCsv(path) : SavePng(path);
    SetStatus((ok ? kSaved : kSaveFailed).Text(lang).arg(path));
}

QWidget* CreateScopeWindow(DriveAccess& drive, QDialog* selectionDialog, QWidget* parent) {
    return new ScopeWindow(drive, selectionDialog, parent);
}

}  // namespace ordalis
