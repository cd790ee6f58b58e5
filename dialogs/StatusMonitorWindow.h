#pragma once
// The status monitor: switches, inputs, faults, voltage and temperature, polled.
class QWidget;

namespace ordalis {

class DriveAccess;

// Creates the window (TForm16) hidden, as a top-level window of parent.
QWidget* CreateStatusMonitorWindow(DriveAccess& drive, QWidget* parent);

}  // namespace ordalis
