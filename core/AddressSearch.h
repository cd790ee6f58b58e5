#pragma once
// The slave-address search on one port: a communication test to each address 0x00 to
// 0x0F with a 100 ms time-out and one re-send. An address silent at the port's rate can
// be probed once more at each other rate (a drive left at another rate by an earlier
// connection is still found). Whatever the search changes on the port and the link is
// put back when it ends, is stopped, or this object goes, on every path.
#include <QObject>
#include <QString>
#include <cstdint>
#include <vector>

#include "core/Session.h"
#include "link/SerialPort.h"

namespace ordalis {

class DriveSession;

class AddressSearch : public QObject {
    Q_OBJECT
public:
    static constexpr int kAddresses = 16;

    AddressSearch(DriveSession& drive, QObject* parent = nullptr);
    ~AddressSearch() override;

    // Opens the port and probes address 0. Not None: the port could not be opened and
    // nothing started. Refused (Other) while a search or a connection runs.
    PortOpenError Start(const QString& portName, bool tryOtherRates);
    // Ends a running search: the link is reset, rate and re-sends are restored, the port
    // is closed.
    void Stop();
    bool IsSearching() const { return searching_; }

    void AddressSearchStep(uint16_t status);

signals:
    void Probing(int address);
    void AddressDone(int address, bool online);
    // All 16 addresses done, the port closed. Emitted from the event loop (the page
    // shows a message box for it).
    void Finished();
    // A drive answered with a condition code: the search ends at that address, the port
    // stays open.
    void EndedAtDriveCode(int address);

private:
    void ProbeCurrentAddress();
    void NextAddress(bool online);
    void Restore();

    DriveSession& drive_;
    Session& state_;
    CompletionSlot::Binding binding_;
    bool searching_ = false;
    bool tryOtherRates_ = true;
    int32_t portRate_ = 9600;
    std::vector<int32_t> otherRates_;  // still to try for the current address
};

}  // namespace ordalis
