#pragma once
// A bus scan that says what it saw at each address: a drive answered (its model and the
// rate it answered at), nothing came back, or bytes came back that are no valid answer
// (a drive at another rate, noise). With all rates on, an address that does not answer
// at the first rate is probed at each other rate the drives know. Unlike the wizard's
// address search it owns nothing of the program: it runs on a Session of its own.
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

#include "core/Session.h"
#include "link/SerialPort.h"

namespace ordalis {

enum class ScanVerdict { Found, Silent, Garbled };

struct ScanResult {
    int address = 0;
    ScanVerdict verdict = ScanVerdict::Silent;
    int32_t rate = 0;                   // Found: the rate it answered at
    QString model;                      // Found: parameter 55, empty when it was not read
    std::vector<int32_t> garbledRates;  // rates at which bytes came that were no answer
};

class BusScan : public QObject {
    Q_OBJECT
public:
    static constexpr int kProbeTimeoutMs = 100;
    // Every line rate the drives can be set to.
    static const std::vector<int32_t>& Rates();

    explicit BusScan(Session& state, QObject* parent = nullptr);
    ~BusScan() override;

    // Opens the port at `rate` and probes addresses first..last. Not None: the port could
    // not be opened, nothing started.
    PortOpenError Start(const QString& portName, int32_t rate, bool allRates, int first = 0, int last = 15);
    void Stop();
    bool IsScanning() const { return scanning_; }
    const std::vector<ScanResult>& Results() const { return results_; }

signals:
    void Probing(int address, int32_t rate);
    void AddressDone(const ScanResult& result);
    // Every address done, the port closed and the link as it was. From the event loop.
    void Finished();

private:
    void ProbeNow();
    void ProbeDone(uint16_t status);
    void ModelDone(uint16_t status);
    void NextRateOrAddress();
    void AddressFinished();
    void Restore();

    Session& state_;
    CommandRecord probe_;
    CommandRecord modelRead_;
    uint8_t probeData_[2] = {0x00, 0xC2};
    std::function<void(const uint8_t*, size_t)> linkReceiver_;
    std::vector<int32_t> rates_;
    std::vector<ScanResult> results_;
    ScanResult current_;
    size_t rateIndex_ = 0;
    size_t bytesSeen_ = 0;  // since the current probe went out
    int last_ = 15;
    int32_t portRate_ = 9600;
    bool scanning_ = false;
    uint64_t generation_ = 0;  // drops deferred steps of an ended scan
};

}  // namespace ordalis
