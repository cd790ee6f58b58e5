#pragma once
// Drive properties.
class QWidget;

namespace ordalis {

class DriveAccess;

// Creates the window (TForm11) hidden, as a top-level window of parent.
QWidget* CreatePropertiesWindow(DriveAccess& drive, QWidget* parent);

}  // namespace ordalis
