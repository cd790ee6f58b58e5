#pragma once
// The entry of the connection wizard: creates the link-type page (TForm2) and shows it
// modally; the pages live only while the wizard is open. True when the wizard ended by
// starting a connection (the link record and LastComMode were updated).
#include "wizard/WizardContext.h"

namespace ordalis {

bool OpenConnectionWizard(WizardContext& ctx);

}  // namespace ordalis
