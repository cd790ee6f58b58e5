#include "wizard/LinkTypePage.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include "wizard/WizardContext.h"
#include "core/UiPrompt.h"
#include "core/DriveSession.h"
#include "wizard/SerialPortPage.h"
#include "wizard/WizardText.h"
#include "wizard/WizardApi.h"
#include "wizard/WizardResult.h"

namespace ordalis {

LinkTypePage::LinkTypePage(WizardContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
    setObjectName("TForm2");
    setFixedSize(237, 199);
    selBox_ = new QGroupBox(this);
    selBox_->setObjectName("SelBox1");
    selBox_->setGeometry(8, 8, 221, 145);
    auto radio = [this](const char* name, int row) {
        auto* b = new QRadioButton(selBox_);
        b->setObjectName(name);
        b->setGeometry(12, 22 + 30 * row, 200, 22);
        return b;
    };
    uartSel_ = radio("UartSel", 0);
    usbSel_ = radio("Usbsel", 1);
    canSel_ = radio("Cansel", 2);
    etherNet_ = radio("EtherNet", 3);
    uartSel_->setChecked(true);
    canSel_->setEnabled(false);
    etherNet_->setEnabled(false);

    nextButton_ = new QPushButton(this);
    nextButton_->setObjectName("Button1");
    nextButton_->setGeometry(40, 164, 75, 25);
    nextButton_->setDefault(true);
    cancelButton_ = new QPushButton(this);
    cancelButton_->setObjectName("Button2");
    cancelButton_->setGeometry(124, 164, 75, 25);
    connect(nextButton_, &QPushButton::clicked, this, &LinkTypePage::NextClicked);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
    Translate();
}

void LinkTypePage::showEvent(QShowEvent* event) {
    Translate();
    QDialog::showEvent(event);
}

void LinkTypePage::Translate() {
    const Session& s = ctx_.state;
    setWindowTitle(Text(s, {"连接向导-选择物理连接", "Select physical connection"}));
    selBox_->setTitle(Text(s, {"通信网络选项", "Netword Options"}));
    uartSel_->setText(Text(s, {"串行通信RS232/RS485端口", "RS232/RS485 Port"}));
    usbSel_->setText(Text(s, {"USB2.0全速端口", "USB2.0 Full Speed"}));
    canSel_->setText(Text(s, {"Can通信", "Can Netword"}));
    etherNet_->setText(Text(s, {"以太网通信", "EtherNet"}));
    nextButton_->setText(Text(s, {"下一步", "Next"}));
    cancelButton_->setText(Text(s, {"取消", "Cance"}));
}

void LinkTypePage::NextClicked() {
    ctx_.drive.StopPoll();
    if (!uartSel_->isChecked()) return;
    // The probe takes the port over, so a connection still being set up ends here.
    ctx_.drive.Cancel();
    SerialPortPage page(ctx_, this);
    page.SetAvailablePorts(SerialPortPage::ProbePorts(ctx_.state.Port()));
    if (ctx_.prompt.ExecModal(page) == WizardCloseAll) done(WizardCloseAll);
}

}  // namespace ordalis

namespace ordalis {

bool OpenConnectionWizard(WizardContext& ctx) {
    ctx.connected = false;
    LinkTypePage page(ctx, ctx.parent);
    ctx.prompt.ExecModal(page);
    return ctx.connected;
}

}  // namespace ordalis
