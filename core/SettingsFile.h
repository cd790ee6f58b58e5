#pragma once
// cfg.ini: read once at start, written once at close. Sections and keys of the program:
//   [pset0] LauguageMode  (sic)   [pset1] LastComMode   [pset3] linkinf
//   [ordalis] TryOtherBaudRates   (0 or 1; a key of our own, unknown to other readers)
// Every other line of the file (e.g. a [ports] section, read by PortMap, or comments in
// any code page) is kept byte for byte, with its own line end.
#include <QString>

#include "core/Session.h"

namespace ordalis {

// Where the settings come from and where they go. The two differ only when the file
// beside the executable is read but its folder cannot be written.
struct SettingsPaths {
    QString read;
    QString write;
};

// Fills settings from the file; a missing file, section or key, or an unusable value,
// gives the default.
void LoadSettings(const QString& path, Settings& settings);

// Writes the program's keys into the file, keeping everything else in it. The old file
// is replaced only once the new one is completely written. On failure returns false and
// sets error to a readable reason.
bool SaveSettings(const QString& path, const Settings& settings, QString* error);

// The same into paths.write. When paths.write does not exist yet, the lines the program
// does not own are taken from paths.read, so moving to the user's folder loses nothing.
// An existing file that cannot be read is an error: writing would drop its lines.
bool SaveSettings(const SettingsPaths& paths, const Settings& settings, QString* error);

// The rule behind ResolveSettingsPaths, given the two candidate files:
// - a file in the user's folder exists: it is read and written (the program fell back
//   to it before, so it holds the latest settings);
// - otherwise the file beside the executable is read; it is also written when its
//   folder is writable, else the file in the user's folder is.
// An empty inUserFolder (no such folder on this system) means beside the executable.
SettingsPaths ChooseSettingsPaths(const QString& besideExecutable, const QString& inUserFolder,
                                  bool executableFolderWritable);

// $ORDALIS_CFG, when set, is the one file for both; else ChooseSettingsPaths over
// cfg.ini in executableDir and cfg.ini in the application's configuration folder
// (created when it is to be written).
SettingsPaths ResolveSettingsPaths(const QString& executableDir);

// ResolveSettingsPaths(executableDir).write; for callers that use one path for both.
QString ResolveSettingsPath(const QString& executableDir);

}  // namespace ordalis
