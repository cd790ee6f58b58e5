// Writes pictures of the anti-resonance, motor-data and help windows and of the main
// window's status bar with the generator running, in one language, for looking at them
// under a display: ordalis_antires_shots 0|1 OUTDIR. Not a test.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>

#include "app/MainWindow.h"
#include "core/DriveSession.h"
#include "core/Session.h"
#include "tests/support/FakePort.h"
#include "tests/support/FakeTimer.h"
#include "tests/uisupport/RecordingUiPrompt.h"

int main(int argc, char** argv) {
    using namespace ordalis;
    QApplication app(argc, argv);
    if (argc < 3) return 2;
    const int language = std::atoi(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    const QString suffix = language ? QStringLiteral("-en.png") : QStringLiteral("-zh.png");

    QTemporaryDir dir;
    test::FakeTimerFactory timers;
    test::FakePort port(true);
    test::RecordingUiPrompt prompt;
    Session session(port, timers, prompt, 1);
    DriveSession drive(session, timers, prompt);
    QFile cfg(dir.filePath(QStringLiteral("cfg.ini")));
    cfg.open(QIODevice::WriteOnly);
    cfg.write("[pset0]\nLauguageMode=" + QByteArray::number(language) + "\n");
    cfg.close();
    MainWindow win(session, drive, prompt, cfg.fileName());
    win.show();
    session.mirror.SetModelName("LQ340");
    session.mirror.SetI16(pid::WorkMode, WorkModeGeneratorOn);
    session.mirror.SetI32(pid::GeneratorSpeed, -6667);
    session.mirror.SetU16(pid::Res1Amplitude, 13874);
    session.mirror.SetU16(pid::Res1Phase, 40161);
    session.mirror.SetU16(pid::Ls, 250);
    session.mirror.SetU16(pid::Rs, 75);
    session.mirror.SetI32(pid::EncoderLines, 1000);
    drive.IdentifyDone(Answered);
    for (int i = 0; i < 34; ++i) drive.ReadBackStep(Answered);
    QApplication::processEvents();
    win.ProgressFinished();

    auto* antiRes = win.findChild<QWidget*>(QStringLiteral("TForm15"));
    antiRes->show();
    QApplication::processEvents();
    antiRes->grab().save(out + "/antires" + suffix);

    auto* motor = win.findChild<QWidget*>(QStringLiteral("TForm12"));
    motor->show();
    drive.Dialogs().MotorReadDone(Answered, nullptr, 0);
    QApplication::processEvents();
    motor->grab().save(out + "/motor" + suffix);
    motor->findChild<QTabWidget*>()->setCurrentIndex(1);
    QApplication::processEvents();
    motor->grab().save(out + "/motor-feedback" + suffix);

    auto* help = win.findChild<QWidget*>(QStringLiteral("TForm17"));
    help->show();
    QApplication::processEvents();
    help->grab().save(out + "/help" + suffix);

    antiRes->close();
    QApplication::processEvents();
    win.grab().save(out + "/main" + suffix);
    return 0;
}
