#pragma once
// The anti-resonance tuning help picture (TForm17): one fixed picture and a close button.
class QWidget;

namespace ordalis {

class DriveAccess;

// Creates the window (TForm17) hidden, as a top-level window of parent.
QWidget* CreateHelpWindow(DriveAccess& drive, QWidget* parent);

// The picture the window shows (586 x 569), from the program's resources.
inline constexpr const char* kHelpPicturePath = ":/help/AntiResonanceHelp.png";

}  // namespace ordalis
