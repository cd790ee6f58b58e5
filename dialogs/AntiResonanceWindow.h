#pragma once
// Anti-resonance tuning with the drive's speed generator.
class QWidget;

namespace ordalis {

class DriveAccess;

// Creates the window (TForm15) hidden, as a top-level window of parent.
QWidget* CreateAntiResonanceWindow(DriveAccess& drive, QWidget* parent);

}  // namespace ordalis
