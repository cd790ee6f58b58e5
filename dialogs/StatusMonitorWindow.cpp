#include "dialogs/StatusMonitorWindow.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QHideEvent>
#include <iterator>

#include "core/TextPair.h"
#include "dialogs/DipSwitchPicture.h"
#include "dialogs/Led.h"
#include "dialogs/NumberEntry.h"

namespace ordalis {

namespace {

struct FaultRow {
    const char* label;
    const char* led;
    uint16_t mask;  // any set bit lights the row
    TextPair text;
};

// Top to bottom, as the window shows them.
const FaultRow kFaults[StatusMonitorWindow::kFaultRows] = {
    {"Label5", "Shape21", 0x0001, {"过流：", "Over current："}},
    {"Label6", "Shape22", 0x0002, {"欠压：", "Under voltage："}},
    {"Label7", "Shape23", 0x0004, {"过压：", "Over voltage："}},
    {"Label8", "Shape24", 0x0018, {"相位错：", "Phase fault："}},
    {"Label9", "Shape25", 0x0100, {"EEPROM错：", "EEPROM Error："}},
    {"Label11", "Shape26", 0x0020, {"外部禁能：", "External disable："}},
    {"Label10", "Shape27", 0x0040, {"软件禁能：", "Software disable："}},
    {"Label18", "Shape29", 0x0080, {"过温：", "OverTemp："}},
    {"Label12", "Shape28", 0x0800, {"其它异常：", "Other Fault："}},
};

struct InputRow {
    const char* label;
    const char* led;
    int bit;
    TextPair text;
};

const InputRow kInputRows[3] = {
    {"Label2", "Shape1", InputBit::PulseInput, {"脉冲输入端状态：", "Pul input state："}},
    {"Label3", "Shape19", InputBit::DirectionInput, {"方向输入端状态：", "Dir input state："}},
    {"Label4", "Shape20", InputBit::EnableInput, {"使能输入端状态：", "Ena input state："}},
};

const TextPair kCaption{"状态监视", "Status monitor"};
const TextPair kAlarmBox{"异常报警", "Alarm"};
const TextPair kInputBox{"输入状态", "Input state"};
const TextPair kSwitchLabel{"拔码开关状态：", "DIP switch status："};
const TextPair kVoltageLabel{"电源电压：", "Bus Voltage："};
const TextPair kTemperatureLabel{"驱动器温度:", "Drive temp:"};
const TextPair kClose{"关闭：", "Close"};
const TextPair kFreeMotor{"软件禁能", "Free Motor"};
const TextPair kClear{"清除异常", "Clear"};

template <typename T>
T* Named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLineEdit* ReadOnlyBox(const char* name) {
    auto* box = Named(new QLineEdit, name);
    box->setReadOnly(true);
    box->setFixedWidth(64);
    return box;
}

}  // namespace

StatusMonitorWindow::StatusMonitorWindow(DriveAccess& drive, QWidget* parent)
    : DriveWindow(drive, parent, "TForm16", {392, 303}) {
    inputBox_ = Named(new QGroupBox, "GroupBox2");
    auto* inputGrid = new QGridLayout(inputBox_);
    switchLabel_ = Named(new QLabel, "Label1");
    switches_ = Named(new DipSwitchPicture, "Shape2");
    inputGrid->addWidget(switchLabel_, 0, 0, 1, 3);
    inputGrid->addWidget(switches_, 1, 0, 1, 3, Qt::AlignHCenter);
    int row = 2;
    for (size_t i = 0; i < std::size(kInputRows); ++i, ++row) {
        inputLabels_[i] = Named(new QLabel, kInputRows[i].label);
        inputLeds_[i] = Named(new Led, kInputRows[i].led);
        inputGrid->addWidget(inputLabels_[i], row, 0, 1, 2);
        inputGrid->addWidget(inputLeds_[i], row, 2, Qt::AlignCenter);
    }
    voltageLabel_ = Named(new QLabel, "Label14");
    voltage_ = ReadOnlyBox("Edit1");
    temperatureLabel_ = Named(new QLabel, "Label16");
    temperature_ = ReadOnlyBox("Edit2");
    inputGrid->addWidget(voltageLabel_, row, 0);
    inputGrid->addWidget(voltage_, row, 1);
    inputGrid->addWidget(Named(new QLabel(QStringLiteral("V")), "Label15"), row++, 2);
    inputGrid->addWidget(temperatureLabel_, row, 0);
    inputGrid->addWidget(temperature_, row, 1);
    inputGrid->addWidget(Named(new QLabel(QStringLiteral("℃")), "Label17"), row++, 2);
    inputGrid->setRowStretch(row, 1);

    alarmBox_ = Named(new QGroupBox, "GroupBox1");
    auto* alarmGrid = new QGridLayout(alarmBox_);
    for (int i = 0; i < kFaultRows; ++i) {
        faultLabels_[i] = Named(new QLabel, kFaults[i].label);
        faultLeds_[i] = Named(new Led, kFaults[i].led);
        alarmGrid->addWidget(faultLabels_[i], i, 0);
        alarmGrid->addWidget(faultLeds_[i], i, 1, Qt::AlignCenter);
    }
    faultCode_ = Named(new QLabel, "Label13");
    faultCode_->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 4);
    alarmGrid->addWidget(faultCode_, kFaultRows - 1, 2);
    freeButton_ = Named(new QPushButton, "Button2");
    clearButton_ = Named(new QPushButton, "Button3");
    auto* alarmButtons = new QHBoxLayout;
    alarmButtons->addWidget(freeButton_);
    alarmButtons->addWidget(clearButton_);
    alarmGrid->setRowStretch(kFaultRows, 1);
    alarmGrid->addLayout(alarmButtons, kFaultRows + 1, 0, 1, 3);

    closeButton_ = Named(new QPushButton, "Button1");
    auto* left = new QVBoxLayout;
    left->addWidget(inputBox_, 1);
    left->addWidget(closeButton_, 0, Qt::AlignHCenter);
    auto* top = new QHBoxLayout(this);
    top->addLayout(left);
    top->addWidget(alarmBox_, 1);

    connect(closeButton_, &QPushButton::clicked, this, &QWidget::hide);
    connect(freeButton_, &QPushButton::clicked, this, [this] { FreeMotor(); });
    connect(clearButton_, &QPushButton::clicked, this, [this] { ClearFaults(); });
}

void StatusMonitorWindow::FormShow() {
    const uint8_t lang = drive_.Language();
    setWindowTitle(kCaption.Text(lang));
    alarmBox_->setTitle(kAlarmBox.Text(lang));
    inputBox_->setTitle(kInputBox.Text(lang));
    switchLabel_->setText(kSwitchLabel.Text(lang));
    for (size_t i = 0; i < std::size(kInputRows); ++i) inputLabels_[i]->setText(kInputRows[i].text.Text(lang));
    for (int i = 0; i < kFaultRows; ++i) faultLabels_[i]->setText(kFaults[i].text.Text(lang));
    voltageLabel_->setText(kVoltageLabel.Text(lang));
    temperatureLabel_->setText(kTemperatureLabel.Text(lang));
    closeButton_->setText(kClose.Text(lang));
    freeButton_->setText(kFreeMotor.Text(lang));
    clearButton_->setText(kClear.Text(lang));
}

// Every 300 ms: an unchanged text is not set again, so nothing repaints.
static void SetChanged(QLineEdit* box, const QString& text) {
    if (box->text() != text) box->setText(text);
}

void StatusMonitorWindow::UpdateStatus() {
    const ParameterMirror& m = drive_.Mirror();
    SetChanged(voltage_, ShortestDecimal(m.GetU16(pid::BusVoltage), 2));
    SetChanged(temperature_, ShortestDecimal(m.GetI16(pid::Temperature), 1));
    const uint16_t inputs = m.GetU16(pid::Inputs);
    switches_->SetSwitches(DipSwitchByte(inputs));
    for (size_t i = 0; i < std::size(kInputRows); ++i) inputLeds_[i]->SetOn(TestBit(inputs, kInputRows[i].bit));
    const uint16_t status = m.GetU16(pid::StatusWord);
    for (int i = 0; i < kFaultRows; ++i)
        faultLeds_[i]->SetColor((status & kFaults[i].mask) ? Led::kRed : Led::kGreen);
    faultCode_->setText(HasOtherFault(status)
                            ? QString::number(m.GetU16(pid::FaultCode), 16).toUpper().rightJustified(4, u'0')
                            : QString());
}

// The LEDs follow once a later poll has read the status word back.
void StatusMonitorWindow::FreeMotor() {
    const uint16_t status = drive_.Mirror().GetU16(pid::StatusWord);
    drive_.WriteParameterAlways(pid::StatusWord, status | (1u << StatusBit::SoftwareDisable));
}

void StatusMonitorWindow::ClearFaults() { drive_.WriteParameterAlways(pid::StatusWord, 0); }

void StatusMonitorWindow::showEvent(QShowEvent* event) {
    DriveWindow::showEvent(event);
    if (!poll_.Active()) poll_ = drive_.RegisterPoll(PollKind::Monitor, [this] { UpdateStatus(); });
}

void StatusMonitorWindow::hideEvent(QHideEvent* event) {
    DriveWindow::hideEvent(event);
    if (!event->spontaneous()) poll_.Release();
}

QWidget* CreateStatusMonitorWindow(DriveAccess& drive, QWidget* parent) {
    return new StatusMonitorWindow(drive, parent);
}

}  // namespace ordalis
