#include "app/DialogWindows.h"

#include <QWidget>

#include "dialogs/AntiResonanceWindow.h"
#include "dialogs/CommLogWindow.h"
#include "dialogs/HelpWindow.h"
#include "dialogs/MotorDataWindow.h"
#include "dialogs/ParameterSettingWindow.h"
#include "dialogs/PropertiesWindow.h"
#include "dialogs/PulseInputWindow.h"
#include "dialogs/StatusMonitorWindow.h"
#include "scope/ScopeWindow.h"
#include "scope/TraceVariableDialog.h"

namespace ordalis {

DialogWindows CreateDialogWindows(DriveAccess& drive, QWidget* mainWindow) {
    DialogWindows w;
    w.CommLog = CreateCommLogWindow(drive, mainWindow);
    QDialog* traceVarSelect = CreateTraceVariableDialog(drive, mainWindow);
    w.Scope = CreateScopeWindow(drive, traceVarSelect, mainWindow);
    w.TraceVarSelect = traceVarSelect;
    w.Properties = CreatePropertiesWindow(drive, mainWindow);
    w.MotorData = CreateMotorDataWindow(drive, mainWindow);
    w.PulseInput = CreatePulseInputWindow(drive, mainWindow);
    w.ParameterSetting = CreateParameterSettingWindow(drive, mainWindow);
    w.AntiResonance = CreateAntiResonanceWindow(drive, mainWindow);
    w.StatusMonitor = CreateStatusMonitorWindow(drive, mainWindow);
    w.Help = CreateHelpWindow(drive, mainWindow);
    return w;
}

}  // namespace ordalis
