#include "app/NoteDialog.h"

#include <QLabel>
#include <QPushButton>

#include "core/Session.h"
#include "core/TextPair.h"

namespace ordalis {

namespace {
const TextPair kCaption{"注意", "Please Note"};
const TextPair kNote{
    "当软件与驱动器间连接成功后,如遇到紧急情况,请按\"F8\"快捷键,使电机脱机!\r\n 按\"确定\"后进入连接",
    "After a successful connection between the software and drive, such as in case of emergency, \r\n"
    "please press the \"F8\" key, the motor off "};
const TextPair kOk{"确定", "OK"};
}  // namespace

NoteDialog::NoteDialog(const Settings& settings, QWidget* parent) : QDialog(parent), settings_(settings) {
    setObjectName(QStringLiteral("TForm10"));
    setFixedSize(551, 113);

    label_ = new QLabel(this);
    label_->setObjectName(QStringLiteral("Label1"));
    // Taller than two lines: the English note wraps to three in most fonts.
    label_->setGeometry(10, 12, 533, 56);
    label_->setWordWrap(true);
    QFont font = label_->font();
    font.setPixelSize(13);
    label_->setFont(font);
    label_->setStyleSheet(QStringLiteral("color: red;"));

    okButton_ = new QPushButton(this);
    okButton_->setObjectName(QStringLiteral("Button1"));
    okButton_->setGeometry(208, 72, 137, 29);
    okButton_->setDefault(true);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
    Translate();
}

void NoteDialog::Translate() {
    const uint8_t lang = settings_.LanguageIndex;
    setWindowTitle(kCaption.Text(lang));
    // The line break of the note is CR LF; a label breaks on the LF.
    label_->setText(kNote.Text(lang).remove(u'\r'));
    okButton_->setText(kOk.Text(lang));
}

void NoteDialog::showEvent(QShowEvent* event) {
    Translate();
    QDialog::showEvent(event);
}

}  // namespace ordalis
