#include "dialogs/StatusMonitorWindow.h"

#include "dialogs/Placeholder.h"

namespace ordalis {

QWidget* CreateStatusMonitorWindow(DriveAccess& drive, QWidget* parent)
{
    (void)drive;
    return Placeholder(parent, "TForm16", "Status monitor");
}

}  // namespace ordalis
