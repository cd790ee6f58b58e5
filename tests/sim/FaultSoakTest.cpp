// The link under injected faults, over the real Qt serial port and timers against the
// simulator: dropped, corrupted and chunked answers and noise over 2,000 transactions,
// once as is and once with the GUI thread stalling at random moments; and a simulator that
// is unplugged. The drive starts at 115200, so no connect sequence runs: these tests are
// about the link (the connect sequence has its own integration tests).
#include <sys/resource.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <functional>
#include <random>
#include <thread>

#include "link/DriveLink.h"
#include "link/qt/QtSerialPort.h"
#include "link/qt/QtTimers.h"
#include "sim/Parameters.h"
#include "tests/simsupport/RunUntil.h"
#include "tests/simsupport/SimProcess.h"
#include "tests/support/RecordingPrompt.h"

namespace ordalis::simtest {
namespace {

constexpr uint8_t kGuard = 0xEE;
constexpr int32_t kRate = 115200;

// Parameters that hold still (no tuning, generator off), of both widths.
constexpr uint16_t kIds[] = {0,  1,  37, 38, 39, 40, 41, 42, 43, 44, 54, 56, 57, 58, 59, 60, 70, 71, 90,
                             91, 97, 98, 99, 127, 128, 129, 130, 131, 132, 133, 134, 135, 136, 154, 160};


std::vector<std::string> At115200(std::vector<std::string> args)
{
    args.insert(args.end(), {"--param", "1:53=" + std::to_string(kRate)});
    return args;
}

// The simulator, and the link over the Qt port mapped to its line as COM1.
class SoakLink {
public:
    explicit SoakLink(std::vector<std::string> simArgs) : sim(At115200(std::move(simArgs))) { link.SlaveAddress = 1; }
    ~SoakLink() { port.Close(); }

    bool Start()
    {
        if (!sim.Start()) return false;
        PortMap map;
        map.Set(QStringLiteral("COM1"), QString::fromStdString(sim.LinkPath()));
        port.SetPortMap(map);
        port.SetCommName("COM1");
        port.SetBaudRate(kRate);
        return port.Open() == PortOpenError::None;
    }
    bool RunIdle() { return RunUntil([&] { return !link.AnyBusy(); }); }

    testing::SimProcess sim;
    QtSerialPort port;
    QtTimerFactory timers;
    test::RecordingPrompt prompt;
    DriveLink link{port, timers, prompt, 0x1234};
};

// Blocks the GUI thread for 20..300 ms at random moments, as a slow repaint, a file dialog
// or a loaded machine would: from a timer at random intervals, and now and then from an
// event posted by a record's callback (so the stall falls while the next answer comes).
// The sleeps are the fault being injected, not a wait for something.
class GuiStalls {
public:
    explicit GuiStalls(uint32_t seed) : rng_(seed)
    {
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            Stall();
            timer_.start(Uniform(30, 400));
        });
    }
    void Start() { timer_.start(Uniform(30, 400)); }
    void Stop() { timer_.stop(); }
    void MaybeStallSoon(double probability)
    {
        if (std::uniform_real_distribution<double>(0, 1)(rng_) < probability)
            QTimer::singleShot(0, &timer_, [this] { Stall(); });
    }

    int count = 0;
    int longerThanTimeout = 0;  // stalls past the RunQueue's 150 ms

private:
    int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    void Stall()
    {
        const int ms = Uniform(20, 300);
        ++count;
        longerThanTimeout += ms > 150;
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }

    std::mt19937 rng_;
    QTimer timer_;
};

struct Transaction {
    uint16_t id = 0;
    uint8_t level = RunQueue;
    std::array<uint8_t, 8> buffer{};
    std::vector<uint16_t> statuses;
    std::vector<uint8_t> lengths;  // data length of each good answer

    bool Finished() const
    {
        for (uint16_t s : statuses)
            if (s != Retrying && s != Sent) return true;
        return false;
    }
};

// 2,000 reads (1,900 on the RunQueue in lists of 100, the last 100 on the Lev2Queue in
// lists of 10, as user writes would go): every record ends answered or reported, and every
// answered field holds its own parameter's value with the guard bytes behind it untouched.
void SoakTwoThousand(SoakLink& t, GuiStalls* stalls)
{
    DriveLink& link = t.link;
    // The RunQueue's time-out is the program's to set (the address search uses 100 ms).
    // Answers come within a few milliseconds; 150 ms keeps the run short and still leaves
    // room for a busy machine.
    link.SetRunTimeout(150);

    const sim::ParameterSet expected = sim::FactoryDefaults(*sim::FindModel("LQ340"), 1);
    std::vector<Transaction> tx(2000);
    for (size_t i = 0; i < tx.size(); ++i) {
        tx[i].id = kIds[i % std::size(kIds)];
        tx[i].level = i < 1900 ? RunQueue : Lev2Queue;
        tx[i].buffer.fill(kGuard);
    }

    const auto makeRecord = [&](size_t i) {
        CommandRecord r;
        r.Command = CmdRead;
        r.ParamId = tx[i].id;
        r.DataLen = static_cast<uint8_t>(expected.Find(tx[i].id)->Width);
        r.Data = tx[i].buffer.data();
        r.Capacity = static_cast<uint16_t>(tx[i].buffer.size());
        r.Callback = [&tx, i, stalls](uint16_t status, const uint8_t*, uint8_t length) {
            tx[i].statuses.push_back(status);
            if (status == Answered) tx[i].lengths.push_back(length);
            if (stalls) stalls->MaybeStallSoon(0.02);
        };
        return r;
    };

    // A list stopped by a 131 is sent again, after a ResetLink as the failure dialog's
    // Retry does, with the records it did not reach.
    int stops = 0;
    if (stalls) stalls->Start();
    for (size_t from = 0; from < tx.size();) {
        const size_t size = tx[from].level == RunQueue ? 100 : 10;
        const size_t to = std::min(from + size, tx.size());
        for (int attempt = 0; attempt < 20; ++attempt) {
            std::vector<CommandRecord> list;
            for (size_t i = from; i < to; ++i)
                if (!tx[i].Finished()) list.push_back(makeRecord(i));
            if (list.empty()) break;
            if (attempt > 0) ++stops;
            if (link.IsLinkLost()) link.ResetLink();
            if (tx[from].level == RunQueue) link.SendRunList(list.data(), static_cast<int>(list.size()));
            else link.SendLev2List(list.data(), static_cast<int>(list.size()));
            ASSERT_TRUE(t.RunIdle()) << "link still busy at transaction " << from;
        }
        from = to;
    }
    if (stalls) stalls->Stop();

    int answered = 0, noAnswer = 0, failed = 0, retried = 0;
    for (size_t i = 0; i < tx.size(); ++i) {
        const Transaction& x = tx[i];
        ASSERT_TRUE(x.Finished()) << "transaction " << i << " never finished";
        const auto width = expected.Find(x.id)->Width;
        for (uint16_t s : x.statuses) {
            ASSERT_TRUE(s == Answered || s == Retrying || s == NoAnswer || s == Failed || s == Sent)
                << "transaction " << i << " status " << s;
            if (s == Retrying) {
                EXPECT_EQ(x.level, Lev2Queue) << "129 only where the queue reports retries";
            }
            if (s == Sent) {
                EXPECT_EQ(x.level, RunQueue);
            }
            retried += s == Retrying;
            noAnswer += s == NoAnswer;
            failed += s == Failed;
        }
        if (!x.lengths.empty()) {
            ++answered;
            for (uint8_t n : x.lengths) EXPECT_EQ(n, width) << "transaction " << i << " id " << x.id;
            const std::vector<uint8_t> want = expected.Bytes(x.id);
            EXPECT_EQ(std::vector<uint8_t>(x.buffer.begin(), x.buffer.begin() + width), want)
                << "transaction " << i << " id " << x.id;
        }
        for (size_t b = x.lengths.empty() ? 0 : width; b < x.buffer.size(); ++b)
            EXPECT_EQ(x.buffer[b], kGuard) << "transaction " << i << " byte " << b;
    }
    std::printf("answered %d of %zu, 129 x%d, 131 x%d, 132 x%d, lists sent again %d", answered, tx.size(), retried,
                noAnswer, failed, stops);
    if (stalls) std::printf(", GUI stalls %d (%d past the 150 ms time-out)", stalls->count, stalls->longerThanTimeout);
    std::printf("\n");
    EXPECT_GE(answered, 1950);
    EXPECT_TRUE(t.sim.Running());
    EXPECT_EQ(t.sim.Stop(), 0);
}

double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

const std::vector<std::string> kFaults = {"--drive", "1:LQ340", "--fault", "drop=0.1,corrupt=0.05,chunk,noise=0.02",
                                          "--seed", "21"};

TEST(FaultSoak, TwoThousandTransactionsEndAnsweredOrReportedAndNeverInTheWrongField)
{
    SoakLink t(kFaults);
    ASSERT_TRUE(t.Start()) << t.sim.Output();
    SoakTwoThousand(t, nullptr);
}

// Stalls longer than the time-out while an answer is on its way: the answer is already in
// the port when the time-out falls due, and must not be taken for late (re-send, then
// every later answer one record off).
TEST(FaultSoak, TwoThousandTransactionsWithGuiStallsNeverInTheWrongField)
{
    SoakLink t(kFaults);
    ASSERT_TRUE(t.Start()) << t.sim.Output();
    GuiStalls stalls(77);
    SoakTwoThousand(t, &stalls);
    EXPECT_GT(stalls.longerThanTimeout, 10);
}

TEST(FaultSoak, UnpluggedSimulatorEndsIn131WithoutABusyLoop)
{
    // Two answers for one status poll, then the line goes away.
    SoakLink t({"--drive", "1:LQ340", "--fault", "unplug-after=2"});
    ASSERT_TRUE(t.Start()) << t.sim.Output();
    int pollDone = 0, noAnswer = 0;
    uint8_t f137[2] = {}, f138[2] = {};
    const auto count = [&](uint16_t status, const uint8_t*, uint8_t) { noAnswer += status == NoAnswer; };
    const CommandRecord poll[] = {
        {CmdRead, 137, 2, f137, 2, count},
        {CmdRead, 138, 2, f138, 2,
         [&](uint16_t status, const uint8_t* d, uint8_t n) {
             pollDone += status == Answered;
             count(status, d, n);
         }},
    };
    t.link.SendPollList(poll, 2);
    ASSERT_TRUE(t.RunIdle());
    EXPECT_EQ(pollDone, 1);
    ASSERT_TRUE(RunUntil([&] { return !t.sim.Running() || (t.sim.WaitExit(std::chrono::milliseconds(0)), false); }));
    ASSERT_TRUE(RunUntil([&] { return !t.port.IsOpen(); })) << "the port did not notice the unplug";

    const auto wallStart = std::chrono::steady_clock::now();
    const double cpuStart = CpuSeconds();
    t.link.SendPollList(poll, 2);
    ASSERT_TRUE(RunUntil([&] { return noAnswer > 0; }));
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    const double cpu = CpuSeconds() - cpuStart;
    EXPECT_EQ(noAnswer, 1);
    EXPECT_TRUE(t.link.IsLinkLost());
    EXPECT_FALSE(t.link.AnyBusy());
    // Waiting for the time-outs costs next to no processor time; a loop spinning on
    // the dead port would use all of it.
    EXPECT_LT(cpu, 0.5 * wall + 0.05) << "cpu " << cpu << " s in " << wall << " s";
}

}  // namespace
}  // namespace ordalis::simtest
