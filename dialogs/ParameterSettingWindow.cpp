#include "dialogs/ParameterSettingWindow.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/Deferred.h"
#include "core/TextPair.h"
#include "core/UiPrompt.h"
#include "dialogs/NumberEntry.h"
#include "model/ModelFamily.h"

namespace ordalis {

namespace {

const TextPair kCaption{"参数设定", "Parameter setting"};
const TextPair kOk{"确定", "OK"};
const TextPair kAutoTune{"自动调谐", "Auto Turn"};
const TextPair kBoxes[3] = {
    {"当SW5,SW6,SW7,SW8 开关均为ON时，则启用内部细分数",
     "When SW5, SW6, SW7, SW8 is all ON, the internal MicroStep is Active"},
    {"当输入脉冲停止后延时设定时间后，保持电流下降到运行电流的百分比",
     "After the pulse stop delay Setting Time The current reduce"},
    {"电流环：", "Current loop proportional:"}};
const TextPair kMicroStepLabel{"内部细分数", "internal MicroStep"};  // Label8
const TextPair kSameAs{"相当于", "the same as"};                    // Label6
const TextPair kDelayLabel{"半流延时", "DelayTime"};                // Label3
const TextPair kReduceLabel{"电流下降到", "reduce to"};             // Label1

const TextPair kTuneRefused{"驱动器禁能或异常，不能执行该项操作",
                            "Driver in fault or disable,Can not perform this function"};
const TextPair kDelayTooLong{"延时时间不能大于3000mS！", "The delay time can not be greater than 3000mS!"};
const TextPair kInputError{"输入错误!", "Input Error!"};
const TextPair kLsRange{"参数应在1.5-30之间!", "Parameters should be between 1.5-30!"};
const TextPair kRsRange{"参数应在0.5-30之间!", "Parameters should be between 0.5-30!"};
const TextPair kGainRange{"参数应小于32767!", "Parameter should be less than 32767!"};

constexpr uint16_t kIds[7] = {pid::MicroStep, pid::IdleDelay, pid::IdleCurrent, pid::Cp,
                              pid::Ci,        pid::Ls,        pid::Rs};
enum Box { MicroStepBox, DelayBox, ShareBox, CpBox, CiBox, LsBox, RsBox };
constexpr int kFullShare = 65535;  // parameter 136 at 100 %

template <typename T>
T* Named(T* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

// Parameter 136 as the percent the box shows, rounded up.
int64_t SharePercent(uint16_t share) { return (int64_t(share) * 100 + kFullShare - 1) / kFullShare; }

QString Steps(uint16_t microStep) { return QString::number(int64_t(microStep) * 50) + QStringLiteral(" Pulse/rev"); }

}  // namespace

ParameterSettingWindow::ParameterSettingWindow(DriveAccess& drive, QWidget* parent, int featureLevel)
    : DriveWindow(drive, parent, "TForm14", {425, 265}), featureLevel_(featureLevel) {
    for (int i = 0; i < 3; ++i) boxes_[i] = Named(new QGroupBox, QStringLiteral("GroupBox%1").arg(i + 1));
    for (int i = 0; i < 7; ++i) {
        edits_[i] = Named(new QLineEdit, QStringLiteral("Edit%1").arg(i + 1));
        edits_[i]->setFixedWidth(64);
    }
    for (int i = 0; i < 13; ++i) labels_[i] = Named(new QLabel, QStringLiteral("Label%1").arg(i + 1));
    stepsLabel_ = labels_[6];
    const char* fixed[][2] = {{"2", "ms"}, {"4", "%"}, {"5", "Cp："}, {"9", "Ls："}, {"10", "Rs："},
                              {"11", "Ci："}, {"12", "mH"}, {"13", "R"}};
    for (const auto& f : fixed) labels_[QByteArray(f[0]).toInt() - 1]->setText(QString::fromUtf8(f[1]));
    const auto label = [this](int n) { return labels_[n - 1]; };
    okButton_ = Named(new QPushButton, QStringLiteral("Button1"));
    tuneButton_ = Named(new QPushButton, QStringLiteral("Button2"));

    auto* micro = new QHBoxLayout(boxes_[0]);
    micro->addWidget(label(8));
    micro->addWidget(edits_[MicroStepBox]);
    micro->addWidget(label(6));
    micro->addWidget(label(7), 1);

    auto* idle = new QGridLayout(boxes_[1]);
    idle->addWidget(label(3), 0, 0);
    idle->addWidget(edits_[DelayBox], 0, 1);
    idle->addWidget(label(2), 0, 2);
    idle->addWidget(label(1), 1, 0);
    idle->addWidget(edits_[ShareBox], 1, 1);
    idle->addWidget(label(4), 1, 2);
    idle->setColumnStretch(3, 1);

    auto* loop = new QGridLayout(boxes_[2]);
    const int rows[4][3] = {{5, CpBox, 0}, {11, CiBox, 0}, {9, LsBox, 12}, {10, RsBox, 13}};
    for (int r = 0; r < 4; ++r) {
        loop->addWidget(label(rows[r][0]), r, 0);
        loop->addWidget(edits_[rows[r][1]], r, 1);
        if (rows[r][2]) loop->addWidget(label(rows[r][2]), r, 2);
    }
    loop->setColumnStretch(3, 1);
    loop->addWidget(tuneButton_, 0, 4, Qt::AlignRight);

    auto* top = new QVBoxLayout(this);
    for (QGroupBox* b : boxes_) top->addWidget(b);
    top->addStretch(1);
    top->addWidget(okButton_, 0, Qt::AlignHCenter);

    AttachNumberEntry(edits_[MicroStepBox], false, [this] { Exit(MicroStepBox); });
    AttachNumberEntry(edits_[DelayBox], false, [this] { Exit(DelayBox); });
    AttachNumberEntry(edits_[ShareBox], false, [this] { Exit(ShareBox); });
    AttachNumberEntry(edits_[CpBox], false, [this] { Exit(CpBox); });
    AttachNumberEntry(edits_[CiBox], false, [this] { Exit(CiBox); });
    AttachNumberEntry(edits_[LsBox], true, [this] { Exit(LsBox); });
    AttachNumberEntry(edits_[RsBox], true, [this] { Exit(RsBox); });
    connect(okButton_, &QPushButton::clicked, this, &QWidget::hide);
    connect(tuneButton_, &QPushButton::clicked, this,
            [this] { drive_.SendList(Lev2Queue, drive_.Lists().AutoTuneList); });

    autoTuneBinding_ =
        drive_.Dialogs().AutoTuneDone.Bind([this](uint16_t status, const uint8_t*, uint8_t) { AutoTuneDone(status); });
    // A refused write put the parameter back: its box shows the drive's value again.
    restoredWatch_ = drive_.WatchRestored([this](uint16_t id) {
        for (int i = 0; i < 7; ++i)
            if (kIds[i] == id) FillBox(i);
    });
    readyWatch_ = drive_.WatchDriveReady([this](const QString& model) {
        if (IsLqTrFamily(model.toStdString())) FormShow();
    });
    SetCaptions();
}

void ParameterSettingWindow::SetCaptions() {
    const uint8_t lang = drive_.Language();
    setWindowTitle(kCaption.Text(lang));
    okButton_->setText(kOk.Text(lang));
    tuneButton_->setText(kAutoTune.Text(lang));
    for (int i = 0; i < 3; ++i) boxes_[i]->setTitle(kBoxes[i].Text(lang));
    labels_[7]->setText(kMicroStepLabel.Text(lang));
    labels_[5]->setText(kSameAs.Text(lang));
    labels_[2]->setText(kDelayLabel.Text(lang));
    labels_[0]->setText(kReduceLabel.Text(lang));
}

void ParameterSettingWindow::FormShow() {
    SetCaptions();
    for (int i : {MicroStepBox, DelayBox, ShareBox, CpBox}) FillBox(i);
    const bool shown = featureLevel_ != 1;
    for (int n : {9, 10, 11, 12, 13}) labels_[n - 1]->setVisible(shown);
    for (int i : {CiBox, LsBox, RsBox}) edits_[i]->setVisible(shown);
}

void ParameterSettingWindow::FillBox(int index) {
    const ParameterMirror& m = drive_.Mirror();
    QString text;
    switch (index) {
        case MicroStepBox:
            text = QString::number(m.GetU16(pid::MicroStep));
            stepsLabel_->setText(Steps(m.GetU16(pid::MicroStep)));
            break;
        case DelayBox: text = QString::number(m.GetI16(pid::IdleDelay)); break;
        case ShareBox: text = QString::number(SharePercent(m.GetU16(pid::IdleCurrent))); break;
        case CpBox: text = QString::number(m.GetI16(pid::Cp)); break;
        case CiBox: text = QString::number(m.GetI16(pid::Ci)); break;
        case LsBox: text = ShortestDecimal(m.GetI16(pid::Ls), 2); break;
        case RsBox: text = ShortestDecimal(m.GetI16(pid::Rs), 2); break;
        default: return;
    }
    // The poll refills every 300 ms: an unchanged box is left alone (no repaint).
    if (edits_[index]->text() != text) edits_[index]->setText(text);
}

void ParameterSettingWindow::PollParaDone() {
    // The window's focus widget, not hasFocus(): that turns false as soon as another window
    // is active, and the poll would overwrite what was typed.
    for (int i : {CpBox, CiBox, LsBox, RsBox})
        if (focusWidget() != edits_[i]) FillBox(i);
}

void ParameterSettingWindow::Tell(const QString& text) { drive_.Prompt().ShowText(text); }

// Compare with the mirror, range check with the box's message, store and write. The box
// keeps the text as typed.
void ParameterSettingWindow::Exit(int index) {
    const uint8_t lang = drive_.Language();
    const ParameterMirror& m = drive_.Mirror();
    const uint16_t id = kIds[index];
    const QString text = edits_[index]->text();
    if (index == LsBox || index == RsBox) {
        const std::optional<DecimalEntry> x = ParseDecimalEntry(text);
        if (!x) return Tell(NotANumberText(lang, text, true));
        const int64_t hundredths = x->Scaled(2, DecimalEntry::Rounding::Ceil);
        if (hundredths == m.GetI16(id)) return;
        const int64_t low = index == LsBox ? 150 : 50, high = 3000;
        if (x->CompareTo(low, 2) < 0 || x->CompareTo(high, 2) > 0)
            return Tell((index == LsBox ? kLsRange : kRsRange).Text(lang));
        drive_.WriteParameter(id, hundredths, {low, high});
        return;
    }
    const std::optional<int64_t> v = ParseIntegerEntry(text);
    if (!v) return Tell(NotANumberText(lang, text, false));
    switch (index) {
        case MicroStepBox:
            // 16 bits on the drive: a larger entry would arrive cut.
            if (*v == m.GetU16(id)) return;
            if (*v > 0xFFFF) return Tell(RangeText(lang, QStringLiteral("0"), QStringLiteral("65535")));
            if (drive_.WriteParameter(id, *v, {0, 0xFFFF}) == WriteOutcome::Queued)
                stepsLabel_->setText(Steps(m.GetU16(id)));
            return;
        case DelayBox:
            if (drive_.WriteParameter(id, *v, {0, 3000}) == WriteOutcome::OutOfRange) Tell(kDelayTooLong.Text(lang));
            return;
        case ShareBox:
            // Unchanged when the entry is what the box shows for the drive's value: shown
            // rounded up, stored rounded down, 32768 shows 51 and an entry of 50 writes 32767.
            if (*v == SharePercent(m.GetU16(id))) return;
            if (*v > 100) return Tell(kInputError.Text(lang));
            drive_.WriteParameter(id, *v * kFullShare / 100, {0, kFullShare});
            return;
        case CpBox:
        case CiBox:
            if (drive_.WriteParameter(id, *v, {0, 32767}) == WriteOutcome::OutOfRange) Tell(kGainRange.Text(lang));
            return;
        default: return;
    }
}

void ParameterSettingWindow::AutoTuneDone(uint16_t status) {
    if (status == Answered || status == Failed || status == Sent) return;
    if (status == NoAnswer) {
        drive_.ReportNoAnswer();
        return;
    }
    const QString text = status == 10 ? kTuneRefused.Text(drive_.Language())
                                      : QStringLiteral("Come back Error code ") +
                                            QString::number(status, 16).toUpper().rightJustified(4, u'0');
    // The message box waits until the link's answer handling has returned.
    RunDeferred(this, [this, text] { Tell(text); });
}

void ParameterSettingWindow::showEvent(QShowEvent* event) {
    DriveWindow::showEvent(event);
    if (!poll_.Active()) poll_ = drive_.RegisterPoll(PollKind::Parameters, [this] { PollParaDone(); });
}

void ParameterSettingWindow::hideEvent(QHideEvent* event) {
    DriveWindow::hideEvent(event);
    if (!event->spontaneous()) poll_.Release();
}

QWidget* CreateParameterSettingWindow(DriveAccess& drive, QWidget* parent) {
    return new ParameterSettingWindow(drive, parent);
}

}  // namespace ordalis
