#include "core/Doctor.h"

#include <QStringList>

#include "core/Deferred.h"

namespace ordalis {

namespace {

Finding Make(const char* check, FindingLevel level, const QString& chinese, const QString& english) {
    return Finding{QString::fromLatin1(check), level, chinese, english};
}

QString Z(const char* utf8) { return QString::fromUtf8(utf8); }

QString RatesText(const std::vector<int32_t>& rates) {
    QStringList parts;
    for (int32_t r : rates) parts << QString::number(r);
    return parts.join(", ");
}

// "0, 2-9, 11-15"
QString AddressRanges(const std::vector<int>& addresses) {
    QStringList parts;
    for (size_t i = 0; i < addresses.size();) {
        size_t j = i;
        while (j + 1 < addresses.size() && addresses[j + 1] == addresses[j] + 1) ++j;
        parts << (j == i ? QString::number(addresses[i])
                         : QStringLiteral("%1-%2").arg(addresses[i]).arg(addresses[j]));
        i = j + 1;
    }
    return parts.join(", ");
}

Finding ClaimerFinding(const AdapterClaimer& c) {
    if (c.what == QLatin1String("brltty"))
        return Make("claimer", FindingLevel::Problem,
                    Z("盲文显示守护进程 brltty (%1) 会抢占 USB 串口适配器(症状:适配器出现后又消失)。"
                      "不用盲文显示器时:sudo systemctl mask brltty-udev.service brltty.service,"
                      "或 sudo apt remove brltty,然后重新插上适配器。")
                        .arg(c.where),
                    QStringLiteral("The braille-display daemon brltty (%1) claims USB serial adapters (the symptom: "
                                   "the adapter appears and vanishes). Without a braille display: sudo systemctl "
                                   "mask brltty-udev.service brltty.service, or sudo apt remove brltty; then plug "
                                   "the adapter in again.")
                        .arg(c.where));
    return Make("claimer", FindingLevel::Note,
                Z("调制解调器管理程序 ModemManager (%1) 会在适配器插入后探测它数秒,期间端口被占用或收到陌生数据。"
                  "可执行 sudo systemctl stop ModemManager,或用 udev 规则 ENV{ID_MM_DEVICE_IGNORE}=\"1\" 排除该适配器。")
                    .arg(c.where),
                QStringLiteral("The modem manager ModemManager (%1) probes a new adapter for several seconds after "
                               "it appears: meanwhile the port is busy or gets strange bytes. Stop it with sudo "
                               "systemctl stop ModemManager, or exclude the adapter with a udev rule "
                               "ENV{ID_MM_DEVICE_IGNORE}=\"1\".")
                    .arg(c.where));
}

}  // namespace

QList<Finding> CheckPort(const PortStatus& port, const QStringList& userGroups, const QList<AdapterClaimer>& claimers) {
    QList<Finding> out;
    const QString& name = port.name;
    const QString& dev = port.device;
    if (!port.exists) {
        out << Make("device", FindingLevel::Problem,
                    Z("%1 对应的设备 %2 不存在:检查适配器是否插好(ls /dev/ttyUSB* /dev/ttyACM*),"
                      "或在 cfg.ini 的 [ports] 段改正映射(如 %1=/dev/ttyUSB1)。")
                        .arg(name, dev),
                    QStringLiteral("The device %2 of %1 does not exist: check that the adapter is plugged in "
                                   "(ls /dev/ttyUSB* /dev/ttyACM*), or correct the mapping in the [ports] "
                                   "section of cfg.ini (e.g. %1=/dev/ttyUSB1).")
                        .arg(name, dev));
    } else {
        const QString adapterZh = port.adapter.isEmpty() ? QString() : Z(",适配器:") + port.adapter;
        const QString adapterEn = port.adapter.isEmpty() ? QString() : QStringLiteral(", adapter: ") + port.adapter;
        out << Make("device", FindingLevel::Ok, Z("%1 对应的设备 %2 存在%3。").arg(name, dev, adapterZh),
                    QStringLiteral("The device %2 of %1 exists%3.").arg(name, dev, adapterEn));
        if (port.accessible) {
            out << Make("permission", FindingLevel::Ok, Z("当前用户可以读写 %1。").arg(dev),
                        QStringLiteral("This user may read and write %1.").arg(dev));
        } else if (!port.group.isEmpty() && userGroups.contains(port.group)) {
            out << Make("permission", FindingLevel::Problem,
                        Z("当前用户不能读写 %1。用户已在 %2 组中,但本次登录尚未生效:请注销后重新登录(或重启)。")
                            .arg(dev, port.group),
                        QStringLiteral("This user may not read and write %1. The user is in the group %2, but "
                                       "this login does not have it yet: log out and in again (or restart).")
                            .arg(dev, port.group));
        } else if (!port.group.isEmpty() && port.group != QLatin1String("root")) {
            out << Make("permission", FindingLevel::Problem,
                        Z("当前用户不能读写 %1(设备属于 %2 组)。执行 sudo usermod -aG %2 $USER,"
                          "然后注销并重新登录,新的组才会生效。")
                            .arg(dev, port.group),
                        QStringLiteral("This user may not read and write %1 (the device belongs to the group %2). "
                                       "Run sudo usermod -aG %2 $USER, then log out and in again: the group only "
                                       "counts from a new login.")
                            .arg(dev, port.group));
        } else {
            out << Make("permission", FindingLevel::Problem,
                        Z("当前用户不能读写 %1:请检查设备的权限(ls -l %1)。").arg(dev),
                        QStringLiteral("This user may not read and write %1: check the device's permissions "
                                       "(ls -l %1).")
                            .arg(dev));
        }
        if (port.holders.isEmpty()) {
            out << Make("holder", FindingLevel::Ok, Z("没有其他程序占用 %1。").arg(dev),
                        QStringLiteral("No other program holds %1.").arg(dev));
        }
        for (const PortHolder& h : port.holders) {
            const QString where = h.executable.isEmpty() ? h.name : h.executable;
            out << Make("holder", FindingLevel::Problem,
                        Z("%1 被程序 %2(进程号 %3,%4)占用:关闭该程序,或执行 kill %3。").arg(dev, h.name).arg(h.pid).arg(where),
                        QStringLiteral("%1 is held by the program %2 (pid %3, %4): close it, or run kill %3.")
                            .arg(dev, h.name)
                            .arg(h.pid)
                            .arg(where));
        }
    }
    if (claimers.isEmpty())
        out << Make("claimer", FindingLevel::Ok, Z("没有发现会抢占 USB 串口适配器的服务(brltty、ModemManager)。"),
                    QStringLiteral("No service that takes USB serial adapters (brltty, ModemManager) was found."));
    for (const AdapterClaimer& c : claimers) out << ClaimerFinding(c);
    return out;
}

QList<Finding> ScanFindings(const std::vector<ScanResult>& results) {
    QList<Finding> out;
    std::vector<int> silent;
    for (const ScanResult& r : results) {
        if (r.verdict == ScanVerdict::Silent) {
            silent.push_back(r.address);
        } else if (r.verdict == ScanVerdict::Found) {
            const QString model = r.model.isEmpty() ? QStringLiteral("?") : r.model;
            out << Make("scan", FindingLevel::Ok,
                        Z("地址 %1:驱动器 %2 以 %3 bps 应答。").arg(r.address).arg(model).arg(r.rate),
                        QStringLiteral("Address %1: drive %2 answers at %3 baud.").arg(r.address).arg(model).arg(r.rate));
        } else {
            const QString rates = RatesText(r.garbledRates);
            out << Make("scan", FindingLevel::Problem,
                        Z("地址 %1:在 %2 bps 收到无法识别的数据(驱动器可能在其他波特率,或线路有干扰)。").arg(r.address).arg(rates),
                        QStringLiteral("Address %1: bytes that are no valid answer at %2 baud (a drive at another "
                                       "rate, or noise on the line).")
                            .arg(r.address)
                            .arg(rates));
        }
    }
    if (!silent.empty()) {
        const QString list = AddressRanges(silent);
        out << Make("scan", FindingLevel::Note, Z("无应答的地址:%1。").arg(list),
                    QStringLiteral("Silent addresses: %1.").arg(list));
    }
    return out;
}

Finding Conclude(const QString& portName, const std::vector<ScanResult>& results) {
    for (const ScanResult& r : results) {
        if (r.verdict != ScanVerdict::Found) continue;
        const QString command =
            QStringLiteral("ordalis-cli info --port %1 --address %2 --baud %3").arg(portName).arg(r.address).arg(r.rate);
        return Make("conclusion", FindingLevel::Ok,
                    Z("地址 %1 的驱动器以 %2 bps 应答:在向导中选择 %3、地址 %1 连接,或执行 %4").arg(r.address).arg(r.rate).arg(portName, command),
                    QStringLiteral("Drive at address %1 answers at %2: connect with the wizard (%3, address %1) or "
                                   "with %4")
                        .arg(r.address)
                        .arg(r.rate)
                        .arg(portName, command));
    }
    for (const ScanResult& r : results) {
        if (r.verdict != ScanVerdict::Garbled) continue;
        return Make("conclusion", FindingLevel::Problem,
                    Z("有数据但没有有效应答(地址 %1):检查 A/B 线是否接反、终端电阻和接地,以及其他设备的波特率。").arg(r.address),
                    QStringLiteral("Bytes come back but no valid answer (address %1): check for swapped A/B wires, "
                                   "termination and ground, and the rate of other devices on the bus.")
                        .arg(r.address));
    }
    return Make("conclusion", FindingLevel::Problem,
                Z("%1 上没有驱动器应答:检查驱动器电源、接线(A/B)和地址开关。").arg(portName),
                QStringLiteral("No drive answers on %1: check the drive's power, the wiring (A/B) and its address "
                               "switch.")
                    .arg(portName));
}

DoctorRun::DoctorRun(Session& state, const QString& portName, const QString& device, SystemRoots roots,
                     QObject* parent)
    : QObject(parent), state_(state), portName_(portName), device_(device), roots_(std::move(roots)), scan_(state) {
    connect(&scan_, &BusScan::Probing, this, &DoctorRun::Probing);
    connect(&scan_, &BusScan::Finished, this, &DoctorRun::ScanFinished);
}

DoctorRun::~DoctorRun() = default;

const std::vector<ScanResult>& DoctorRun::ScanResults() const { return scan_.Results(); }

void DoctorRun::Add(const Finding& f) {
    findings_ << f;
    emit Found(f);
}

void DoctorRun::Start(bool scan) {
    findings_.clear();
    const PortStatus status = InspectPort(portName_, device_, roots_);
    const bool usable = status.exists && status.accessible && status.holders.isEmpty();
    for (const Finding& f : CheckPort(status, UserGroups(roots_), FindAdapterClaimers(roots_))) Add(f);
    if (usable && !scan) {
        Add(Make("scan", FindingLevel::Note, Z("本程序正通过 %1 连接驱动器:未扫描总线(断开连接后再诊断可扫描)。").arg(portName_),
                 QStringLiteral("This program is connected through %1: the bus was not scanned (disconnect and "
                                "run the doctor again to scan it).")
                     .arg(portName_)));
        RunDeferred(this, [this] { emit Finished(); });
        return;
    }
    if (usable) {
        const PortOpenError e = scan_.Start(portName_, BusScan::Rates().front(), true);
        if (e == PortOpenError::None) return;
        Add(Make("scan", FindingLevel::Problem, Z("无法打开 %1,未能扫描总线。").arg(portName_),
                 QStringLiteral("%1 could not be opened; the bus was not scanned.").arg(portName_)));
    }
    Add(Make("conclusion", FindingLevel::Problem, Z("请先解决以上问题,再扫描总线。"),
             QStringLiteral("Fix the problems above first; the bus was not scanned.")));
    RunDeferred(this, [this] { emit Finished(); });
}

void DoctorRun::ScanFinished() {
    for (const Finding& f : ScanFindings(scan_.Results())) Add(f);
    Add(Conclude(portName_, scan_.Results()));
    emit Finished();
}

}  // namespace ordalis
