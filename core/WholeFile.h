#pragma once
// Writes a whole file through a temporary file and a rename (QSaveFile): an existing file
// is either replaced completely or left as it was, never half-written.
#include <QByteArray>
#include <QString>

namespace ordalis {

// False on any failure, with the reason in *error (when given).
bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString* error);

}  // namespace ordalis
