// The program entry: settings path, port, timers, prompt, program state, the drive
// session and the main window, which creates the other windows. Closing the main window
// ends the program.
#include <QApplication>
#include <random>

#include "app/MainWindow.h"
#include "app/QtUiPrompt.h"
#include "core/CommLog.h"
#include "core/DriveSession.h"
#include "core/Session.h"
#include "core/SettingsFile.h"
#include "dialogs/CommLogWindow.h"
#include "link/qt/PortMap.h"
#include "link/qt/QtSerialPort.h"
#include "link/qt/QtTimers.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ordalis"));
    QApplication::setQuitOnLastWindowClosed(false);

    const ordalis::SettingsPaths paths = ordalis::ResolveSettingsPaths(QCoreApplication::applicationDirPath());
    ordalis::QtSerialPort port(ordalis::PortMap::FromIni(paths.read));
    ordalis::QtTimerFactory timers;
    ordalis::QtUiPrompt prompt;
    ordalis::Session state(port, timers, prompt, std::random_device{}());
    ordalis::DriveSession drive(state, timers, prompt);

    ordalis::MainWindow window(state, drive, prompt, paths);
    prompt.SetParent(&window);
    // Every frame of the link goes to the log window, which keeps the queues it shows.
    state.link.SetFrameLog(ordalis::CommLogOf(window.dialogs().CommLog));
    QObject::connect(&window, &ordalis::MainWindow::Closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    window.show();
    const int result = app.exec();
    state.link.SetFrameLog(nullptr);  // the log window goes before the link
    return result;
}
