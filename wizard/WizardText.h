#pragma once
// The text of a pair in the session's language.
#include <QString>

#include "core/Session.h"
#include "core/TextPair.h"
#include "link/SerialPort.h"

namespace ordalis {

inline QString Text(const Session& session, const TextPair& pair) {
    return pair.Text(session.settings.LanguageIndex);
}

// Why a port could not be opened, naming the port: a missing adapter and a port held by
// another program call for different fixes.
inline QString PortOpenErrorText(const Session& session, const QString& port, PortOpenError error) {
    switch (error) {
        case PortOpenError::NoSuchPort:
            return Text(session, {"串口%1不存在", "Serial port %1 not found"}).arg(port);
        case PortOpenError::PortInUse:
            return Text(session, {"串口%1已被其他程序占用", "Serial port %1 is in use by another program"})
                .arg(port);
        default:
            return Text(session, {"无法打开串口%1", "Error opening serial port %1"}).arg(port);
    }
}

}  // namespace ordalis
