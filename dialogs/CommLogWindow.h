#pragma once
// The communication log.
class QWidget;

namespace ordalis {

class DriveAccess;

// Creates the window (TForm3) hidden, as a top-level window of parent.
QWidget* CreateCommLogWindow(DriveAccess& drive, QWidget* parent);

}  // namespace ordalis
