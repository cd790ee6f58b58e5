// The link under injected faults: dropped, corrupted and chunked answers over 2,000
// transactions, and a simulator that is unplugged.
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <set>

#include "sim/Parameters.h"
#include "tests/sim/LinkOverSim.h"

namespace ordalis::simtest {
namespace {

constexpr uint8_t kGuard = 0xEE;

// Parameters that hold still (no tuning, generator off), of both widths.
constexpr uint16_t kIds[] = {0,  1,  37, 38, 39, 40, 41, 42, 43, 44, 54, 56, 57, 58, 59, 60, 70, 71, 90,
                             91, 97, 98, 99, 127, 128, 129, 130, 131, 132, 133, 134, 135, 136, 154, 160};

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

double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

TEST(FaultSoak, TwoThousandTransactionsEndAnsweredOrReportedAndNeverInTheWrongField)
{
    LinkOverSim t({"--drive", "1:LQ340", "--fault", "drop=0.1,corrupt=0.05,chunk,noise=0.02", "--seed", "21"});
    ASSERT_TRUE(t.Start()) << t.sim.Output();
    ASSERT_TRUE(t.Connect(115200, 1)) << t.sim.Output();
    DriveLink& link = t.session.link;
    // The RunQueue's time-out is the program's to set (the address search uses 100 ms).
    // Answers come within a few milliseconds; 150 ms keeps the run short and still leaves
    // room for a busy machine: an answer later than the time-out would be taken for the
    // re-sent request and the next one's answer for the wrong record, which no host can
    // tell apart, as answers carry no command.
    link.SetRunTimeout(150);

    const sim::ParameterSet expected = sim::FactoryDefaults(*sim::FindModel("LQ340"), 1);
    std::vector<Transaction> tx(2000);
    for (size_t i = 0; i < tx.size(); ++i) {
        tx[i].id = kIds[i % std::size(kIds)];
        tx[i].level = i < 1900 ? RunQueue : Lev2Queue;  // the last 100 as user writes would go
        tx[i].buffer.fill(kGuard);
    }

    const auto makeRecord = [&](size_t i) {
        CommandRecord r;
        r.Command = CmdRead;
        r.ParamId = tx[i].id;
        r.DataLen = static_cast<uint8_t>(expected.Find(tx[i].id)->Width);
        r.Data = tx[i].buffer.data();
        r.Capacity = static_cast<uint16_t>(tx[i].buffer.size());
        r.Callback = [&tx, i](uint16_t status, const uint8_t*, uint8_t length) {
            tx[i].statuses.push_back(status);
            if (status == Answered) tx[i].lengths.push_back(length);
        };
        return r;
    };

    // Lists of 100 on the RunQueue, of 10 on the Lev2Queue; a list stopped by a 131 is
    // sent again with the records it did not reach.
    int stops = 0;
    for (size_t from = 0; from < tx.size();) {
        const size_t size = tx[from].level == RunQueue ? 100 : 10;
        const size_t to = std::min(from + size, tx.size());
        for (int attempt = 0; attempt < 20; ++attempt) {
            std::vector<CommandRecord> list;
            for (size_t i = from; i < to; ++i)
                if (!tx[i].Finished()) list.push_back(makeRecord(i));
            if (list.empty()) break;
            if (attempt > 0) ++stops;
            if (tx[from].level == RunQueue) link.SendRunList(list.data(), static_cast<int>(list.size()));
            else link.SendLev2List(list.data(), static_cast<int>(list.size()));
            ASSERT_TRUE(t.RunIdle()) << "link still busy at transaction " << from;
        }
        from = to;
    }

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
    std::printf("answered %d of %zu, 129 x%d, 131 x%d, 132 x%d, lists sent again %d\n", answered, tx.size(),
                retried, noAnswer, failed, stops);
    EXPECT_GE(answered, 1950);
    EXPECT_TRUE(t.prompt.messages.isEmpty()) << t.prompt.messages.join("; ").toStdString();
    EXPECT_TRUE(t.sim.Running());
    EXPECT_EQ(t.sim.Stop(), 0);
}

TEST(FaultSoak, UnpluggedSimulatorEndsIn131WithoutABusyLoop)
{
    // Three answers for the connect, two for one status poll, then the line goes away.
    LinkOverSim t({"--drive", "1:LQ340", "--fault", "unplug-after=5"});
    ASSERT_TRUE(t.Start()) << t.sim.Output();
    ASSERT_TRUE(t.Connect(115200, 1)) << t.sim.Output();
    int pollDone = 0;
    t.session.callbacks.PollStatusDone = [&](uint16_t, const uint8_t*, uint8_t) { ++pollDone; };
    t.session.link.SendPollList(t.session.lists.PollStatusList);
    ASSERT_TRUE(t.RunIdle());
    EXPECT_EQ(pollDone, 1);
    ASSERT_TRUE(RunUntil([&] { return !t.sim.Running() || (t.sim.WaitExit(std::chrono::milliseconds(0)), false); }));
    ASSERT_TRUE(RunUntil([&] { return !t.port.IsOpen(); })) << "the port did not notice the unplug";

    const auto wallStart = std::chrono::steady_clock::now();
    const double cpuStart = CpuSeconds();
    t.session.link.SendPollList(t.session.lists.PollStatusList);
    ASSERT_TRUE(RunUntil([&] { return t.connectionFailures > 0; }));
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    const double cpu = CpuSeconds() - cpuStart;
    EXPECT_EQ(t.connectionFailures, 1);
    EXPECT_FALSE(t.session.link.AnyBusy());
    // Waiting for the time-outs costs next to no processor time; a loop spinning on
    // the dead port would use all of it.
    EXPECT_LT(cpu, 0.5 * wall + 0.05) << "cpu " << cpu << " s in " << wall << " s";
}

}  // namespace
}  // namespace ordalis::simtest
