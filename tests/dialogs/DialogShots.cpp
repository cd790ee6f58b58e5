// Writes pictures of the status monitor, pulse input, parameter-setting and properties
// windows in one language, for looking at them under a display:
// ordalis_dialogs_shots 0|1 OUTDIR. Not a test.
#include <QApplication>

#include "core/DriveSession.h"
#include "core/Session.h"
#include "dialogs/ParameterSettingWindow.h"
#include "dialogs/PropertiesWindow.h"
#include "dialogs/PulseInputWindow.h"
#include "dialogs/StatusMonitorWindow.h"
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

    test::FakeTimerFactory timers;
    test::FakePort port(true);
    test::RecordingUiPrompt prompt;
    Session session(port, timers, prompt, 1);
    session.settings.LanguageIndex = static_cast<uint8_t>(language);
    DriveSession drive(session, timers, prompt);
    ParameterMirror& m = session.mirror;
    m.SetModelName("LQ560");
    m.SetI16(pid::SerialNumber, 1234);
    m.SetI16(pid::PeakCurrent, 560);
    m.SetI16(pid::ContCurrent, 400);
    m.SetU16(pid::BusVoltage, 4812);
    m.SetI16(pid::Temperature, 356);
    m.SetU16(pid::Inputs, 0x0595);
    m.SetU16(pid::StatusWord, 0x0841);
    m.SetU16(pid::FaultCode, 0x00AB);
    m.SetU16(pid::PulseMode, 2);
    m.SetU16(pid::PulseOptions, 0x0006);
    m.SetU16(pid::Smoothing, 35);
    m.SetU16(pid::MicroStep, 16);
    m.SetI16(pid::IdleDelay, 500);
    m.SetU16(pid::IdleCurrent, 32767);
    m.SetI16(pid::Cp, 1000);
    m.SetI16(pid::Ci, 200);
    m.SetI16(pid::Ls, 180);
    m.SetI16(pid::Rs, 80);

    QWidget main;
    main.resize(800, 600);
    const auto shoot = [&](QWidget* w, const char* name) {
        w->show();
        QApplication::processEvents();
        w->grab().save(out + "/" + name + suffix);
    };
    auto* monitor = new StatusMonitorWindow(drive, &main);
    monitor->UpdateStatus();
    shoot(monitor, "monitor");
    shoot(new PulseInputWindow(drive, &main), "pulse");
    auto* para = new ParameterSettingWindow(drive, &main);
    para->PollParaDone();
    shoot(para, "parameters");
    auto* all = new ParameterSettingWindow(drive, &main, 0);
    all->show();
    all->PollParaDone();
    shoot(all, "parameters-all-rows");
    shoot(new PulseInputWindow(drive, &main, 0), "pulse-unlocked");
    shoot(new PropertiesWindow(drive, &main), "properties");
    return 0;
}
