#include "core/PortInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ordalis {

namespace {

QString ReadLine(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readLine()).trimmed();
}

QStringList ProcessIds(const SystemRoots& roots) {
    QStringList pids;
    const QStringList entries = QDir(roots.proc).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& e : entries) {
        bool number = false;
        e.toLongLong(&number);
        if (number) pids << e;
    }
    return pids;
}

QString Canonical(const QString& path) {
    const QString c = QFileInfo(path).canonicalFilePath();
    return c.isEmpty() ? path : c;
}

}  // namespace

// Whether the process holds the master side of pseudo-terminal `index` (its fdinfo
// names the index).
bool HoldsMasterOf(const QString& procDir, const QFileInfoList& fds, const QString& index) {
    for (const QFileInfo& fd : fds) {
        if (fd.symLinkTarget() != QLatin1String("/dev/ptmx")) continue;
        QFile info(procDir + "/fdinfo/" + fd.fileName());
        if (!info.open(QIODevice::ReadOnly)) continue;
        for (const QByteArray& line : info.readAll().split('\n'))
            if (line.startsWith("tty-index:") && line.mid(10).trimmed() == index.toLatin1()) return true;
    }
    return false;
}

QList<PortHolder> FindHolders(const QString& device, const SystemRoots& roots) {
    QList<PortHolder> holders;
    const QString target = Canonical(device);
    const QString own = QString::number(::getpid());
    const QString ptsIndex =
        target.startsWith(QLatin1String("/dev/pts/")) ? target.mid(9) : QString();
    for (const QString& pid : ProcessIds(roots)) {
        if (pid == own) continue;
        const QString procDir = roots.proc + "/" + pid;
        // Processes of other users cannot be looked into; they are passed over.
        const QFileInfoList fds =
            QDir(procDir + "/fd").entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        for (const QFileInfo& fd : fds) {
            if (fd.symLinkTarget() != target) continue;
            // The program that made the pseudo-terminal (a simulator, a terminal window)
            // keeps its slave open as well: it is the other end, not a competitor.
            if (!ptsIndex.isEmpty() && HoldsMasterOf(procDir, fds, ptsIndex)) break;
            PortHolder h;
            h.pid = pid.toLongLong();
            h.name = ReadLine(roots.proc + "/" + pid + "/comm");
            h.executable = QFileInfo(roots.proc + "/" + pid + "/exe").symLinkTarget();
            holders << h;
            break;
        }
    }
    return holders;
}

QString AdapterDescription(const QString& device, const SystemRoots& roots) {
    const QString tty = QFileInfo(Canonical(device)).fileName();
    if (tty.isEmpty()) return {};
    QString dir = QFileInfo(roots.sys + "/class/tty/" + tty + "/device").canonicalFilePath();
    const QString sysRoot = QFileInfo(roots.sys).canonicalFilePath();
    // Up from the tty's device to the USB device that carries the vendor and product ids.
    while (!dir.isEmpty() && dir.startsWith(sysRoot) && dir != sysRoot) {
        if (QFileInfo::exists(dir + "/idVendor")) {
            const QString vendor = ReadLine(dir + "/idVendor");
            const QString product = ReadLine(dir + "/idProduct");
            QStringList words;
            for (const QString& part : {ReadLine(dir + "/manufacturer"), ReadLine(dir + "/product")})
                if (!part.isEmpty() && !words.contains(part)) words << part;
            QString text = words.join(' ');
            const QString ids = vendor + ":" + product;
            return text.isEmpty() ? ids : text + " (" + ids + ")";
        }
        dir = QFileInfo(dir).absolutePath();
    }
    return {};
}

QStringList UserGroups(const SystemRoots& roots) {
    QStringList groups;
    const passwd* pw = ::getpwuid(::getuid());
    const QString user = pw ? QString::fromLocal8Bit(pw->pw_name) : QString();
    const QString primary = pw ? QString::number(pw->pw_gid) : QString();
    QFile file(roots.groupFile);
    if (!file.open(QIODevice::ReadOnly)) return groups;
    while (!file.atEnd()) {
        const QStringList f = QString::fromUtf8(file.readLine()).trimmed().split(':');
        if (f.size() < 4) continue;
        if (f[2] == primary || f[3].split(',').contains(user)) groups << f[0];
    }
    return groups;
}

QList<AdapterClaimer> FindAdapterClaimers(const SystemRoots& roots) {
    QList<AdapterClaimer> found;
    QStringList seen;
    for (const QString& pid : ProcessIds(roots)) {
        const QString comm = ReadLine(roots.proc + "/" + pid + "/comm");
        for (const char* name : {"brltty", "ModemManager"}) {
            if (comm == QLatin1String(name) && !seen.contains(comm)) {
                seen << comm;
                found << AdapterClaimer{comm, QStringLiteral("pid %1").arg(pid)};
            }
        }
    }
    // Installed but not running now: its udev rules still start it when an adapter appears.
    for (const QString& dir : roots.udevRules) {
        const QFileInfoList rules = QDir(dir).entryInfoList({QStringLiteral("*.rules")}, QDir::Files);
        for (const QFileInfo& rule : rules) {
            const QString file = rule.fileName();
            QString what;
            if (file.contains(QLatin1String("brltty")))
                what = QStringLiteral("brltty");
            else if (file.contains(QLatin1String("-mm-")))
                what = QStringLiteral("ModemManager");
            if (what.isEmpty() || seen.contains(what)) continue;
            seen << what;
            found << AdapterClaimer{what, rule.absoluteFilePath()};
        }
    }
    return found;
}

QStringList PortNames(const QString& iniPath) {
    QStringList names;
    for (int n = 1; n <= 5; ++n) names << QStringLiteral("COM%1").arg(n);
    QSettings ini(iniPath, QSettings::IniFormat);
    for (const QString& group : ini.childGroups()) {
        if (group.compare(QLatin1String("ports"), Qt::CaseInsensitive) != 0) continue;
        ini.beginGroup(group);
        for (const QString& key : ini.childKeys()) {
            const QString name = key.trimmed().toUpper();
            if (!names.contains(name) && !ini.value(key).toString().trimmed().isEmpty()) names << name;
        }
        ini.endGroup();
    }
    return names;
}

PortStatus InspectPort(const QString& name, const QString& device, const SystemRoots& roots) {
    PortStatus s;
    s.name = name;
    s.device = device;
    const QByteArray path = QFile::encodeName(device);
    struct stat st {};
    s.exists = !device.isEmpty() && ::stat(path.constData(), &st) == 0;
    if (!s.exists) return s;
    s.accessible = ::access(path.constData(), R_OK | W_OK) == 0;
    if (const group* g = ::getgrgid(st.st_gid)) s.group = QString::fromLocal8Bit(g->gr_name);
    s.holders = FindHolders(device, roots);
    s.adapter = AdapterDescription(device, roots);
    return s;
}

}  // namespace ordalis
