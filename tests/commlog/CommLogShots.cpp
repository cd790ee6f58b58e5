// Pictures for a look under a display: the log window after a short exchange and the file
// and EEPROM messages, in one language. Usage: ordalis_commlog_shots 0|1 DIR
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>

#include "core/CommLog.h"
#include "core/DriveSession.h"
#include "core/FileTexts.h"
#include "core/Session.h"
#include "core/Texts.h"
#include "dialogs/CommLogWindow.h"
#include "tests/support/FakePort.h"
#include "tests/support/FakeTimer.h"
#include "tests/uisupport/RecordingUiPrompt.h"

using namespace ordalis;

namespace {
void Save(QWidget& w, const QString& dir, const QString& name) {
    w.show();
    QApplication::processEvents();
    w.grab().save(QDir(dir).filePath(name));
}

void Box(const QString& text, const QString& dir, const QString& name, QMessageBox::StandardButtons buttons) {
    QMessageBox box(buttons == QMessageBox::Ok ? QMessageBox::NoIcon : QMessageBox::Question,
                    QStringLiteral("Ordalis"), text, buttons);
    Save(box, dir, name);
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 3) return 2;
    const uint8_t lang = uint8_t(QByteArray(argv[1]).toInt());
    const QString dir = QString::fromLocal8Bit(argv[2]);
    test::FakePort port(true);
    test::FakeTimerFactory timers;
    test::RecordingUiPrompt prompt;
    Session session(port, timers, prompt, 3);
    session.settings.LanguageIndex = lang;
    DriveSession drive(session, timers, prompt);
    CommLogWindow window(drive, nullptr);
    window.show();
    window.findChild<QRadioButton*>(QStringLiteral("RadioButton2"))->click();
    session.link.SlaveAddress = 1;
    session.link.SetFrameLog(&window.Log());
    const uint8_t data[2] = {0x90, 0x01};
    for (uint16_t id : {37, 0, 1, 127}) {
        const CommandRecord read{CmdRead, id, 2, nullptr, 0, {}};
        session.link.SendRunList(&read, 1);
        port.Inject(EncodeAnswer(1, 0, data, 2));
    }
    uint8_t value[2] = {0xB0, 0x04};
    const CommandRecord write{CmdWrite, 0, 2, value, 2, {}};
    session.link.SendLev2List(&write, 1);
    port.Inject(EncodeAnswer(1, 0, nullptr, 0));
    session.link.SendLev2List(session.lists.EepromSaveList);
    const uint8_t code[1] = {5};
    port.Inject(EncodeAnswer(1, 1, code, 1));
    window.Log().Timer2Timer();
    Save(window, dir, QStringLiteral("log-%1.png").arg(lang));

    const struct {
        const TextPair& text;
        const char* name;
    } messages[] = {{FileTexts::kFormatError, "format"},
                    {FileTexts::kModelMismatch, "model"},
                    {FileTexts::kNoDrive, "nodrive"}};
    for (const auto& m : messages) Box(m.text.Text(lang), dir, QStringLiteral("msg-%1-%2.png").arg(m.name).arg(lang), QMessageBox::Ok);
    Box(Text(session, FileTexts::kFileNotSaved).arg(QStringLiteral("/media/usb/locked/tuned.esp"), QStringLiteral("Permission denied")),
        dir, QStringLiteral("msg-notsaved-%1.png").arg(lang), QMessageBox::Ok);
    Box(Text(session, FileTexts::kWriteBackFailed).arg(ParameterForMessage(97)), dir,
        QStringLiteral("msg-writeback-%1.png").arg(lang), QMessageBox::Ok);
    Box(Text(session, FileTexts::kEepromNotStored).arg(Text(session, FileTexts::kConditionCode).arg(5)), dir,
        QStringLiteral("msg-eeprom-%1.png").arg(lang), QMessageBox::Ok);
    Box(FileTexts::kCloseQuestion.Text(lang), dir, QStringLiteral("msg-close-%1.png").arg(lang),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    return 0;
}
