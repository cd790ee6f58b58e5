#include "dialogs/MotorDataWindow.h"

#include "dialogs/Placeholder.h"

namespace ordalis {

QWidget* CreateMotorDataWindow(DriveAccess& drive, QWidget* parent)
{
    (void)drive;
    return Placeholder(parent, "TForm12", "Motor data");
}

}  // namespace ordalis
