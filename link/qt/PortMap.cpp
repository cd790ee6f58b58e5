#include "link/qt/PortMap.h"

#include <QSettings>
#include <QStringList>

namespace ordalis {

namespace {

QString Key(const QString& name) { return name.trimmed().toUpper(); }

}  // namespace

QMap<QString, QString> PortMap::Defaults()
{
    QMap<QString, QString> table;
#ifndef Q_OS_WIN
    table.insert(QStringLiteral("COM1"), QStringLiteral("/dev/ttyUSB0"));
    table.insert(QStringLiteral("COM2"), QStringLiteral("/dev/ttyUSB1"));
    table.insert(QStringLiteral("COM3"), QStringLiteral("/dev/ttyUSB2"));
    table.insert(QStringLiteral("COM4"), QStringLiteral("/dev/ttyACM0"));
    table.insert(QStringLiteral("COM5"), QStringLiteral("/dev/ttyS0"));
#endif
    return table;
}

PortMap::PortMap() : entries_(Defaults()) {}

PortMap PortMap::FromIni(const QString& iniPath)
{
    PortMap map;
    QSettings ini(iniPath, QSettings::IniFormat);
    // The section name is matched without regard to case, like the keys.
    const QStringList groups = ini.childGroups();
    for (const QString& group : groups) {
        if (group.compare(QLatin1String("ports"), Qt::CaseInsensitive) != 0)
            continue;
        ini.beginGroup(group);
        const QStringList keys = ini.childKeys();
        for (const QString& key : keys) {
            const QVariant value = ini.value(key);
            // QSettings splits unquoted values at commas; put such a value back together.
            const QString path = value.typeId() == QMetaType::QStringList
                                     ? value.toStringList().join(QLatin1Char(','))
                                     : value.toString();
            map.Set(key, path.trimmed());
        }
        ini.endGroup();
    }
    return map;
}

void PortMap::Set(const QString& name, const QString& devicePath)
{
    if (devicePath.isEmpty())
        entries_.remove(Key(name));
    else
        entries_.insert(Key(name), devicePath);
}

QString PortMap::DevicePath(const QString& name) const
{
    return entries_.value(Key(name), name);
}

std::string PortMap::DevicePath(const std::string& name) const
{
    return DevicePath(QString::fromStdString(name)).toStdString();
}

}  // namespace ordalis
