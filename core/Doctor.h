#pragma once
// The connection doctor: why a drive on a port cannot be reached, checked in the order a
// user would fix it. The device exists; this user may open it; no other program holds
// it; no braille-display daemon or modem manager takes USB serial adapters away; then a
// bus scan at every rate, and one line to conclude. Every finding carries its text in
// both languages. The program's dialog and the command-line tool run the same checks.
#include <QList>
#include <QObject>
#include <QString>
#include <memory>
#include <vector>

#include "core/BusScan.h"
#include "core/PortInfo.h"

namespace ordalis {

enum class FindingLevel { Ok, Note, Problem };

struct Finding {
    QString check;  // "device", "permission", "holder", "claimer", "scan", "conclusion"
    FindingLevel level = FindingLevel::Ok;
    QString chinese;
    QString english;

    QString Text(uint8_t languageIndex) const { return languageIndex == 1 ? english : chinese; }
};

// The checks that need no port: device, permission, holders, adapter claimers.
// userGroups: the groups the user belongs to in the group file (a group added there
// only counts for a new login).
QList<Finding> CheckPort(const PortStatus& port, const QStringList& userGroups,
                         const QList<AdapterClaimer>& claimers);

// One line per address that answered or sent bytes, one for the silent ones together.
QList<Finding> ScanFindings(const std::vector<ScanResult>& results);

// The last line: what to do next. portName is how the user names the port.
Finding Conclude(const QString& portName, const std::vector<ScanResult>& results);

// Runs everything on a Session of its own (its own port object, never the program's
// connection): the checks at once, then the scan at every rate unless the port cannot
// be used, then the conclusion.
class DoctorRun : public QObject {
    Q_OBJECT
public:
    DoctorRun(Session& state, const QString& portName, const QString& device, SystemRoots roots = {},
              QObject* parent = nullptr);
    ~DoctorRun() override;

    // scan false: the checks only (the program itself has the port open).
    void Start(bool scan = true);
    const QList<Finding>& Findings() const { return findings_; }
    const std::vector<ScanResult>& ScanResults() const;

signals:
    void Found(const Finding& finding);
    void Probing(int address, int32_t rate);
    void Finished();

private:
    void Add(const Finding& f);
    void ScanFinished();

    Session& state_;
    QString portName_;
    QString device_;
    SystemRoots roots_;
    BusScan scan_;
    QList<Finding> findings_;
};

}  // namespace ordalis
