#pragma once
// The drive session over a real DriveLink on an in-memory port with fake timers. FakeBus
// plays the drives: they answer at their own baud rate only, a zero byte at 110 baud sets
// them to 9600, and a write of parameter 53 switches them after the answer. Every port
// action is logged with the fake clock's time.
#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

#include "core/DriveSession.h"
#include "core/Session.h"
#include "core/UiPrompt.h"
#include "link/Codec.h"
#include "tests/support/FakePort.h"
#include "tests/support/FakeTimer.h"

namespace ordalis::test {

class TimedPort : public FakePort {
public:
    explicit TimedPort(FakeTimerFactory& timers) : FakePort(false), timers_(timers) {}
    std::vector<std::string> events;  // "160 baud 9600", "50 write 00", "161 write D53", ...
    std::map<std::string, PortOpenError> openResults;  // by CommName; others open

    // "00" for a lone byte, else the request: "A" communication test, "D53", "C55".
    static std::string Describe(std::vector<uint8_t> f) {
        if (f.size() < 9) return Hexify(f);
        Unscramble(f.data() + 5, f.size() - 5, f[4]);
        std::string s = f[7] == CmdCommTest ? "A" : std::string(1, static_cast<char>(f[7]));
        if (f[7] != CmdCommTest) s += std::to_string(f[8] | f[9] << 8);
        return s + "@" + std::to_string(f[5]);
    }

    void SetCommName(const std::string& name) override {
        Log("name " + name);
        FakePort::SetCommName(name);
    }
    void SetBaudRate(int32_t baud) override {
        Log("baud " + std::to_string(baud));
        FakePort::SetBaudRate(baud);
    }
    PortOpenError Open() override {
        Log("open");
        auto it = openResults.find(CommName());
        openResult = it == openResults.end() ? PortOpenError::None : it->second;
        return FakePort::Open();
    }
    void Close() override {
        if (IsOpen()) Log("close");
        FakePort::Close();
    }
    bool Write(const uint8_t* bytes, size_t count) override {
        Log("write " + Describe(std::vector<uint8_t>(bytes, bytes + count)));
        return FakePort::Write(bytes, count);
    }
    void ClearEvents() { events.clear(); }

private:
    void Log(const std::string& what) { events.push_back(std::to_string(timers_.Now()) + " " + what); }
    FakeTimerFactory& timers_;
};

struct FakeDrive {
    uint8_t address;
    int32_t baud = 9600;
    std::string model = "LQ340";
    uint8_t conditionCode = 0;  // answers the communication test with this code when set
    int refuseId = -1;          // a read of this id is answered with refuseCode
    uint8_t refuseCode = 1;
    int refuseWriteId = -1;     // a write of this id is answered with refuseWriteCode
    uint8_t refuseWriteCode = 4;
    std::map<uint16_t, std::vector<uint8_t>> values{};  // written values, answered to reads
};

class FakeBus {
public:
    explicit FakeBus(TimedPort& port) : port_(port) {
        port_.onWrite = [this](const std::vector<uint8_t>& frame) { Heard(frame); };
    }
    std::vector<FakeDrive> drives;

    // Answers go out on the next Deliver, never from inside the write that caused them.
    void Deliver() {
        auto pending = std::move(pending_);
        pending_.clear();
        for (auto& frame : pending)
            if (port_.IsOpen()) port_.Inject(frame);
    }
    FakeDrive* Find(uint8_t address) {
        for (auto& d : drives)
            if (d.address == address) return &d;
        return nullptr;
    }

private:
    void Heard(const std::vector<uint8_t>& written) {
        if (port_.BaudRate() == 110) {
            if (written == std::vector<uint8_t>{0x00})
                for (auto& d : drives) d.baud = 9600;
            return;
        }
        if (written.size() < 9 || written[0] != kSyncByte) return;
        std::vector<uint8_t> f = written;
        Unscramble(f.data() + 5, f.size() - 5, f[4]);
        FakeDrive* d = Find(f[5]);
        if (!d || d->baud != port_.BaudRate()) return;
        const uint8_t cmd = f[7];
        const uint16_t id = static_cast<uint16_t>(f[8] | f[9] << 8);
        if (cmd == CmdRead && id == d->refuseId) {
            Answer(d->address, 1, {d->refuseCode});
        } else if (cmd == CmdWrite && id == d->refuseWriteId) {
            Answer(d->address, 1, {d->refuseWriteCode});
        } else if (cmd == CmdRead && d->values.count(id)) {
            Answer(d->address, 0, d->values[id]);
        } else if (cmd == CmdCommTest && d->conditionCode) {
            Answer(d->address, 1, {d->conditionCode});
        } else if (cmd == CmdRead && id == 55) {
            Answer(d->address, 0, std::vector<uint8_t>(d->model.begin(), d->model.end()));
        } else {
            Answer(d->address, 0, {});
            if (cmd == CmdWrite && id == 53) d->baud = f[10] | f[11] << 8 | f[12] << 16 | f[13] << 24;
            else if (cmd == CmdWrite && f[6] > 2) d->values[id].assign(f.begin() + 10, f.begin() + 8 + f[6]);
        }
    }
    void Answer(uint8_t address, uint8_t status, const std::vector<uint8_t>& data) {
        pending_.push_back(EncodeAnswer(address, status, data.data(), static_cast<uint8_t>(data.size())));
    }
    TimedPort& port_;
    std::vector<std::vector<uint8_t>> pending_;
};

// The requests written to the port from index `from` on, decoded: "D0=1200", "C127",
// "H0". Write values are shown as unsigned 16-bit numbers.
inline std::vector<std::string> DecodedRequests(const FakePort& port, size_t from = 0) {
    std::vector<std::string> out;
    for (size_t i = from; i < port.written.size(); ++i) {
        std::vector<uint8_t> f = port.written[i];
        if (f.size() < 9) continue;
        Unscramble(f.data() + 5, f.size() - 5, f[4]);
        std::string s = std::string(1, static_cast<char>(f[7])) + std::to_string(f[8] | f[9] << 8);
        if (f[7] == CmdWrite && f.size() >= 13) s += "=" + std::to_string(f[10] | f[11] << 8);
        out.push_back(s);
    }
    return out;
}

// Runs the fake clock ms milliseconds, delivering the drives' answers as they come and
// letting deferred steps run on the event loop.
inline void RunBus(FakeBus& bus, FakeTimerFactory& timers, int ms) {
    for (int i = 0; i < ms; ++i) {
        bus.Deliver();
        QCoreApplication::processEvents();
        timers.Advance(1);
    }
    bus.Deliver();
    QCoreApplication::processEvents();
}

// Records messages; a modal dialog returns 0 at once (the core opens none itself).
class RecordingTextPrompt : public UiPrompt {
public:
    QStringList messages;
    void ShowText(const QString& text) override { messages << text; }
    int ExecModal(QDialog&) override { return 0; }
};

// Session, drive session and bus. Run(ms) moves the fake clock, delivering answers and
// letting deferred steps (messages, the lost link) run on the event loop.
class CoreTest : public ::testing::Test {
protected:
    CoreTest() {
        QObject::connect(&drive, &DriveSession::LinkLost, [this] { ++linkLost; });
        QObject::connect(&drive, &DriveSession::Message, [this](const QString& t) { messages << t; });
    }

    void Run(int ms) { RunBus(bus, timers, ms); }

    FakeTimerFactory timers;
    TimedPort port{timers};
    FakeBus bus{port};
    RecordingTextPrompt prompt;
    Session session{port, timers, prompt, 7};
    DriveSession drive{session, timers, prompt};
    int linkLost = 0;
    QStringList messages;
};

}  // namespace ordalis::test
