#include "dialogs/PropertiesWindow.h"

#include "dialogs/Placeholder.h"

namespace ordalis {

QWidget* CreatePropertiesWindow(DriveAccess& drive, QWidget* parent)
{
    (void)drive;
    return Placeholder(parent, "TForm11", "Drive properties");
}

}  // namespace ordalis
