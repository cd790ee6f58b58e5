#include "core/WholeFile.h"

#include <QSaveFile>
#include <cerrno>
#include <system_error>

namespace ordalis {

bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    // The bytes sit in QFileDevice's buffer until flushed, and commit() does not see a
    // failed flush (a full disk): it would put the cut-off file in place of the old one.
    errno = 0;
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        // A write cut short by a full disk leaves QFileDevice with "Unknown error"; the
        // system's reason tells the user what happened.
        const int reason = errno;
        if (error) *error = reason ? QString::fromStdString(std::generic_category().message(reason)) : file.errorString();
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
