#pragma once
// Pulse input mode: pulse format, edges, smoothing time.
class QWidget;

namespace ordalis {

class DriveAccess;

// Creates the window (TForm13) hidden, as a top-level window of parent.
QWidget* CreatePulseInputWindow(DriveAccess& drive, QWidget* parent);

}  // namespace ordalis
