// Read transactions of the real link and Qt serial port against the drive simulator,
// with no added latency, next to what a 115200-baud line allows for the same frames
// (wire bytes x 10 bits). The host and the pseudo-terminal should be several times
// faster than the wire, so the host is never the bottleneck. A second run with paced
// answers shows the simulator holding to the line's byte rate. Prints; asserts nothing.
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <vector>

#include "link/DriveLink.h"
#include "link/qt/QtSerialPort.h"
#include "link/qt/QtTimers.h"
#include "tests/simsupport/SimProcess.h"

namespace {

using namespace ordalis;
using Clock = std::chrono::steady_clock;

constexpr int kLine = 115200;
constexpr int kListSize = 100;
constexpr int kRequestBytes = 11;  // read request
constexpr int kAnswerBytes = 9;    // one sync byte, two data bytes

class SilentPrompt : public Prompt {
public:
    void ShowMessage(const std::string& text) override { std::fprintf(stderr, "link: %s\n", text.c_str()); }
};

bool RunUntilIdle(DriveLink& link, std::chrono::seconds deadline)
{
    const auto until = Clock::now() + deadline;
    QEventLoop loop;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (!link.AnyBusy() || Clock::now() >= until) loop.quit();
    });
    tick.start();
    if (link.AnyBusy()) loop.exec();
    return !link.AnyBusy();
}

// Transactions per second over `lists` RunQueue lists of reads, or a negative value.
double Measure(bool pace, int lists)
{
    std::vector<std::string> args = {"--drive", "1:LQ340", "--param", "1:53=115200", "--sync", "1", "--keys", "plain"};
    if (pace) args.push_back("--pace");
    testing::SimProcess sim(args);
    if (!sim.Start()) {
        std::fprintf(stderr, "simulator did not start:\n%s", sim.Output().c_str());
        return -1;
    }
    PortMap map;
    map.Set("COM1", QString::fromStdString(sim.LinkPath()));
    QtSerialPort port(map);
    QtTimerFactory timers;
    SilentPrompt prompt;
    DriveLink link(port, timers, prompt, 7);
    port.SetCommName("COM1");
    port.SetBaudRate(kLine);
    if (port.Open() != PortOpenError::None) return -1;
    link.SlaveAddress = 1;

    uint8_t value[2] = {};
    int answered = 0;
    CommandRecord read;
    read.Command = CmdRead;
    read.ParamId = 0;
    read.DataLen = 2;
    read.Data = value;
    read.Capacity = 2;
    read.Callback = [&](uint16_t status, const uint8_t*, uint8_t) { answered += status == Answered; };
    const std::vector<CommandRecord> list(kListSize, read);

    link.SendRunList(list.data(), kListSize);  // warm-up
    if (!RunUntilIdle(link, std::chrono::seconds(30))) return -1;
    answered = 0;
    const auto start = Clock::now();
    for (int i = 0; i < lists; ++i) {
        link.SendRunList(list.data(), kListSize);
        if (!RunUntilIdle(link, std::chrono::seconds(60))) return -1;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    port.Close();
    if (answered != lists * kListSize) std::fprintf(stderr, "only %d of %d answered\n", answered, lists * kListSize);
    return answered / seconds;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const double wireBits = 10.0 * (kRequestBytes + kAnswerBytes);
    const double wireLimit = kLine / wireBits;
    const double answerOnlyLimit = kLine / (10.0 * kAnswerBytes);

    const double host = Measure(false, 30);
    const double paced = Measure(true, 5);
    if (host < 0 || paced < 0) return 1;
    std::printf("read transaction: %d + %d bytes on the wire = %.0f bits\n", kRequestBytes, kAnswerBytes, wireBits);
    std::printf("115200-baud line limit      : %8.0f transactions/s\n", wireLimit);
    std::printf("host + pseudo-terminal      : %8.0f transactions/s  (%.1f x the wire; target >= 5 x)%s\n", host,
                host / wireLimit, host / wireLimit >= 5 ? "" : "  BELOW TARGET");
    std::printf("answers paced at 115200 baud: %8.0f transactions/s  (answer bytes alone allow %.0f/s)\n", paced,
                answerOnlyLimit);
    return 0;
}
