#pragma once
// What the system says about a serial device, without opening it: whether it exists,
// whether this user may open it, which other program holds it open, and the USB
// adapter's description. Every place it looks is a root in SystemRoots, so tests point
// it at folders they prepare.
#include <QList>
#include <QString>
#include <QStringList>

namespace ordalis {

struct SystemRoots {
    QString proc = QStringLiteral("/proc");
    QString sys = QStringLiteral("/sys");
    QString groupFile = QStringLiteral("/etc/group");
    // Folders of udev rules, searched for rules that claim USB serial adapters.
    QStringList udevRules = {QStringLiteral("/etc/udev/rules.d"), QStringLiteral("/lib/udev/rules.d"),
                             QStringLiteral("/usr/lib/udev/rules.d")};
};

// Another process that has the device open.
struct PortHolder {
    qint64 pid = 0;
    QString name;        // its command name
    QString executable;  // where its program is; empty when the system does not say
};

struct PortStatus {
    QString name;    // "COM1", or the device path when it was given as such
    QString device;  // the path it maps to
    bool exists = false;
    bool accessible = false;  // this user may read and write it
    QString group;            // the device's group (e.g. dialout); empty when unknown
    QList<PortHolder> holders;
    QString adapter;          // "FTDI FT232R USB UART (0403:6001)"; empty for no USB adapter
};

// The port names to offer: COM1 .. COM5 and every other name of the [ports] section of
// the settings file, in that order.
QStringList PortNames(const QString& iniPath);

// One device looked at as the given name.
PortStatus InspectPort(const QString& name, const QString& device, const SystemRoots& roots = {});

// Processes other than this one with the device open (found through /proc/<pid>/fd).
QList<PortHolder> FindHolders(const QString& device, const SystemRoots& roots = {});

// The USB adapter behind a tty device, from sysfs: manufacturer, product, vendor:product.
QString AdapterDescription(const QString& device, const SystemRoots& roots = {});

// The groups the current user is a member of in the group file (the primary group by id).
QStringList UserGroups(const SystemRoots& roots = {});

// A service that is known to take USB serial adapters away: a braille-display daemon
// or a modem manager. Each is found running or through its udev rules.
struct AdapterClaimer {
    QString what;   // "brltty" or "ModemManager"
    QString where;  // "running (pid 123)" or the rules file
};
QList<AdapterClaimer> FindAdapterClaimers(const SystemRoots& roots = {});

}  // namespace ordalis
