#include "dialogs/PulseInputWindow.h"

#include "dialogs/Placeholder.h"

namespace ordalis {

QWidget* CreatePulseInputWindow(DriveAccess& drive, QWidget* parent)
{
    (void)drive;
    return Placeholder(parent, "TForm13", "Pulse input mode");
}

}  // namespace ordalis
