#include "dialogs/AntiResonanceWindow.h"

#include "dialogs/Placeholder.h"

namespace ordalis {

QWidget* CreateAntiResonanceWindow(DriveAccess& drive, QWidget* parent)
{
    (void)drive;
    return Placeholder(parent, "TForm15", "Anti-resonance");
}

}  // namespace ordalis
