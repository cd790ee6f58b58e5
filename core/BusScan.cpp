#include "core/BusScan.h"

#include <algorithm>

#include "core/Deferred.h"

namespace ordalis {

namespace {
constexpr uint8_t kDefaultTimeoutMs = 200;
constexpr uint8_t kDefaultRetries = 3;
}  // namespace

const std::vector<int32_t>& BusScan::Rates() {
    static const std::vector<int32_t> rates = {9600, 19200, 38400, 57600, 115200};
    return rates;
}

BusScan::BusScan(Session& state, QObject* parent) : QObject(parent), state_(state) {
    // Two bytes of the communication test, as the address search sends it.
    probe_ = {CmdCommTest, 0, 2, probeData_, sizeof probeData_,
              [this](uint16_t status, const uint8_t*, uint8_t) { ProbeDone(status); }};
    const FieldRef name = state_.mirror.Field(pid::ModelName);
    const ParamInfo* info = FindParameter(pid::ModelName);
    modelRead_ = {CmdRead, pid::ModelName, info ? info->ReadLen : uint8_t{0}, name.Data, name.Capacity,
                  [this](uint16_t status, const uint8_t*, uint8_t) { ModelDone(status); }};
    modelRead_.TextTarget = true;
}

BusScan::~BusScan() { Stop(); }

PortOpenError BusScan::Start(const QString& portName, int32_t rate, bool allRates, int first, int last) {
    if (scanning_) return PortOpenError::Other;
    SerialPort& port = state_.Port();
    port.Close();
    port.SetCommName(portName.toStdString());
    port.SetBaudRate(rate);
    if (const PortOpenError e = port.Open(); e != PortOpenError::None) return e;
    portRate_ = rate;
    rates_ = {rate};
    if (allRates)
        for (int32_t r : Rates())
            if (r != rate) rates_.push_back(r);
    // Every byte that comes in is counted before the link parses it: bytes without an
    // answer are what tells a drive at another rate from an empty address.
    linkReceiver_ = port.OnReceiveData;
    port.OnReceiveData = [this](const uint8_t* bytes, size_t count) {
        bytesSeen_ += count;
        if (linkReceiver_) linkReceiver_(bytes, count);
    };
    state_.link.SetRunTimeout(kProbeTimeoutMs);
    results_.clear();
    last_ = std::clamp(last, 0, 15);
    current_ = ScanResult{};
    current_.address = std::clamp(first, 0, 15);
    rateIndex_ = 0;
    scanning_ = true;
    ++generation_;
    ProbeNow();
    return PortOpenError::None;
}

void BusScan::ProbeNow() {
    DriveLink& link = state_.link;
    link.ResetLink();
    link.SlaveAddress = static_cast<uint8_t>(current_.address);
    // The first rate gets one re-send; a drive at one of the others answers the first time.
    link.SetRunRetries(rateIndex_ == 0 ? 1 : 0);
    state_.Port().SetBaudRate(rates_[rateIndex_]);
    bytesSeen_ = 0;
    emit Probing(current_.address, rates_[rateIndex_]);
    link.SendRunList(&probe_, 1);
}

void BusScan::ProbeDone(uint16_t status) {
    if (!scanning_ || status == Sent || status == Retrying) return;
    const uint64_t generation = generation_;
    if (status == NoAnswer) {
        if (bytesSeen_ > 0) current_.garbledRates.push_back(rates_[rateIndex_]);
        RunDeferred(this, [this, generation] {
            if (generation == generation_ && scanning_) NextRateOrAddress();
        });
        return;
    }
    // An answer, even one with a condition code, is a drive at this address and rate.
    current_.verdict = ScanVerdict::Found;
    current_.rate = rates_[rateIndex_];
    RunDeferred(this, [this, generation] {
        if (generation != generation_ || !scanning_) return;
        state_.mirror.SetModelName({});
        state_.link.ResetLink();
        state_.link.SetRunRetries(1);
        state_.link.SendRunList(&modelRead_, 1);
    });
}

void BusScan::ModelDone(uint16_t status) {
    if (!scanning_ || status == Sent || status == Retrying) return;
    if (status == Answered) current_.model = QString::fromStdString(state_.mirror.ModelName());
    const uint64_t generation = generation_;
    RunDeferred(this, [this, generation] {
        if (generation == generation_ && scanning_) AddressFinished();
    });
}

void BusScan::NextRateOrAddress() {
    if (++rateIndex_ < rates_.size()) {
        ProbeNow();
        return;
    }
    current_.verdict = current_.garbledRates.empty() ? ScanVerdict::Silent : ScanVerdict::Garbled;
    AddressFinished();
}

void BusScan::AddressFinished() {
    results_.push_back(current_);
    emit AddressDone(current_);
    if (current_.address < last_) {
        const int next = current_.address + 1;
        current_ = ScanResult{};
        current_.address = next;
        rateIndex_ = 0;
        ProbeNow();
        return;
    }
    Restore();
    RunDeferred(this, [this] { emit Finished(); });
}

void BusScan::Restore() {
    SerialPort& port = state_.Port();
    state_.link.ResetLink();
    state_.link.SetRunTimeout(kDefaultTimeoutMs);
    state_.link.SetRunRetries(kDefaultRetries);
    port.Close();
    port.SetBaudRate(portRate_);
    port.OnReceiveData = linkReceiver_;
    linkReceiver_ = nullptr;
    scanning_ = false;
    ++generation_;
}

void BusScan::Stop() {
    if (scanning_) Restore();
}

}  // namespace ordalis
