#pragma once
// In-memory SerialPort: records every frame written while open and lets a test inject
// received bytes (delivered synchronously through OnReceiveData). Bytes can also arrive
// without being delivered yet, as when the event that hands them over is still queued:
// DeliverArrived plays that event, DrainReceived takes them in at once.
#include <string>
#include <vector>

#include "link/SerialPort.h"
#include "tests/support/Hexify.h"

namespace ordalis::test {

class FakePort : public SerialPort {
public:
    explicit FakePort(bool open = true) : open_(open) {}

    // What the next Open() returns.
    PortOpenError openResult = PortOpenError::None;
    std::vector<std::vector<uint8_t>> written;  // one entry per Write while open
    int writesWhileClosed = 0;
    int openCount = 0;
    int closeCount = 0;
    std::vector<int32_t> baudHistory;  // every SetBaudRate, in order
    // Called after each recorded write (e.g. a scripted drive that answers at once).
    std::function<void(const std::vector<uint8_t>& frame)> onWrite;

    void SetCommName(const std::string& name) override { name_ = name; }
    std::string CommName() const override { return name_; }
    void SetBaudRate(int32_t baud) override {
        baud_ = baud;
        baudHistory.push_back(baud);
    }
    int32_t BaudRate() const override { return baud_; }
    PortOpenError Open() override {
        ++openCount;
        if (openResult == PortOpenError::None) open_ = true;
        return openResult;
    }
    void Close() override {
        if (open_) ++closeCount;
        open_ = false;
    }
    bool IsOpen() const override { return open_; }
    bool Write(const uint8_t* bytes, size_t count) override {
        if (!open_ || count == 0) {
            ++writesWhileClosed;
            return false;
        }
        written.emplace_back(bytes, bytes + count);
        if (onWrite) onWrite(written.back());
        return true;
    }

    // Delivers bytes as one received chunk.
    void Inject(const std::vector<uint8_t>& bytes) {
        if (OnReceiveData && !bytes.empty()) OnReceiveData(bytes.data(), bytes.size());
    }
    void InjectHex(const std::string& hex) { Inject(Unhex(hex)); }
    // Held by the port, not delivered yet.
    void Arrive(const std::vector<uint8_t>& bytes) { arrived_.insert(arrived_.end(), bytes.begin(), bytes.end()); }
    void DeliverArrived() {
        std::vector<uint8_t> bytes;
        bytes.swap(arrived_);
        Inject(bytes);
    }
    size_t ArrivedCount() const { return arrived_.size(); }
    void DrainReceived() override {
        ++drains;
        DeliverArrived();
    }
    int drains = 0;
    void Unplug() {
        open_ = false;
        if (OnDeviceLost) OnDeviceLost();
    }

    std::string LastHex() const { return written.empty() ? std::string() : Hexify(written.back()); }
    std::vector<std::string> WrittenHex() const {
        std::vector<std::string> out;
        for (const auto& f : written) out.push_back(Hexify(f));
        return out;
    }

private:
    std::string name_ = "COM1";
    int32_t baud_ = 9600;
    bool open_;
    std::vector<uint8_t> arrived_;
};

}  // namespace ordalis::test
