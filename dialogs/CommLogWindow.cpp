#include "dialogs/CommLogWindow.h"

#include "dialogs/Placeholder.h"

namespace ordalis {

QWidget* CreateCommLogWindow(DriveAccess& drive, QWidget* parent)
{
    (void)drive;
    return Placeholder(parent, "TForm3", "Communication log");
}

}  // namespace ordalis
