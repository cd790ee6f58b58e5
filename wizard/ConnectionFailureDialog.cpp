#include "wizard/ConnectionFailureDialog.h"

#include <QLabel>

#include <algorithm>
#include <QPushButton>

#include "wizard/WizardContext.h"
#include "core/Session.h"
#include "core/DriveSession.h"
#include "wizard/WizardText.h"

namespace ordalis {

ConnectionFailureDialog::ConnectionFailureDialog(WizardContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx) {
    setObjectName("TForm9");
    setFixedSize(376, 129);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    message_ = new QLabel(this);
    message_->setObjectName("Label1");
    message_->setGeometry(0, 0, 376, 88);
    message_->setAutoFillBackground(true);
    message_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    message_->setContentsMargins(6, 3, 6, 0);
    message_->setWordWrap(true);
    QPalette palette = message_->palette();
    palette.setColor(QPalette::Window, QColor(0, 0, 128));
    // Blue on navy as the form had it is barely legible; a light blue keeps the look
    // and can be read on a factory floor.
    palette.setColor(QPalette::WindowText, QColor(150, 190, 255));
    message_->setPalette(palette);
    QFont font("Tahoma");
    font.setPixelSize(13);
    message_->setFont(font);

    auto button = [this](const char* name, int x) {
        auto* b = new QPushButton(this);
        b->setObjectName(name);
        b->setGeometry(x, 96, 100, 25);
        return b;
    };
    retryButton_ = button("Button1", 20);
    newButton_ = button("Button3", 138);
    cancelButton_ = button("Button2", 256);
    retryButton_->setDefault(true);
    connect(retryButton_, &QPushButton::clicked, this, &ConnectionFailureDialog::RetryClicked);
    connect(newButton_, &QPushButton::clicked, this, &ConnectionFailureDialog::NewConnectionClicked);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
    Prepare();
}

namespace {

QString Compose(int languageIndex, const QString& port, const QString& address) {
    const bool english = languageIndex == 1;
    const QString part1 = english ? "Communicating with the Port " : "与端口";
    const QString part2 = english ? " Slave Address " : " 的设备地址 ";
    const QString part3 = english ? QString::fromUtf8(" failed\uFF01 \r\n")
                                  : QString::fromUtf8(" 通信连接失败!\r\n\r\n");
    const QString part4 = english ? " 1.Verify the drive is power-on\r\n"
                                    " 2.Check the drive is connected and the \r\n"
                                    "connection port number is correct"
                                  : QString::fromUtf8(" 1.请检查驱动器是否上电\r\n"
                                                      " 2.请检查驱动器是否连接及连接端口号是否正确");
    return part1 + "Com" + port + part2 + address + part3 + part4;
}

}  // namespace

QString ConnectionFailureDialog::Message(int languageIndex, int port, int address) {
    return Compose(languageIndex, QString::number(port), QString::number(address));
}

void ConnectionFailureDialog::Prepare() {
    const Session& s = ctx_.state;
    if (const auto selection = s.settings.linkRecord.Selection()) {
        message_->setText(Message(s.settings.LanguageIndex, selection->port, selection->address));
    } else {
        // No stored selection: the message cannot name a port.
        message_->setText(Compose(s.settings.LanguageIndex, QString(), QString()));
    }
    FitToMessage();
    setWindowTitle(Text(s, {"连接失败", "Communication failure"}));
    retryButton_->setText(Text(s, {"重试", "Retry"}));
    cancelButton_->setText(Text(s, {"取消", "Cance"}));
    newButton_->setText(Text(s, {"新建连接", "New Connection"}));
}

// The form's 376 x 129 holds the message only in a wide font: grow downwards so no
// line is cut off, keeping the buttons below the text.
void ConnectionFailureDialog::FitToMessage() {
    const int textHeight = std::max(88, message_->heightForWidth(376) + 6);
    message_->setGeometry(0, 0, 376, textHeight);
    for (QPushButton* b : {retryButton_, newButton_, cancelButton_}) b->move(b->x(), textHeight + 8);
    setFixedSize(376, textHeight + 41);
}

void ConnectionFailureDialog::showEvent(QShowEvent* event) {
    Prepare();
    QDialog::showEvent(event);
}

void ConnectionFailureDialog::RetryClicked() {
    accept();
    ctx_.drive.ConnectSelection();
}

void ConnectionFailureDialog::NewConnectionClicked() {
    accept();
    emit NewConnectionRequested();
}

}  // namespace ordalis
