#pragma once
// Texts the core and several windows share, in the current language.
#include <QString>
#include <iterator>

#include "core/Session.h"
#include "core/TextPair.h"
#include "link/Codec.h"
#include "link/SerialPort.h"

namespace ordalis {

// A read-back record the drive refused (%1: parameter id, with its log name where it has one).
inline const TextPair kReadBackFailed{"读取参数 %1 失败,驱动器参数未能全部读出!",
                                      "Parameter %1 could not be read; the drive's parameters were not read completely."};

// "37 (Ipeak)" for a parameter with a log name, plain "99" for the others.
inline QString ParameterForMessage(uint16_t id) {
    const QString number = QString::number(id);
    if (id >= std::size(ParamNames)) return number;
    const QString name = QString::fromUtf8(ParamNames[id]).trimmed();
    if (name.isEmpty() || name.contains(QLatin1String("Not identified"))) return number;
    return number + " (" + name + ")";
}

inline QString Text(const Settings& settings, const TextPair& pair) { return pair.Text(settings.LanguageIndex); }
inline QString Text(const Session& session, const TextPair& pair) { return Text(session.settings, pair); }

// Why a port could not be opened, naming the port: a missing adapter and a port held by
// another program call for different fixes.
inline QString PortOpenErrorText(const Settings& settings, const QString& port, PortOpenError error) {
    switch (error) {
        case PortOpenError::NoSuchPort:
            return Text(settings, {"串口%1不存在", "Serial port %1 not found"}).arg(port);
        case PortOpenError::PortInUse:
            return Text(settings, {"串口%1已被其他程序占用", "Serial port %1 is in use by another program"})
                .arg(port);
        default:
            return Text(settings, {"无法打开串口%1", "Error opening serial port %1"}).arg(port);
    }
}

inline QString PortOpenErrorText(const Session& session, const QString& port, PortOpenError error) {
    return PortOpenErrorText(session.settings, port, error);
}

}  // namespace ordalis
