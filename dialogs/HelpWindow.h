#pragma once
// The anti-resonance tuning help picture.
class QWidget;

namespace ordalis {

class DriveAccess;

// Creates the window (TForm17) hidden, as a top-level window of parent.
QWidget* CreateHelpWindow(DriveAccess& drive, QWidget* parent);

}  // namespace ordalis
