#pragma once
// The windows of the dialogs and the oscilloscope, created once at start-up. They reach
// the drive through DriveAccess and follow the session's events themselves. Windows not
// built yet are hidden placeholders with the right objectName.

class QWidget;

namespace ordalis {

class DriveAccess;

struct DialogWindows {
    QWidget* CommLog = nullptr;           // TForm3
    QWidget* Scope = nullptr;             // TForm5
    QWidget* TraceVarSelect = nullptr;    // TForm8
    QWidget* Properties = nullptr;        // TForm11
    QWidget* MotorData = nullptr;         // TForm12
    QWidget* PulseInput = nullptr;        // TForm13
    QWidget* ParameterSetting = nullptr;  // TForm14
    QWidget* AntiResonance = nullptr;     // TForm15
    QWidget* StatusMonitor = nullptr;     // TForm16
    QWidget* Help = nullptr;              // TForm17
};

// Creates every window of the list above in start-up order, parented to mainWindow
// (as separate top-level windows).
DialogWindows CreateDialogWindows(DriveAccess& drive, QWidget* mainWindow);

}  // namespace ordalis
