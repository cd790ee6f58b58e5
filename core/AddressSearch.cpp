#include "core/AddressSearch.h"

#include "core/Deferred.h"
#include "core/DriveSession.h"

namespace ordalis {

namespace {
const int32_t kRates[] = {9600, 19200, 57600, 115200};
constexpr uint8_t kSearchTimeoutMs = 100;
constexpr uint8_t kSearchRetries = 1;
}  // namespace

AddressSearch::AddressSearch(DriveSession& drive, QObject* parent)
    : QObject(parent), drive_(drive), state_(drive.State()) {
    binding_ = state_.callbacks.AddressSearchStep.Bind(
        [this](uint16_t status, const uint8_t*, uint8_t) { AddressSearchStep(status); });
    // A connection (Retry of the failure dialog, say) takes the port over.
    connect(&drive_, &DriveSession::ConnectStarted, this, &AddressSearch::Stop);
}

AddressSearch::~AddressSearch() { Stop(); }

PortOpenError AddressSearch::Start(const QString& portName, bool tryOtherRates) {
    // One search at a time, and none while a connection is being set up on the port.
    if (searching_ || drive_.IsConnecting()) return PortOpenError::Other;
    SerialPort& port = state_.Port();
    port.SetCommName(portName.toStdString());
    // A search that ended at a drive code leaves the port open: start afresh.
    port.Close();
    if (const PortOpenError error = port.Open(); error != PortOpenError::None) return error;
    drive_.StopPoll();
    DriveLink& link = state_.link;
    link.SetRunTimeout(kSearchTimeoutMs);
    link.SetRunRetries(kSearchRetries);
    link.ResetLink();
    link.SlaveAddress = 0;
    searching_ = true;
    tryOtherRates_ = tryOtherRates;
    portRate_ = port.BaudRate();
    otherRates_.clear();
    ProbeCurrentAddress();
    return PortOpenError::None;
}

void AddressSearch::ProbeCurrentAddress() {
    if (tryOtherRates_ && otherRates_.empty()) {
        // Fresh address: the port's own rate first, with its re-send, then the others.
        for (int32_t rate : kRates)
            if (rate != portRate_) otherRates_.push_back(rate);
    }
    emit Probing(state_.link.SlaveAddress);
    state_.link.SendRunList(state_.lists.AddressTestList);
}

void AddressSearch::AddressSearchStep(uint16_t status) {
    if (!searching_) return;
    DriveLink& link = state_.link;
    if (status == Answered) {
        NextAddress(true);
    } else if (status == NoAnswer) {
        if (tryOtherRates_ && !otherRates_.empty()) {
            // One try at each other rate; the port's rate got its re-send already. The
            // link stays silent after a no-answer until it is reset.
            state_.Port().SetBaudRate(otherRates_.front());
            otherRates_.erase(otherRates_.begin());
            link.ResetLink();
            link.SetRunRetries(0);
            link.SendRunList(state_.lists.AddressTestList);
            return;
        }
        NextAddress(false);
    } else if (status == Failed) {
        // The queue probes the same address once more; when it gives up the list ends
        // and the address counts as not answering.
        const QueueState& q = link.Queue(RunQueue);
        if (q.index >= q.count) NextAddress(false);
    } else if (status >= 2 && status <= 255) {
        // A drive code ends the search at this address, without a message; the port
        // stays open.
        const int address = link.SlaveAddress;
        Restore();
        emit EndedAtDriveCode(address);
    }
    // 4096: the probe just went out.
}

void AddressSearch::NextAddress(bool online) {
    DriveLink& link = state_.link;
    SerialPort& port = state_.Port();
    const int address = link.SlaveAddress;
    otherRates_.clear();
    if (port.BaudRate() != portRate_) port.SetBaudRate(portRate_);
    link.SetRunRetries(kSearchRetries);
    emit AddressDone(address, online);
    if (address + 1 < kAddresses) {
        link.SlaveAddress = static_cast<uint8_t>(address + 1);
        if (!online) link.ResetLink();  // silent after a no-answer until reset
        ProbeCurrentAddress();
        return;
    }
    port.Close();
    Restore();
    RunDeferred(this, [this] { emit Finished(); });
}

void AddressSearch::Restore() {
    state_.link.SetRunRetries(kSearchRetries);
    if (state_.Port().BaudRate() != portRate_) state_.Port().SetBaudRate(portRate_);
    otherRates_.clear();
    searching_ = false;
}

void AddressSearch::Stop() {
    if (!searching_) return;
    // Stopped in the middle: no more probing, and the port given back closed.
    state_.link.ResetLink();
    Restore();
    state_.Port().Close();
}

}  // namespace ordalis
