#include "app/DialogWindows.h"

#include <QWidget>


namespace ordalis {

namespace {
QWidget* Placeholder(QWidget* parent, const char* objectName, const char* title) {
    auto* w = new QWidget(parent, Qt::Window);
    w->setObjectName(QString::fromLatin1(objectName));
    w->setWindowTitle(QString::fromUtf8(title));
    w->resize(320, 200);
    w->hide();
    return w;
}
}  // namespace

DialogWindows CreateDialogWindows(DriveAccess& drive, QWidget* mainWindow) {
    (void)drive;
    DialogWindows w;
    w.CommLog = Placeholder(mainWindow, "TForm3", "Communication log");
    w.Scope = Placeholder(mainWindow, "TForm5", "Oscilloscope");
    w.TraceVarSelect = Placeholder(mainWindow, "TForm8", "Trace variables");
    w.Properties = Placeholder(mainWindow, "TForm11", "Drive properties");
    w.MotorData = Placeholder(mainWindow, "TForm12", "Motor data");
    w.PulseInput = Placeholder(mainWindow, "TForm13", "Pulse input mode");
    w.ParameterSetting = Placeholder(mainWindow, "TForm14", "Parameter setting");
    w.AntiResonance = Placeholder(mainWindow, "TForm15", "Anti-resonance");
    w.StatusMonitor = Placeholder(mainWindow, "TForm16", "Status monitor");
    w.Help = Placeholder(mainWindow, "TForm17", "Help");
    return w;
}

}  // namespace ordalis
