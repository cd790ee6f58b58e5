#pragma once
// Parameter setting: micro-step, idle current, current-loop gains and auto-tune.
class QWidget;

namespace ordalis {

class DriveAccess;

// Creates the window (TForm14) hidden, as a top-level window of parent.
QWidget* CreateParameterSettingWindow(DriveAccess& drive, QWidget* parent);

}  // namespace ordalis
