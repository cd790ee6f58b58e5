#pragma once
// cfg.ini: read once at start, written once at close. Sections and keys of the program:
//   [pset0] LauguageMode  (sic)   [pset1] LastComMode   [pset3] linkinf
// Any other section or key in the file (e.g. [ports], read by PortMap) is kept as it is.
#include <QString>

#include "core/Session.h"

namespace ordalis {

// Fills settings from the file; a missing file, section or key, or an unusable value,
// gives the default.
void LoadSettings(const QString& path, Settings& settings);

// Writes the three keys into the file, keeping everything else in it. The old file is
// replaced only once the new one is completely written. On failure returns false and
// sets error to a readable reason.
bool SaveSettings(const QString& path, const Settings& settings, QString* error);

// The settings file to use: $ORDALIS_CFG when set; else cfg.ini beside the executable;
// else, when that folder cannot be written, cfg.ini in the user's configuration folder.
QString ResolveSettingsPath(const QString& executableDir);

}  // namespace ordalis
