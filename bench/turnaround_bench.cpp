// Turnaround of the real link and Qt serial port against the paced simulator at 115200
// baud: from the last byte of an answer written by the simulator to the first byte of the
// next request read by it. Both ends are stamped by the simulator (--stamps) on the
// monotonic clock, which this process shares, so the figure holds the pseudo-terminal both
// ways, Qt's event dispatch and the link's own work, with nothing estimated.
//
// The program's side is stamped on the same clock where it shows from outside the link:
// QSerialPort's readyRead, the port handing the bytes to the link and the link's write of
// the next request. That splits each turnaround into its legs. A raw reader (poll, read,
// write on the terminal, no Qt), stamped the same way, gives the floor that the terminal,
// the process wake-ups and the simulator cost by themselves. Prints figures; asserts
// nothing.
#include <QCoreApplication>
#include <QEventLoop>
#include <QSerialPort>
#include <QTimer>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "link/Codec.h"
#include "link/DriveLink.h"
#include "link/ReceiveParser.h"
#include "link/qt/QtSerialPort.h"
#include "link/qt/QtTimers.h"
#include "tests/simsupport/SimProcess.h"

namespace {

using namespace ordalis;
using Clock = std::chrono::steady_clock;

constexpr int32_t kLine = 115200;
constexpr int kListSize = 100;

double NowUs() { return std::chrono::duration<double, std::micro>(Clock::now().time_since_epoch()).count(); }

class SilentPrompt : public Prompt {
public:
    void ShowMessage(const std::string& text) override { std::fprintf(stderr, "link: %s\n", text.c_str()); }
};

// The Qt port as the link sees it, with a time stamp on every chunk handed over and every
// write. Forwards everything else unchanged.
class StampingPort : public SerialPort {
public:
    explicit StampingPort(QtSerialPort& inner) : inner_(inner)
    {
        inner_.OnReceiveData = [this](const uint8_t* bytes, size_t count) {
            delivered.push_back(NowUs());
            if (OnReceiveData) OnReceiveData(bytes, count);
        };
        inner_.OnDeviceLost = [this] {
            if (OnDeviceLost) OnDeviceLost();
        };
    }
    void SetCommName(const std::string& name) override { inner_.SetCommName(name); }
    std::string CommName() const override { return inner_.CommName(); }
    void SetBaudRate(int32_t baud) override { inner_.SetBaudRate(baud); }
    int32_t BaudRate() const override { return inner_.BaudRate(); }
    PortOpenError Open() override { return inner_.Open(); }
    void Close() override { inner_.Close(); }
    bool IsOpen() const override { return inner_.IsOpen(); }
    bool Write(const uint8_t* bytes, size_t count) override
    {
        writes.push_back(NowUs());
        return inner_.Write(bytes, count);
    }
    void DrainReceived() override { inner_.DrainReceived(); }

    std::vector<double> delivered, writes;

private:
    QtSerialPort& inner_;
};

struct Stamps {
    std::vector<double> answerEnd, requestStart;
};

Stamps ReadStamps(const std::string& path)
{
    Stamps s;
    std::ifstream in(path);
    std::string what;
    double t = 0;
    while (in >> what >> t) (what == "answer-end" ? s.answerEnd : s.requestStart).push_back(t);
    return s;
}

// Last value <= t, or NaN.
double LastAtOrBefore(const std::vector<double>& v, double t)
{
    auto it = std::upper_bound(v.begin(), v.end(), t);
    return it == v.begin() ? NAN : *(it - 1);
}

// First value >= t, or NaN.
double FirstAtOrAfter(const std::vector<double>& v, double t)
{
    auto it = std::lower_bound(v.begin(), v.end(), t);
    return it == v.end() ? NAN : *it;
}

struct Figures {
    double median = 0, p90 = 0, p99 = 0, max = 0;
    size_t n = 0;
};

Figures Summarize(std::vector<double> v)
{
    Figures f;
    v.erase(std::remove_if(v.begin(), v.end(), [](double x) { return std::isnan(x); }), v.end());
    if (v.empty()) return f;
    std::sort(v.begin(), v.end());
    const auto at = [&](double q) {
        return v[std::min(v.size() - 1, static_cast<size_t>(std::ceil(q * double(v.size()))) - 1)];
    };
    f.median = v[v.size() / 2];
    f.p90 = at(0.90);
    f.p99 = at(0.99);
    f.max = v.back();
    f.n = v.size();
    return f;
}

void PrintRow(const char* label, const Figures& f)
{
    std::printf("  %-40s %8.1f %8.1f %8.1f %9.1f   (%zu)\n", label, f.median, f.p90, f.p99, f.max, f.n);
}

CommandRecord ReadRecord(uint8_t* value, std::function<void(uint16_t, const uint8_t*, uint8_t)> callback)
{
    CommandRecord r;
    r.Command = CmdRead;
    r.ParamId = 0;
    r.DataLen = 2;
    r.Data = value;
    r.Capacity = 2;
    r.Callback = std::move(callback);
    return r;
}

std::vector<std::string> SimArgs(const std::string& stamps)
{
    return {"--pace", "--param", "1:53=" + std::to_string(kLine), "--stamps", stamps};
}

// Turnarounds (us), pairing each answer end with the first request start after it; a
// pair with one of `excludeWrites` between them (a list the bench started) is left out.
std::vector<double> Turnarounds(const Stamps& s, const std::vector<double>& excludeWrites,
                                std::vector<std::pair<double, double>>* pairs = nullptr)
{
    std::vector<double> out;
    for (double end : s.answerEnd) {
        const double start = FirstAtOrAfter(s.requestStart, end);
        if (std::isnan(start)) continue;
        const double excluded = LastAtOrBefore(excludeWrites, start);
        if (!std::isnan(excluded) && excluded >= end) continue;
        out.push_back(start - end);
        if (pairs) pairs->emplace_back(end, start);
    }
    return out;
}

// The real link and Qt port: `lists` RunQueue lists of reads, each turnaround split into
// its legs. False when the simulator or the port fails.
bool MeasureLink(int lists)
{
    testing::SimProcess folder({});  // only for its temporary folder
    const std::string stampsPath = folder.Dir() + "/stamps.txt";
    testing::SimProcess stamped(SimArgs(stampsPath));
    if (!stamped.Start()) {
        std::fprintf(stderr, "simulator did not start:\n%s", stamped.Output().c_str());
        return false;
    }
    PortMap map;
    map.Set("COM1", QString::fromStdString(stamped.LinkPath()));
    QtSerialPort qtPort(map);
    StampingPort port(qtPort);
    QtTimerFactory timers;
    SilentPrompt prompt;
    DriveLink link(port, timers, prompt, 7);
    port.SetCommName("COM1");
    port.SetBaudRate(kLine);
    if (port.Open() != PortOpenError::None) return false;
    link.SlaveAddress = 1;

    std::vector<double> readyRead;
    QSerialPort* device = qtPort.findChild<QSerialPort*>();
    if (!device) return false;
    QObject::connect(device, &QSerialPort::readyRead, [&] { readyRead.push_back(NowUs()); });

    uint8_t value[2] = {};
    int finished = 0, answered = 0;
    QEventLoop loop;
    const auto callback = [&](uint16_t status, const uint8_t*, uint8_t) {
        if (status == Sent) return;
        answered += status == Answered;
        if (++finished % kListSize == 0) loop.quit();
    };
    const std::vector<CommandRecord> list(kListSize, ReadRecord(value, callback));
    std::vector<double> listStarts;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] { loop.exit(1); });
    for (int i = 0; i <= lists; ++i) {  // the first list warms up
        if (i == 1) {
            readyRead.clear();
            port.delivered.clear();
            port.writes.clear();
            answered = 0;
        }
        listStarts.push_back(NowUs());
        link.SendRunList(list.data(), kListSize);
        deadline.start(30000);
        if (loop.exec() != 0) {
            std::fprintf(stderr, "a list did not finish\n");
            return false;
        }
    }
    deadline.stop();
    port.Close();
    stamped.Stop();
    if (answered != lists * kListSize) std::fprintf(stderr, "only %d of %d answered\n", answered, lists * kListSize);

    Stamps s = ReadStamps(stampsPath);
    // Drop the warm-up list: stamps before the second list started.
    const double from = listStarts[1];
    const auto trim = [from](std::vector<double>& v) {
        v.erase(v.begin(), std::lower_bound(v.begin(), v.end(), from));
    };
    trim(s.answerEnd);
    trim(s.requestStart);

    std::vector<std::pair<double, double>> pairs;
    const std::vector<double> total = Turnarounds(s, listStarts, &pairs);
    std::vector<double> legs[4];
    for (const auto& [end, start] : pairs) {
        const double write = LastAtOrBefore(port.writes, start);
        const double delivery = LastAtOrBefore(port.delivered, write);
        const double ready = LastAtOrBefore(readyRead, delivery);
        legs[0].push_back(ready - end);
        legs[1].push_back(delivery - ready);
        legs[2].push_back(write - delivery);
        legs[3].push_back(start - write);
    }
    std::printf("real link + QtSerialPort, %d lists of %d reads:\n", lists, kListSize);
    std::printf("  %-40s %8s %8s %8s %9s   (n)\n", "microseconds", "median", "p90", "p99", "max");
    const Figures t = Summarize(total);
    PrintRow("answer end -> next request (simulator)", t);
    PrintRow("  answer end -> readyRead", Summarize(legs[0]));
    PrintRow("  readyRead -> bytes handed to the link", Summarize(legs[1]));
    PrintRow("  handed to the link -> link writes", Summarize(legs[2]));
    PrintRow("  link writes -> simulator reads", Summarize(legs[3]));
    std::printf("  goal median < 100 us, p99 < 500 us: %s\n",
                t.median < 100 && t.p99 < 500 ? "met" : "NOT met");
    return true;
}

// The floor: a reader without Qt that polls the terminal, parses the answer and writes the
// next request at once.
bool MeasureRaw(int transactions)
{
    testing::SimProcess folder({});  // only for its temporary folder
    const std::string stampsPath = folder.Dir() + "/stamps.txt";
    testing::SimProcess sim(SimArgs(stampsPath));
    if (!sim.Start()) return false;
    const int fd = ::open(sim.LinkPath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return false;
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    cfsetispeed(&t, B115200);
    cfsetospeed(&t, B115200);
    tcsetattr(fd, TCSANOW, &t);

    uint8_t value[2] = {};
    const std::vector<uint8_t> request = EncodeRequest(ReadRecord(value, nullptr), 1, kPlainKey);
    ReceiveParser parser;
    bool complete = false;
    parser.SetFrameHandler([&](uint8_t, const uint8_t*, size_t) { complete = true; });
    bool ok = true;
    std::vector<double> woke, wrote;  // poll returned / about to write
    for (int i = 0; i < transactions + 1 && ok; ++i) {
        wrote.push_back(NowUs());
        ok = ::write(fd, request.data(), request.size()) == ssize_t(request.size());
        complete = false;
        while (ok && !complete) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 2000) <= 0) {
                ok = false;
                break;
            }
            woke.push_back(NowUs());
            uint8_t buf[256];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0) parser.Feed(buf, static_cast<size_t>(n));
        }
    }
    ::close(fd);
    sim.Stop();
    if (!ok) return false;
    std::vector<std::pair<double, double>> pairs;
    const Figures f = Summarize(Turnarounds(ReadStamps(stampsPath), {}, &pairs));
    std::vector<double> legs[3];
    for (const auto& [end, start] : pairs) {
        const double write = LastAtOrBefore(wrote, start);
        const double wake = LastAtOrBefore(woke, write);
        legs[0].push_back(wake - end);
        legs[1].push_back(write - wake);
        legs[2].push_back(start - write);
    }
    std::printf("raw reader (poll, read, write; no Qt), %d reads:\n", transactions);
    std::printf("  %-40s %8s %8s %8s %9s   (n)\n", "microseconds", "median", "p90", "p99", "max");
    PrintRow("answer end -> next request (simulator)", f);
    PrintRow("  answer end -> poll returns", Summarize(legs[0]));
    PrintRow("  poll returns -> reader writes", Summarize(legs[1]));
    PrintRow("  reader writes -> simulator reads", Summarize(legs[2]));
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int lists = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    std::printf("turnaround at %d baud against ordalis-drive-sim --pace (stamped by the simulator)\n", kLine);
    if (!MeasureRaw(lists * kListSize)) {
        std::fprintf(stderr, "raw reader failed\n");
        return 1;
    }
    if (!MeasureLink(lists)) return 1;
    return 0;
}
