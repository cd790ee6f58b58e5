#include "dialogs/PulseInputWindow.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/TextPair.h"
#include "core/UiPrompt.h"
#include "dialogs/NumberEntry.h"
#include "model/ModelFamily.h"

namespace ordalis {

namespace {

const TextPair kCaption{"输入方式", "Input Mode"};
const TextPair kOk{"确定", "OK"};
const TextPair kBoxes[4] = {{"脉冲输入方式", "Pulse Input Mode Select"},
                            {"轨迹平滑", "Profile Smooth"},
                            {"脉冲输入边沿选择", "Pulse input edge select"},
                            {"方向正转电平选择", "Direction forward level selection"}};
const TextPair kRadios[7] = {{"脉冲+方向", "Pulse&Dir"},     {"双脉冲", "CW&CCW"},
                             {"编码器跟随", "Quadrature signals"}, {"上升沿", "Rising edge"},
                             {"下降沿", "Falling edge"},      {"高电平", "High level"},
                             {"低电平", "Low level"}};
const TextPair kChecks[2] = {{"启动微步功能", "TinyStep Enable"}, {"使能平滑功能", "Smooth Flter Enable"}};
const TextPair kSmoothingLabel{"平滑时间常数", "Smoothing time constant"};

// Parameter 97 chosen by RadioButton1..3.
constexpr uint16_t kPulseModes[3] = {2, 1, 0};
// Radio buttons 4..7 (index 3..6): the bit of parameter 99 and whether they set it.
struct OptionRadio {
    int bit;
    bool set;
};
constexpr OptionRadio kOptionRadios[4] = {{PulseOptionBit::FallingEdge, false},
                                          {PulseOptionBit::FallingEdge, true},
                                          {PulseOptionBit::ForwardOnLow, false},
                                          {PulseOptionBit::ForwardOnLow, true}};
constexpr int kOptionChecks[2] = {PulseOptionBit::MicroStep, PulseOptionBit::Smoothing};

constexpr int64_t kSmoothingMax = 65535;  // 6553.5 ms in 0.1 ms

template <typename T>
T* Named(T* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

}  // namespace

PulseInputWindow::PulseInputWindow(DriveAccess& drive, QWidget* parent, int featureLevel)
    : DriveWindow(drive, parent, "TForm13", {386, 270}), featureLevel_(featureLevel) {
    for (int i = 0; i < 4; ++i) boxes_[i] = Named(new QGroupBox, QStringLiteral("GroupBox%1").arg(i + 1));
    for (int i = 0; i < 7; ++i) radios_[i] = Named(new QRadioButton, QStringLiteral("RadioButton%1").arg(i + 1));
    for (int i = 0; i < 2; ++i) checks_[i] = Named(new QCheckBox, QStringLiteral("CheckBox%1").arg(i + 1));
    smoothingLabel_ = Named(new QLabel, QStringLiteral("Label1"));
    smoothing_ = Named(new QLineEdit, QStringLiteral("Edit1"));
    smoothing_->setFixedWidth(64);
    okButton_ = Named(new QPushButton, QStringLiteral("Button1"));

    auto* format = new QVBoxLayout(boxes_[0]);
    for (int i = 0; i < 3; ++i) format->addWidget(radios_[i]);
    auto* smooth = new QVBoxLayout(boxes_[1]);
    smooth->addWidget(checks_[0]);
    smooth->addWidget(checks_[1]);
    auto* timeRow = new QHBoxLayout;
    timeRow->addWidget(smoothingLabel_);
    timeRow->addWidget(smoothing_);
    timeRow->addWidget(Named(new QLabel(QStringLiteral("mS")), QStringLiteral("Label2")));
    timeRow->addStretch(1);
    smooth->addLayout(timeRow);
    auto* edge = new QVBoxLayout(boxes_[2]);
    edge->addWidget(radios_[3]);
    edge->addWidget(radios_[4]);
    auto* level = new QVBoxLayout(boxes_[3]);
    level->addWidget(radios_[5]);
    level->addWidget(radios_[6]);

    auto* grid = new QGridLayout;
    grid->addWidget(boxes_[0], 0, 0);
    grid->addWidget(boxes_[1], 0, 1);
    grid->addWidget(boxes_[2], 1, 0);
    grid->addWidget(boxes_[3], 1, 1);
    auto* top = new QVBoxLayout(this);
    top->addLayout(grid, 1);
    top->addWidget(okButton_, 0, Qt::AlignHCenter);

    for (int i = 0; i < 3; ++i)
        connect(radios_[i], &QRadioButton::toggled, this, [this, i](bool on) { PulseModeChosen(i, on); });
    for (int i = 0; i < 4; ++i)
        connect(radios_[3 + i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) OptionBitChosen(kOptionRadios[i].bit, kOptionRadios[i].set);
        });
    connect(checks_[0], &QCheckBox::toggled, this, [this](bool on) { OptionBitChosen(kOptionChecks[0], on); });
    connect(checks_[1], &QCheckBox::toggled, this, [this](bool on) {
        smoothing_->setEnabled(on);
        OptionBitChosen(kOptionChecks[1], on);
    });
    AttachNumberEntry(smoothing_, true, [this] { SmoothingExit(); });
    connect(okButton_, &QPushButton::clicked, this, &QWidget::hide);

    // A refused write put the parameter back: the controls show the drive's value again.
    restoredWatch_ = drive_.WatchRestored([this](uint16_t id) {
        if (id == pid::PulseMode || id == pid::PulseOptions || id == pid::Smoothing)
            FillControls(id == pid::Smoothing);
    });
    // After a read-back the controls hold the drive's settings, shown or not.
    readyWatch_ = drive_.WatchDriveReady([this](const QString& model) {
        if (IsLqTrFamily(model.toStdString())) FormShow();
    });
    SetCaptions();
}

void PulseInputWindow::SetCaptions() {
    const uint8_t lang = drive_.Language();
    setWindowTitle(kCaption.Text(lang));
    okButton_->setText(kOk.Text(lang));
    for (int i = 0; i < 4; ++i) boxes_[i]->setTitle(kBoxes[i].Text(lang));
    // "Pulse&Dir" and "CW&CCW" follow the caption rules: the "&" marks a shortcut key.
    for (int i = 0; i < 7; ++i) radios_[i]->setText(kRadios[i].Text(lang));
    for (int i = 0; i < 2; ++i) checks_[i]->setText(kChecks[i].Text(lang));
    smoothingLabel_->setText(kSmoothingLabel.Text(lang));
}

void PulseInputWindow::FormShow() {
    SetCaptions();
    FillControls(true);
    loading_ = false;
}

void PulseInputWindow::FillControls(bool smoothingBox) {
    const bool wasLoading = loading_;
    loading_ = true;
    const ParameterMirror& m = drive_.Mirror();
    const uint16_t mode = m.GetU16(pid::PulseMode);
    radios_[mode == 0 ? 2 : mode == 1 ? 1 : 0]->setChecked(true);
    const uint16_t options = m.GetU16(pid::PulseOptions);
    checks_[0]->setChecked(TestBit(options, PulseOptionBit::MicroStep));
    const bool smoothingOn = TestBit(options, PulseOptionBit::Smoothing);
    checks_[1]->setChecked(smoothingOn);
    smoothing_->setEnabled(smoothingOn);
    if (smoothingBox) smoothing_->setText(ShortestDecimal(m.GetU16(pid::Smoothing), 1));
    radios_[TestBit(options, PulseOptionBit::FallingEdge) ? 4 : 3]->setChecked(true);
    radios_[TestBit(options, PulseOptionBit::ForwardOnLow) ? 6 : 5]->setChecked(true);
    const bool locked = featureLevel_ != 0;
    checks_[0]->setEnabled(!locked);
    checks_[0]->setVisible(!locked);
    checks_[1]->setEnabled(!locked);
    loading_ = wasLoading;
}

void PulseInputWindow::PulseModeChosen(int radio, bool checked) {
    if (!checked || loading_) return;
    drive_.WriteParameter(pid::PulseMode, kPulseModes[radio], {0, 0xFFFF});
}

// The other bits of parameter 99 stay as the mirror holds them.
void PulseInputWindow::OptionBitChosen(int bit, bool set) {
    if (loading_) return;
    const uint16_t options = drive_.Mirror().GetU16(pid::PulseOptions);
    const uint16_t mask = static_cast<uint16_t>(1u << bit);
    const uint16_t value = set ? (options | mask) : (options & ~mask);
    drive_.WriteParameter(pid::PulseOptions, value, {0, 0xFFFF});
}

// The time constant in ms with one decimal; parameter 98 holds tenths, ties to even.
void PulseInputWindow::SmoothingExit() {
    const uint8_t lang = drive_.Language();
    const std::optional<DecimalEntry> x = ParseDecimalEntry(smoothing_->text());
    if (!x) {
        drive_.Prompt().ShowText(NotANumberText(lang, smoothing_->text(), true));
        return;
    }
    if (x->ScaledEquals(1, drive_.Mirror().GetU16(pid::Smoothing))) return;
    const int64_t tenths = x->Scaled(1, DecimalEntry::Rounding::HalfEven);
    if (drive_.WriteParameter(pid::Smoothing, tenths, {0, kSmoothingMax}) == WriteOutcome::OutOfRange)
        drive_.Prompt().ShowText(RangeText(lang, QStringLiteral("0"), ShortestDecimal(kSmoothingMax, 1)));
}

QWidget* CreatePulseInputWindow(DriveAccess& drive, QWidget* parent) { return new PulseInputWindow(drive, parent); }

}  // namespace ordalis
