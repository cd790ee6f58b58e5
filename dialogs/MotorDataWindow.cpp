#include "dialogs/MotorDataWindow.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>
#include <QTabWidget>
#include <QTimer>

#include "core/DriveAccess.h"
#include "dialogs/CenterOnParent.h"
#include "dialogs/DecimalText.h"

namespace ordalis {

namespace {

constexpr int kClientWidth = 448;
constexpr int kClientHeight = 240;
// MotorReadList refused while another window's write is on the Lev2Queue is tried again
// this often, this many times, while the window is visible.
constexpr int kRetryMs = 100;
constexpr int kRetryLimit = 20;

struct Row {
    const char* label;
    const char* labelText;
    const char* edit;
    const char* unit;  // nullptr: no unit label
    const char* unitText;
};

// Rows of the two group boxes, top to bottom (the window has Chinese texts only).
const Row kMechanical[] = {
    {"Label3", "转子惯量：", "Edit3", "Label20", "Kg*cm2"},
    {"Label5", "峰值扭矩：", "Edit5", "Label19", "N.M"},
    {"Label7", "持续扭矩：", "Edit6", "Label18", "N.M"},
    {"Label8", "最高转速：", "Edit7", "Label17", "RPM"},
};
const Row kElectrical[] = {
    {"Label4", "转矩常数：", "Edit4", "Label15", "N.m/A"},
    {"Label9", "反电势常数：", "Edit8", "Label16", "V/KRPM"},
    {"Label10", "绕组电感：", "Edit9", "Label13", "mH"},
    {"Label11", "绕组电阻：", "Edit10", "Label14", "Ohms"},
    {"Label12", "磁极对数：", "Edit11", nullptr, nullptr},
};

QLabel* MakeLabel(QWidget* parent, const char* name, const char* text, QRect geometry) {
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(geometry);
    return l;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, QRect geometry) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setGeometry(geometry);
    return e;
}

template <size_t N>
void AddRows(QGroupBox* box, const Row (&rows)[N]) {
    for (size_t i = 0; i < N; ++i) {
        const int top = 22 + static_cast<int>(i) * 28;
        MakeLabel(box, rows[i].label, rows[i].labelText, {8, top + 2, 78, 22});
        MakeEdit(box, rows[i].edit, {86, top, 64, 24});
        if (rows[i].unit) MakeLabel(box, rows[i].unit, rows[i].unitText, {154, top + 2, 56, 22});
    }
}

}  // namespace

QWidget* CreateMotorDataWindow(DriveAccess& drive, QWidget* parent) {
    auto* w = new MotorDataWindow(drive, parent);
    w->hide();
    return w;
}

MotorDataWindow::MotorDataWindow(DriveAccess& drive, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      drive_(drive) {
    setObjectName(QStringLiteral("TForm12"));
    setWindowTitle(QString::fromUtf8("电机参数"));
    setFixedSize(kClientWidth, kClientHeight);

    auto* pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("PageControl1"));
    pages->setGeometry(0, 0, kClientWidth, kClientHeight);

    auto* motor = new QWidget;
    motor->setObjectName(QStringLiteral("TabSheet1"));
    pages->addTab(motor, QString::fromUtf8("电机参数"));
    MakeLabel(motor, "Label1", "型号：", {12, 10, 40, 22});
    MakeEdit(motor, "Edit1", {52, 8, 160, 24});
    MakeLabel(motor, "Label2", "厂商：", {228, 10, 40, 22});
    MakeEdit(motor, "Edit2", {268, 8, 162, 24});
    auto* mechanical = new QGroupBox(QString::fromUtf8("机电参数"), motor);
    mechanical->setObjectName(QStringLiteral("GroupBox1"));
    mechanical->setGeometry(6, 38, 214, 166);
    AddRows(mechanical, kMechanical);
    auto* electrical = new QGroupBox(QString::fromUtf8("电气参数"), motor);
    electrical->setObjectName(QStringLiteral("GroupBox2"));
    electrical->setGeometry(224, 38, 214, 166);
    AddRows(electrical, kElectrical);

    auto* feedback = new QWidget;
    feedback->setObjectName(QStringLiteral("TabSheet2"));
    pages->addTab(feedback, QString::fromUtf8("反馈参量"));
    MakeLabel(feedback, "Label21", "编码器：", {12, 22, 56, 22});
    MakeEdit(feedback, "Edit12", {68, 20, 90, 24});
    MakeLabel(feedback, "Label22", "PPR =", {170, 22, 44, 22});
    MakeEdit(feedback, "Edit13", {214, 20, 90, 24})->setEnabled(false);
    MakeLabel(feedback, "Label23", "Pulse/Rev", {310, 22, 80, 22});

    retryTimer_ = new QTimer(this);
    retryTimer_->setSingleShot(true);
    retryTimer_->setInterval(kRetryMs);
    connect(retryTimer_, &QTimer::timeout, this, &MotorDataWindow::SendRead);

    binding_ = drive_.Dialogs().MotorReadDone.Bind([this](uint16_t s, const uint8_t*, uint8_t) { MotorReadDone(s); });
}

void MotorDataWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return;
    CenterOnParent(this);
    FormShow();
}

void MotorDataWindow::FormShow() {
    retries_ = 0;
    SendRead();
}

void MotorDataWindow::SendRead() {
    if (drive_.SendList(Lev2Queue, drive_.Lists().MotorReadList)) return;
    if (isVisible() && retries_++ < kRetryLimit) retryTimer_->start();
}

void MotorDataWindow::MotorReadDone(uint16_t status) {
    if (status == NoAnswer) {
        drive_.ReportNoAnswer();
        return;
    }
    if (status != Answered) return;
    const ParameterMirror& m = drive_.Mirror();
    const int32_t lines = m.GetI32(pid::EncoderLines);
    Edit(9)->setText(HundredthsText(m.GetI16(pid::Ls)));
    Edit(10)->setText(HundredthsText(m.GetI16(pid::Rs)));
    Edit(11)->setText(QString::number(m.GetI16(pid::PolePairs)));
    Edit(12)->setText(QString::number(lines));
    Edit(13)->setText(QString::number(4 * int64_t{lines}));
}

QLineEdit* MotorDataWindow::Edit(int number) const {
    return findChild<QLineEdit*>(QStringLiteral("Edit%1").arg(number));
}

}  // namespace ordalis
