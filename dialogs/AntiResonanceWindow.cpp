#include "dialogs/AntiResonanceWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSlider>
#include <QTimer>

#include "core/Deferred.h"
#include "core/DriveAccess.h"
#include "core/TextPair.h"
#include "core/UiPrompt.h"
#include "dialogs/CenterOnParent.h"
#include "dialogs/AntiResonanceSpeed.h"
#include "dialogs/HelpWindow.h"

namespace ordalis {

namespace {

constexpr int kClientWidth = 517;
constexpr int kClientHeight = 361;
constexpr int kRegionMax = 65535;
constexpr int kRegionTick = 1024;
// A send the Lev2Queue refused (another window's write on its way) is tried again this
// often, this many times, while the window is visible.
constexpr int kRetryMs = 100;
constexpr int kRetryLimit = 20;

const TextPair kCaption{"共振抑制", "Anti_Resonance"};
const TextPair kClose{"关闭", "close"};
const TextPair kHelp{"帮助", "Help"};
const TextPair kRegion1{"第一共振区抑制(电机转速在1转/秒内)",
                        "The first resonance region inhibition (motor speed in rev / sec)"};
const TextPair kRegion2{"第二共振区抑制(电机转速在2转/秒内)",
                        "Second resonance region inhibition (motor speed in 2 revolutions / sec) "};
const TextPair kGenerator{"内部转速产生（通过手动调整不同转速，观测共振区）",
                          "The internal speed generated (manually adjust speed, observation resonance area)"};
const TextPair kEnable{"使能内部转速", "Enable speed Generator"};
const TextPair kReverse{"反向运行", "Reverse"};
const TextPair kGain{"幅值", "Gain"};
const TextPair kPhase{"相位", "Phase"};
const TextPair kTickMax{"刻度最大：", "Tick Max:"};
const TextPair kSpeed{"速度：", "Speed"};
const TextPair kBadScale{"'%1' 不是有效的刻度值（应为正整数）", "'%1' is not a valid scale (a positive whole number)"};

struct RegionSlider {
    uint16_t id;
    CommandList CommandLists::*list;
    CompletionSlot DialogSlots::*slot;
};
const RegionSlider kRegion[4] = {
    {pid::Res1Amplitude, &CommandLists::AntiResAmp1List, &DialogSlots::AntiResAmp1Done},
    {pid::Res1Phase, &CommandLists::AntiResPhase1List, &DialogSlots::AntiResPhase1Done},
    {pid::Res2Amplitude, &CommandLists::AntiResAmp2List, &DialogSlots::AntiResAmp2Done},
    {pid::Res2Phase, &CommandLists::AntiResPhase2List, &DialogSlots::AntiResPhase2Done},
};

bool HasResonanceCompensation(const std::string& model) {
    return model == "LQ220" || model == "LQ340" || model == "LQ560";
}

QSlider* MakeSlider(QWidget* parent, const char* name, QRect geometry) {
    auto* s = new QSlider(Qt::Horizontal, parent);
    s->setObjectName(QString::fromLatin1(name));
    s->setTickPosition(QSlider::TicksBelow);
    s->setGeometry(geometry);
    return s;
}

QLabel* MakeLabel(QWidget* parent, const char* name, QRect geometry) {
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(geometry);
    return l;
}

}  // namespace

QWidget* CreateAntiResonanceWindow(DriveAccess& drive, QWidget* parent) {
    auto* w = new AntiResonanceWindow(drive, parent);
    w->hide();
    return w;
}

AntiResonanceWindow::AntiResonanceWindow(DriveAccess& drive, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      drive_(drive) {
    setObjectName(QStringLiteral("TForm15"));
    setFixedSize(kClientWidth, kClientHeight);

    groupBox3_ = new QGroupBox(this);
    groupBox3_->setObjectName(QStringLiteral("GroupBox3"));
    groupBox3_->setGeometry(8, 4, 501, 112);
    generatorBox_ = new QCheckBox(groupBox3_);
    generatorBox_->setObjectName(QStringLiteral("CheckBox1"));
    generatorBox_->setGeometry(12, 22, 190, 22);
    reverseBox_ = new QCheckBox(groupBox3_);
    reverseBox_->setObjectName(QStringLiteral("CheckBox2"));
    reverseBox_->setGeometry(210, 22, 100, 22);
    labels_[5] = MakeLabel(groupBox3_, "Label6", {312, 22, 70, 22});
    labels_[5]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    scaleBox_ = new QComboBox(groupBox3_);
    scaleBox_->setObjectName(QStringLiteral("ComboBox1"));
    scaleBox_->setEditable(true);
    scaleBox_->setInsertPolicy(QComboBox::NoInsert);
    for (int s : antires::kScales) scaleBox_->addItem(QString::number(s));
    scaleBox_->setGeometry(386, 21, 70, 24);
    rpmLabel_ = MakeLabel(groupBox3_, "Label8", {460, 22, 34, 22});
    rpmLabel_->setText(QStringLiteral("RPM"));
    labels_[4] = MakeLabel(groupBox3_, "Label5", {12, 58, 60, 22});
    speedSlider_ = MakeSlider(groupBox3_, "RzTrackBar5", {74, 54, 300, 34});
    speedText_ = MakeLabel(groupBox3_, "Label7", {384, 50, 112, 40});

    auto region = [this](QGroupBox*& box, const char* name, int y, int first) {
        box = new QGroupBox(this);
        box->setObjectName(QString::fromLatin1(name));
        box->setGeometry(8, y, 501, 92);
        for (int row = 0; row < 2; ++row) {
            const int i = first + row;
            const int top = 20 + row * 34;
            labels_[i] = MakeLabel(box, QStringLiteral("Label%1").arg(i + 1).toLatin1().constData(), {12, top + 4, 50, 22});
            regionSliders_[i] =
                MakeSlider(box, QStringLiteral("RzTrackBar%1").arg(i + 1).toLatin1().constData(), {64, top, 340, 32});
            regionSliders_[i]->setRange(0, kRegionMax);
            regionSliders_[i]->setTickInterval(kRegionTick);
            regionSliders_[i]->setPageStep(kRegionTick);
            regionEdits_[i] = new QLineEdit(box);
            regionEdits_[i]->setObjectName(QStringLiteral("Edit%1").arg(i + 1));
            regionEdits_[i]->setReadOnly(true);
            regionEdits_[i]->setGeometry(414, top + 4, 72, 24);
            connect(regionSliders_[i], &QSlider::valueChanged, this,
                    [this, i](int position) { RegionSliderChange(i, position); });
        }
    };
    region(groupBox1_, "GroupBox1", 120, 0);
    region(groupBox2_, "GroupBox2", 216, 2);

    helpButton_ = new QPushButton(this);
    helpButton_->setObjectName(QStringLiteral("Button2"));
    helpButton_->setGeometry(150, 320, 92, 28);
    closeButton_ = new QPushButton(this);
    closeButton_->setObjectName(QStringLiteral("Button1"));
    closeButton_->setGeometry(275, 320, 92, 28);

    retryTimer_ = new QTimer(this);
    retryTimer_->setSingleShot(true);
    retryTimer_->setInterval(kRetryMs);
    connect(retryTimer_, &QTimer::timeout, this, [this] { Sync(); });

    connect(speedSlider_, &QSlider::valueChanged, this, &AntiResonanceWindow::SpeedSliderChange);
    connect(generatorBox_, &QCheckBox::clicked, this, &AntiResonanceWindow::GeneratorClick);
    connect(reverseBox_, &QCheckBox::clicked, this, &AntiResonanceWindow::ReverseClick);
    // A choice from the list applies at once; a typed scale once it is complete.
    connect(scaleBox_, &QComboBox::activated, this, [this](int index) { ScaleChosen(scaleBox_->itemText(index)); });
    connect(scaleBox_->lineEdit(), &QLineEdit::editingFinished, this, [this] { ScaleChosen(scaleBox_->currentText()); });
    connect(helpButton_, &QPushButton::clicked, this, &AntiResonanceWindow::ShowHelp);
    connect(closeButton_, &QPushButton::clicked, this, &QWidget::close);

    DialogSlots& dialogSlots = drive_.Dialogs();
    for (int i = 0; i < kRegionSliders; ++i) {
        const uint16_t id = kRegion[i].id;
        bindings_[i] = (dialogSlots.*kRegion[i].slot).Bind([this, id](uint16_t s, const uint8_t*, uint8_t) { WriteDone(id, s); });
    }
    bindings_[kRegionSliders] =
        dialogSlots.SpeedDone.Bind([this](uint16_t s, const uint8_t*, uint8_t) { WriteDone(pid::GeneratorSpeed, s); });

    restoredWatch_ = drive_.WatchRestored([this](uint16_t id) { Restored(id); });

    SetScale(antires::kScales[0]);
    Translate();
}

AntiResonanceWindow::~AntiResonanceWindow() = default;

void AntiResonanceWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return;
    CenterOnParent(this);
    FormShow();
}

void AntiResonanceWindow::Translate() {
    const uint8_t lang = drive_.Language();
    setWindowTitle(kCaption.Text(lang));
    closeButton_->setText(kClose.Text(lang));
    helpButton_->setText(kHelp.Text(lang));
    groupBox1_->setTitle(kRegion1.Text(lang));
    groupBox2_->setTitle(kRegion2.Text(lang));
    groupBox3_->setTitle(kGenerator.Text(lang));
    generatorBox_->setText(kEnable.Text(lang));
    reverseBox_->setText(kReverse.Text(lang));
    for (int i : {0, 2}) labels_[i]->setText(kGain.Text(lang));
    for (int i : {1, 3}) labels_[i]->setText(kPhase.Text(lang));
    labels_[5]->setText(kTickMax.Text(lang));
    labels_[4]->setText(kSpeed.Text(lang));
}

void AntiResonanceWindow::FormShow() {
    Translate();
    inFlight_ = false;
    loading_ = true;
    retryTimer_->stop();
    const ParameterMirror& m = drive_.Mirror();

    const bool on = m.GetI16(pid::WorkMode) == WorkModeGeneratorOn;
    generatorBox_->setChecked(on);
    SetGeneratorControlsEnabled(on);
    sentGenerator_ = on;

    const antires::GeneratorSpeed speed = antires::SpeedFromDrive(m.GetI32(pid::GeneratorSpeed));
    reverseBox_->setChecked(speed.reverse);
    const int scale = antires::ScaleIndexFor(speed.rpm);
    scaleBox_->setCurrentIndex(scale);
    SetScale(antires::kScales[static_cast<size_t>(scale)]);
    speedSlider_->setValue(speed.rpm);
    // Above the largest scale the slider stands at its end; the text keeps the true speed,
    // and nothing is sent for it until the user moves the slider.
    speedText_->setText(antires::SpeedText(speed.rpm));
    sentSpeed_ = SignedSpeed();

    for (int i = 0; i < kRegionSliders; ++i) {
        const int position = m.GetU16(kRegion[i].id);
        regionSliders_[i]->setValue(position);
        regionEdits_[i]->setText(QString::number(position));
        sentPosition_[static_cast<size_t>(i)] = position;
    }
    loading_ = false;

    const bool compensation = HasResonanceCompensation(m.ModelName());
    groupBox1_->setEnabled(compensation);
    groupBox2_->setEnabled(compensation);
    helpButton_->setEnabled(compensation);
}

void AntiResonanceWindow::SetGeneratorControlsEnabled(bool on) {
    for (QWidget* w : std::initializer_list<QWidget*>{labels_[4], labels_[5], speedText_, rpmLabel_, scaleBox_,
                                                      speedSlider_, reverseBox_})
        w->setEnabled(on);
}

void AntiResonanceWindow::SetScale(int maximum) {
    speedSlider_->setTickInterval(std::max(1, maximum / 10));
    speedSlider_->setPageStep(std::max(1, maximum / 10));
    // A position above the new maximum moves down to it, and that change writes the lower speed.
    speedSlider_->setMaximum(maximum);
}

int AntiResonanceWindow::SignedSpeed() const {
    return reverseBox_->isChecked() ? -speedSlider_->value() : speedSlider_->value();
}

void AntiResonanceWindow::RegionSliderChange(int index, int position) {
    regionEdits_[static_cast<size_t>(index)]->setText(QString::number(position));
    if (loading_) return;
    Sync();
}

void AntiResonanceWindow::SpeedSliderChange(int position) {
    if (loading_) return;
    speedText_->setText(antires::SpeedText(position));
    Sync();
}

void AntiResonanceWindow::GeneratorClick(bool checked) {
    inFlight_ = false;
    if (loading_) return;
    SetGeneratorControlsEnabled(checked);
    Sync();
}

void AntiResonanceWindow::ReverseClick() {
    inFlight_ = false;
    if (loading_) return;
    Sync();
}

void AntiResonanceWindow::ScaleChosen(const QString& text) {
    bool ok = false;
    const int maximum = text.trimmed().toInt(&ok);
    if (!ok || maximum <= 0) {
        drive_.Prompt().ShowText(kBadScale.Text(drive_.Language()).arg(text));
        scaleBox_->setEditText(QString::number(speedSlider_->maximum()));
        return;
    }
    SetScale(maximum);
}

void AntiResonanceWindow::Sync() {
    if (loading_) return;
    if (generatorBox_->isChecked() != sentGenerator_) {
        if (!SendGenerator()) return SendRefused();
    }
    if (inFlight_) return;
    if (!SendOne()) return SendRefused();
    retries_ = 0;
}

// The generator switch is not held back by a write in flight: it writes speed and work
// mode in one list whenever the box changed since it was last sent.
bool AntiResonanceWindow::SendGenerator() {
    const bool on = generatorBox_->isChecked();
    const int speed = SignedSpeed();
    const int32_t value = on ? antires::SpeedToDrive(speedSlider_->value(), reverseBox_->isChecked()) : 0;
    if (!drive_.StoreAndSend({{pid::GeneratorSpeed, value},
                              {pid::WorkMode, on ? WorkModeGeneratorOn : WorkModeGeneratorOff}},
                             drive_.Lists().GeneratorList))
        return false;
    sentGenerator_ = on;
    if (on) sentSpeed_ = speed;
    drive_.SetGeneratorRunning(on);
    return true;
}

// One write of the first control whose position differs from what was sent for it;
// true when there was none or it went out.
bool AntiResonanceWindow::SendOne() {
    for (int i = 0; i < kRegionSliders; ++i) {
        const int position = regionSliders_[i]->value();
        if (position == sentPosition_[static_cast<size_t>(i)]) continue;
        if (!drive_.StoreAndSend({{kRegion[i].id, position}}, drive_.Lists().*kRegion[i].list)) return false;
        sentPosition_[static_cast<size_t>(i)] = position;
        inFlight_ = true;
        return true;
    }
    // Speed writes run the motor: only while the generator is on.
    if (!sentGenerator_ || SignedSpeed() == sentSpeed_) return true;
    const int32_t value = antires::SpeedToDrive(speedSlider_->value(), reverseBox_->isChecked());
    if (!drive_.StoreAndSend({{pid::GeneratorSpeed, value}}, drive_.Lists().SpeedWriteList)) return false;
    sentSpeed_ = SignedSpeed();
    inFlight_ = true;
    return true;
}

// The queue is busy with another window's write (or nothing may go out now): try again
// shortly while the window is up, a limited number of times.
void AntiResonanceWindow::SendRefused() {
    if (isVisible() && retries_ < kRetryLimit) {
        ++retries_;
        retryTimer_->start();
    } else {
        retries_ = 0;
    }
}

void AntiResonanceWindow::WriteDone(uint16_t id, uint16_t status) {
    if (status == Retrying) return;  // the same record goes out again
    inFlight_ = false;
    if (status == NoAnswer) {
        drive_.ReportNoAnswer();
        return;
    }
    // Refused: the user is told and the drive's value read back (Restored shows it); what
    // was sent is not sent again by itself.
    if (status != Answered) drive_.ReportRefusedWrite(id, status);
    // The queue is still busy inside its own completion: the next write goes out after.
    RunDeferred(this, [this] { Sync(); });
}

// The session put a parameter back to the drive's value (a refused write read back):
// the control shows it and counts it as sent.
void AntiResonanceWindow::Restored(uint16_t id) {
    const ParameterMirror& m = drive_.Mirror();
    loading_ = true;
    for (int i = 0; i < kRegionSliders; ++i) {
        if (kRegion[i].id != id) continue;
        const int position = m.GetU16(id);
        regionSliders_[i]->setValue(position);
        regionEdits_[i]->setText(QString::number(position));
        sentPosition_[static_cast<size_t>(i)] = position;
    }
    if (id == pid::GeneratorSpeed) {
        const antires::GeneratorSpeed speed = antires::SpeedFromDrive(m.GetI32(pid::GeneratorSpeed));
        reverseBox_->setChecked(speed.reverse);
        speedSlider_->setValue(speed.rpm);
        speedText_->setText(antires::SpeedText(speed.rpm));
        sentSpeed_ = SignedSpeed();
    }
    loading_ = false;
}

void AntiResonanceWindow::ShowHelp() {
    // The program's help window is this window's sibling; a window made on its own (a
    // test, the picture generator) brings its own.
    QWidget* help = parentWidget() ? parentWidget()->findChild<QWidget*>(QStringLiteral("TForm17"),
                                                                          Qt::FindDirectChildrenOnly)
                                   : nullptr;
    if (!help) {
        if (!help_) help_ = CreateHelpWindow(drive_, this);
        help = help_;
    }
    help->show();
    help->raise();
    help->activateWindow();
}

}  // namespace ordalis
