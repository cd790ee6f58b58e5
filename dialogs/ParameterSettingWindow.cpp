#include "dialogs/ParameterSettingWindow.h"

#include "dialogs/Placeholder.h"

namespace ordalis {

QWidget* CreateParameterSettingWindow(DriveAccess& drive, QWidget* parent)
{
    (void)drive;
    return Placeholder(parent, "TForm14", "Parameter setting");
}

}  // namespace ordalis
