#pragma once
// Maps the port names the program shows ("COM1" .. "COM5") to device paths.
//
// Built-in table (Linux and other Unix systems), chosen so that a USB-RS485
// adapter works without set-up:
//   COM1 /dev/ttyUSB0   COM2 /dev/ttyUSB1   COM3 /dev/ttyUSB2
//   COM4 /dev/ttyACM0   COM5 /dev/ttyS0
// On Windows the table is empty: "COMn" is the device name itself.
// Entries of a [ports] section in an INI file replace single entries, e.g.
//   [ports]
//   COM1=/dev/ttyS1
// An empty entry ("COM4=") drops the built-in one. Names are matched without regard to case; a name without an entry is used
// as the device path unchanged.
#include <QMap>
#include <QString>
#include <string>

namespace ordalis {

class PortMap {
public:
    // The built-in table only.
    PortMap();
    // The built-in table overridden by the [ports] section of iniPath. A missing
    // file or section leaves the built-in table; the file is only read.
    static PortMap FromIni(const QString& iniPath);

    void Set(const QString& name, const QString& devicePath);
    QString DevicePath(const QString& name) const;
    std::string DevicePath(const std::string& name) const;

    // The built-in table's entries for this platform, as (name, path) pairs.
    static QMap<QString, QString> Defaults();

private:
    QMap<QString, QString> entries_;  // keys upper-case
};

}  // namespace ordalis
