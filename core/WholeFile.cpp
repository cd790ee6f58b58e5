#include "core/WholeFile.h"

#include <QSaveFile>

namespace ordalis {

bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    // commit() does not see a failed flush (a full disk): flush first, so a cut-off file
    // never takes the old one's place.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        if (error) *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace ordalis
