#include "app/DoctorDialog.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <random>

#include "core/Doctor.h"
#include "core/Session.h"
#include "core/UiPrompt.h"
#include "link/qt/PortMap.h"
#include "link/qt/QtSerialPort.h"
#include "link/qt/QtTimers.h"

namespace ordalis {

DoctorDialog::DoctorDialog(Session& program, UiPrompt& prompt, const QString& settingsPath, QWidget* parent)
    : QDialog(parent), program_(program), prompt_(prompt), settingsPath_(settingsPath) {
    setObjectName("DoctorDialog");
    resize(640, 420);
    portLabel_ = new QLabel(this);
    port_ = new QComboBox(this);
    port_->setObjectName("DoctorPort");
    const PortMap map = PortMap::FromIni(settingsPath_);
    for (const QString& name : PortNames(settingsPath_)) {
        const QString device = map.DevicePath(name);
        port_->addItem(device == name ? name : QStringLiteral("%1  (%2)").arg(name, device), name);
    }
    // The port the program last used first.
    const QString current = QString::fromStdString(program_.Port().CommName());
    if (const int i = port_->findData(current); i >= 0) port_->setCurrentIndex(i);
    run_ = new QPushButton(this);
    run_->setObjectName("DoctorRun");
    close_ = new QPushButton(this);
    close_->setObjectName("DoctorClose");
    progress_ = new QLabel(this);
    progress_->setObjectName("DoctorProgress");
    report_ = new QPlainTextEdit(this);
    report_->setObjectName("DoctorReport");
    report_->setReadOnly(true);
    report_->setLineWrapMode(QPlainTextEdit::WidgetWidth);

    auto* top = new QHBoxLayout;
    top->addWidget(portLabel_);
    top->addWidget(port_, 1);
    top->addWidget(run_);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(progress_, 1);
    bottom->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(report_, 1);
    layout->addLayout(bottom);

    connect(run_, &QPushButton::clicked, this, &DoctorDialog::Run);
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
    Translate();
}

DoctorDialog::~DoctorDialog() = default;

QString DoctorDialog::T(const char* chinese, const char* english) const {
    return QString::fromUtf8(program_.settings.LanguageIndex == 1 ? english : chinese);
}

void DoctorDialog::Translate() {
    setWindowTitle(T("连接诊断", "Connection doctor"));
    portLabel_->setText(T("串口:", "Port:"));
    run_->setText(T("开始诊断(&R)", "&Run"));
    close_->setText(T("关闭(&C)", "&Close"));
}

QString DoctorDialog::Report() const { return report_->toPlainText(); }

void DoctorDialog::Run() {
    if (running_) return;
    const QString name = port_->currentData().toString();
    const PortMap map = PortMap::FromIni(settingsPath_);
    timers_ = std::make_unique<QtTimerFactory>();
    serial_ = std::make_unique<QtSerialPort>(map);
    state_ = std::make_unique<Session>(*serial_, *timers_, prompt_, std::random_device{}());
    state_->settings.LanguageIndex = program_.settings.LanguageIndex;
    run_state_ = std::make_unique<DoctorRun>(*state_, name, map.DevicePath(name));
    connect(run_state_.get(), &DoctorRun::Found, this, &DoctorDialog::Show);
    connect(run_state_.get(), &DoctorRun::Probing, this, [this](int address, int32_t rate) {
        progress_->setText(T("正在探测地址 %1,%2 bps…", "Probing address %1 at %2 baud…").arg(address).arg(rate));
    });
    connect(run_state_.get(), &DoctorRun::Finished, this, &DoctorDialog::Finished);
    report_->clear();
    running_ = true;
    run_->setEnabled(false);
    port_->setEnabled(false);
    progress_->setText(T("正在检查…", "Checking…"));
    const bool programHoldsIt = program_.Port().IsOpen() && QString::fromStdString(program_.Port().CommName()) == name;
    run_state_->Start(!programHoldsIt);
}

void DoctorDialog::Show(const Finding& f) {
    const char* mark = f.level == FindingLevel::Ok ? "✔ " : f.level == FindingLevel::Note ? "• " : "✖ ";
    report_->appendPlainText(QString::fromUtf8(mark) + f.Text(program_.settings.LanguageIndex));
}

void DoctorDialog::Finished() {
    running_ = false;
    run_->setEnabled(true);
    port_->setEnabled(true);
    progress_->setText(T("诊断完成。", "Done."));
}

void ShowConnectionDoctor(Session& program, UiPrompt& prompt, const QString& settingsPath, QWidget* parent) {
    DoctorDialog dialog(program, prompt, settingsPath, parent);
    prompt.ExecModal(dialog);
}

}  // namespace ordalis
