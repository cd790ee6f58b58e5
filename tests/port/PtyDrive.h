#pragma once
// A scripted drive on the master side of a Pty, run by the test's event loop: it parses
// the host's requests and answers each read with a value of its own id, so an answer that
// lands in another record's field shows.
#include <QSocketNotifier>

#include <functional>
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
        uint8_t key = 0;
    };

    explicit PtyDrive(Pty& pty, uint8_t address = 1)
        : pty_(pty), address_(address), notifier_(pty.MasterFd(), QSocketNotifier::Read)
    {
        parser_.SetFrameHandler([this](uint8_t residue, const uint8_t* f, size_t length) {
            Request r;
            r.key = f[0];
            r.command = f[3];
            if (length >= 7) r.id = static_cast<uint16_t>(f[4] | f[5] << 8);
            if (residue != 0) return;
            requests.push_back(r);
            const size_t index = requests.size() - 1;
            if (onRequest && onRequest(index)) return;
            if (autoAnswer) Send(Answer(r.id));
        });
        QObject::connect(&notifier_, &QSocketNotifier::activated, [this] { ReadMaster(); });
    }

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

    bool autoAnswer = true;
    // Runs for each request once recorded; true: the hook sees to the answer itself.
    std::function<bool(size_t index)> onRequest;
    std::vector<Request> requests;

private:
    void ReadMaster()
    {
        uint8_t buf[512];
        ssize_t n;
        while ((n = ::read(pty_.MasterFd(), buf, sizeof buf)) > 0) parser_.Feed(buf, static_cast<size_t>(n));
    }

    Pty& pty_;
    uint8_t address_;
    QSocketNotifier notifier_;
    ReceiveParser parser_{kRequestMark};
};

}  // namespace ordalis::test
