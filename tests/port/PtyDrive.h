#pragma once
// A scripted drive on the master side of a Pty, on a thread of its own like a real device,
// so it answers while the test's GUI thread stalls. It parses the host's requests and
// answers each read with a value of its own id, so an answer that lands in another
// record's field shows.
#include <poll.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "link/Codec.h"
#include "link/ReceiveParser.h"
#include "tests/port/Pty.h"

namespace ordalis::test {

class PtyDrive {
public:
    struct Request {
        uint8_t command = 0;
        uint16_t id = 0;
    };

    // autoAnswer false: the drive only records requests; the test writes the answers.
    PtyDrive(Pty& pty, bool autoAnswer, int latencyMs = 2, uint8_t address = 1)
        : pty_(pty), autoAnswer_(autoAnswer), latencyMs_(latencyMs), address_(address)
    {
        parser_.SetFrameHandler([this](uint8_t residue, const uint8_t* f, size_t length) {
            if (residue != 0 || length < 7) return;
            const Request r{f[3], static_cast<uint16_t>(f[4] | f[5] << 8)};
            {
                std::lock_guard<std::mutex> lock(mutex_);
                requests_.push_back(r);
            }
            if (!autoAnswer_) return;
            // The device's own answer latency, on its own thread.
            std::this_thread::sleep_for(std::chrono::milliseconds(latencyMs_));
            Send(Answer(r.id));
        });
        thread_ = std::thread([this] { Run(); });
    }
    ~PtyDrive()
    {
        stop_ = true;
        thread_.join();
    }
    PtyDrive(const PtyDrive&) = delete;
    PtyDrive& operator=(const PtyDrive&) = delete;

    // The two bytes a read of id is answered with.
    static std::vector<uint8_t> Value(uint16_t id)
    {
        return {static_cast<uint8_t>(id), static_cast<uint8_t>((id >> 8) ^ 0x5A)};
    }
    std::vector<uint8_t> Answer(uint16_t id) const
    {
        const std::vector<uint8_t> v = Value(id);
        return EncodeAnswer(address_, 0, v.data(), static_cast<uint8_t>(v.size()), 0x3C);
    }
    bool Send(const std::vector<uint8_t>& bytes)
    {
        return pty_.Send(QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
    }

    std::vector<Request> Requests() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_;
    }
    void ClearRequests()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.clear();
    }

private:
    void Run()
    {
        while (!stop_) {
            pollfd p{pty_.MasterFd(), POLLIN, 0};
            if (::poll(&p, 1, 10) <= 0) continue;
            uint8_t buf[512];
            const ssize_t n = ::read(pty_.MasterFd(), buf, sizeof buf);
            if (n > 0) parser_.Feed(buf, static_cast<size_t>(n));
        }
    }

    Pty& pty_;
    const bool autoAnswer_;
    const int latencyMs_;
    const uint8_t address_;
    ReceiveParser parser_{kRequestMark};
    mutable std::mutex mutex_;
    std::vector<Request> requests_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace ordalis::test
