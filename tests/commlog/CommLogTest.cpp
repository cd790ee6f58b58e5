// The log's text side fed by the real link: lines for the flagged queues only, the batch
// moves to the memo (a burst at 1000 characters, a quiet line after Timer2), the memo's
// bounds, Clear and Close.
#include <QRegularExpression>
#include <QStringList>
#include <gtest/gtest.h>

#include "core/CommLog.h"
#include "link/DriveLink.h"
#include "tests/support/FakePort.h"
#include "tests/support/FakeTimer.h"
#include "tests/support/RecordingPrompt.h"

namespace ordalis::test {
namespace {

class CommLogTest : public ::testing::Test {
protected:
    FakePort port{true};
    FakeTimerFactory timers;
    RecordingPrompt prompt;
    DriveLink link{port, timers, prompt, 5};
    CommLog log{timers.CreateTimer()};
    QString memo;
    int appends = 0;
    uint8_t value[2] = {0xB0, 0x04};

    CommLogTest() {
        link.SlaveAddress = 1;
        link.SetFrameLog(&log);
        log.OnAppend = [this](const QString& t) {
            memo += t;
            ++appends;
        };
        log.OnClearMemo = [this] { memo.clear(); };
    }
    FakeTimer& Timer2() { return AsFake(log.Timer2()); }

    // One request and its answer on the given queue.
    void Exchange(QueueLevel level, uint16_t id = 37) {
        const CommandRecord rec{CmdRead, id, 2, nullptr, 0, {}};
        switch (level) {
            case RunQueue: link.SendRunList(&rec, 1); break;
            case PollQueue: link.SendPollList(&rec, 1); break;
            case Lev2Queue: link.SendLev2List(&rec, 1); break;
        }
        const uint8_t data[2] = {0x90, 0x01};
        port.Inject(EncodeAnswer(1, 0, data, 2));
    }
    QStringList Lines() const { return memo.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts); }
};

TEST_F(CommLogTest, NothingIsLoggedWhileTheWindowWasNeverOpened) {
    for (QueueLevel level : {RunQueue, PollQueue, Lev2Queue}) Exchange(level);
    Timer2().Fire();
    EXPECT_TRUE(memo.isEmpty());
    EXPECT_TRUE(log.Buffer().isEmpty());
}

TEST_F(CommLogTest, TriggeredRecordsOnlyShowsLev2AndEveryFrameRestartsTimer2) {
    log.SetFlags(false, false, true);
    const int starts = Timer2().starts;
    Exchange(PollQueue, 137);
    Exchange(RunQueue, 38);
    EXPECT_EQ(Timer2().starts, starts + 4) << "unlogged frames restart it too";
    EXPECT_TRUE(log.Buffer().isEmpty());
    Exchange(Lev2Queue, 37);
    Timer2().Fire();
    const QStringList lines = Lines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].contains(QStringLiteral(" Send   Read  Ipeak:  ")));
    EXPECT_TRUE(lines[1].contains(QStringLiteral(" Recv   Read  Ipeak:  ")));
}

// A known request and answer pair, text for text apart from the clock.
TEST_F(CommLogTest, LinesOfAKnownExchange) {
    log.SetFlags(true, true, true);
    Exchange(RunQueue);
    Timer2().Fire();
    const QStringList lines = Lines();
    ASSERT_EQ(lines.size(), 2);
    static const QRegularExpression kStamp(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d-\\d{4} "));
    for (const QString& line : lines) EXPECT_TRUE(kStamp.match(line).hasMatch()) << line.toStdString();
    const QString key = QStringLiteral("%1").arg(port.written[0][4], 2, 16, QLatin1Char('0')).toUpper();
    EXPECT_EQ(lines[0].mid(15), "Send   Read  Ipeak:" + key + " 01 02 43 25 00 21 ");
    EXPECT_EQ(lines[1].mid(15), QStringLiteral("Recv   Read  Ipeak:5F 01 02 00 90 01 57 "));
    EXPECT_TRUE(memo.endsWith(QStringLiteral("\r\n")));
}

TEST_F(CommLogTest, SeparatorNamesTheQueue) {
    const uint8_t bytes[2] = {0xAB, 0x01};
    EXPECT_EQ(CommLog::Line("P ", "L", bytes, 2, RunQueue), QStringLiteral("P L:AB 01 \r\n"));
    EXPECT_EQ(CommLog::Line("P ", "L", bytes, 2, PollQueue), QStringLiteral("P L: AB 01 \r\n"));
    EXPECT_EQ(CommLog::Line("P ", "L", bytes, 2, Lev2Queue), QStringLiteral("P L:  AB 01 \r\n"));
}

TEST_F(CommLogTest, BurstReachesTheMemoBeforeItEndsInBatches) {
    log.SetFlags(true, true, true);
    int framesBeforeFirstAppend = -1;
    for (int i = 0; i < 60; ++i) {
        Exchange(PollQueue, 137);
        if (appends > 0 && framesBeforeFirstAppend < 0) framesBeforeFirstAppend = 2 * (i + 1);
    }
    ASSERT_GT(framesBeforeFirstAppend, 0) << "nothing reached the memo during the burst";
    EXPECT_LT(framesBeforeFirstAppend, 120);
    EXPECT_GT(memo.size(), 1000);
    // Once per 1000 characters, not once per line.
    EXPECT_LE(appends, memo.size() / 1000 + 1);
    EXPECT_GE(Lines().size(), 2 * (appends));
}

TEST_F(CommLogTest, ShortExchangeWaitsForTimer2) {
    log.SetFlags(true, true, true);
    Exchange(Lev2Queue);
    EXPECT_TRUE(memo.isEmpty());
    EXPECT_TRUE(Timer2().IsActive());
    EXPECT_EQ(Timer2().Interval(), 200);
    timers.Advance(199);
    EXPECT_TRUE(memo.isEmpty());
    timers.Advance(1);
    EXPECT_EQ(Lines().size(), 2);
    EXPECT_TRUE(log.Buffer().isEmpty());
    EXPECT_FALSE(Timer2().IsActive());
}

TEST_F(CommLogTest, MemoIsClearedAtItsBounds) {
    log.SetFlags(true, true, true);
    // The quiet path clears at 50000 characters, the burst path only at 500000.
    while (log.MemoLength() < 49000) {
        Exchange(PollQueue);
        Timer2().Fire();
    }
    while (log.MemoLength() + log.Buffer().size() < 50000) Exchange(PollQueue);
    Timer2().Fire();
    EXPECT_EQ(log.MemoLength(), 0);
    EXPECT_TRUE(memo.isEmpty());
    qsizetype largest = 0;
    for (int i = 0; i < 5000 && log.MemoLength() >= largest; ++i) {
        largest = std::max(largest, log.MemoLength());
        Exchange(PollQueue);
    }
    EXPECT_GE(largest, 499000);
    EXPECT_LT(largest, 500000);
    EXPECT_LT(log.MemoLength(), largest);
    EXPECT_EQ(memo.size(), log.MemoLength());
}

TEST_F(CommLogTest, ClearEmptiesMemoAndBuffer) {
    log.SetFlags(true, true, true);
    Exchange(Lev2Queue);
    Timer2().Fire();
    Exchange(Lev2Queue);
    ASSERT_FALSE(memo.isEmpty());
    ASSERT_FALSE(log.Buffer().isEmpty());
    log.Clear();
    EXPECT_TRUE(memo.isEmpty());
    EXPECT_TRUE(log.Buffer().isEmpty());
    Timer2().Fire();
    EXPECT_TRUE(memo.isEmpty());
}

TEST_F(CommLogTest, CloseStopsLoggingAndKeepsTheBufferForTheNextFlush) {
    log.SetFlags(true, true, true);
    Exchange(Lev2Queue);
    log.Close();
    EXPECT_FALSE(Timer2().IsActive());
    EXPECT_FALSE(log.Flag(RunQueue) || log.Flag(PollQueue) || log.Flag(Lev2Queue));
    EXPECT_FALSE(log.Buffer().isEmpty());
    Exchange(Lev2Queue);
    Timer2().Fire();
    EXPECT_EQ(Lines().size(), 2) << "the kept lines, none of the frames after the close";
}

}  // namespace
}  // namespace ordalis::test
