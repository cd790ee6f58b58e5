#pragma once
// Motor parameters, read on every showing.
class QWidget;

namespace ordalis {

class DriveAccess;

// Creates the window (TForm12) hidden, as a top-level window of parent.
QWidget* CreateMotorDataWindow(DriveAccess& drive, QWidget* parent);

}  // namespace ordalis
