#include "dialogs/HelpWindow.h"

#include "dialogs/Placeholder.h"

namespace ordalis {

QWidget* CreateHelpWindow(DriveAccess& drive, QWidget* parent)
{
    (void)drive;
    return Placeholder(parent, "TForm17", "Help");
}

}  // namespace ordalis
