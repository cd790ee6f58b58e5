#pragma once
// The windows of the dialogs and the oscilloscope, created once at start-up, and the
// operations the connect-identify-poll cycle calls on them. Windows not built yet are
// hidden placeholders with the right objectName; hooks left empty do nothing.
#include <functional>

class QWidget;

namespace ordalis {

struct AppContext;

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

struct DialogHooks {
    std::function<void()> FillScopeGains;          // oscilloscope gain and limit edits
    std::function<void()> UpdateVelocityFactors;   // oscilloscope velocity scale
    std::function<void()> RefreshParameterSetting; // TForm14 controls, without showing it
    std::function<void()> RefreshPulseInput;       // TForm13 controls, without showing it
    std::function<void()> UpdateStatus;            // TForm16 after a status poll
    std::function<void()> RefreshPolledParameters; // TForm14 edits after PollParaList
    // Tool-bar file and EEPROM buttons.
    std::function<void()> OpenParameterFile, SaveParameterFile, SaveToEeprom;
};

// Creates every window of the list above in start-up order, parented to mainWindow
// (as separate top-level windows), and fills the hooks they provide.
void CreateDialogWindows(AppContext& ctx, QWidget* mainWindow, DialogWindows& windows, DialogHooks& hooks);

}  // namespace ordalis
