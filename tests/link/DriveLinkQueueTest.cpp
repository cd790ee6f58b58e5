#include "tests/link/LinkFixture.h"

namespace ordalis::test {
namespace {

TEST_F(LinkTest, RunListSendsRecordsInTurnAndCopiesReads) {
    uint8_t field[2] = {};
    const CommandRecord list[] = {Read(37, field, 2), Read(38)};
    link.SendRunList(list, 2);
    EXPECT_EQ(Sent(), Strings{"C37"});
    EXPECT_TRUE(link.AwaitingAnswer());
    EXPECT_TRUE(AsFake(link.AnswerTimer()).IsActive());
    EXPECT_EQ(link.AnswerTimer().Interval(), 200);

    Answer(0, {0x90, 0x01});
    EXPECT_EQ(field[0], 0x90);
    EXPECT_EQ(field[1], 0x01);
    EXPECT_EQ(Sent(), (Strings{"C37", "C38"}));
    // The next RunQueue record is announced with 4096 once written.
    EXPECT_EQ(calls, (Strings{"C37:0", "C38:4096"}));

    Answer();
    EXPECT_EQ(calls.back(), "C38:0");
    EXPECT_FALSE(link.AnyBusy());
    EXPECT_FALSE(link.AwaitingAnswer());
    EXPECT_FALSE(link.AnswerTimer().IsActive());
    EXPECT_EQ(port.written.size(), 2u);
}

TEST_F(LinkTest, AfterEachAnswerLev2ThenPollThenRun) {
    const CommandRecord run[] = {Read(1), Read(2)};
    const CommandRecord poll[] = {Read(10), Read(11)};
    const CommandRecord lev2[] = {Write(20)};
    link.SendRunList(run, 2);
    link.SendPollList(poll, 2);  // wait behind the RunQueue
    link.SendLev2List(lev2, 1);
    EXPECT_EQ(Sent(), Strings{"C1"});
    for (int i = 0; i < 5; ++i) Answer();
    EXPECT_EQ(Sent(), (Strings{"C1", "D20", "C10", "C11", "C2"}));
    EXPECT_EQ(link.Queue(RunQueue).busy, false);
    // 4096 only for a RunQueue record sent after a RunQueue answer: C2 followed a poll answer.
    EXPECT_EQ(calls, (Strings{"C1:0", "D20:0", "C10:0", "C11:0", "C2:0"}));
}

TEST_F(LinkTest, PollBetweenRunRecords) {
    const CommandRecord run[] = {Read(1), Read(2), Read(3)};
    const CommandRecord poll[] = {Read(10)};
    link.SendRunList(run, 3);
    Answer();  // C2 goes out
    link.SendPollList(poll, 1);
    Answer();
    Answer();
    Answer();
    EXPECT_EQ(Sent(), (Strings{"C1", "C2", "C10", "C3"}));
}

TEST_F(LinkTest, BusyPollAndLev2DropNewLists) {
    const CommandRecord poll1[] = {Read(10)};
    const CommandRecord poll2[] = {Read(11)};
    const CommandRecord lev2a[] = {Write(20)};
    const CommandRecord lev2b[] = {Write(21)};
    link.SendPollList(poll1, 1);
    link.SendPollList(poll2, 1);  // dropped
    link.SendLev2List(lev2a, 1);
    link.SendLev2List(lev2b, 1);  // dropped: a second write before the first finished is lost
    Answer();
    Answer();
    EXPECT_EQ(Sent(), (Strings{"C10", "D20"}));
    EXPECT_FALSE(link.AnyBusy());
    link.SendPollList(poll1, 0);  // n = 0 ignored
    EXPECT_EQ(port.written.size(), 2u);
}

TEST_F(LinkTest, BusyRunQueueTakesNewListAfterItsNextAnswer) {
    const CommandRecord first[] = {Read(1), Read(2), Read(3)};
    const CommandRecord second[] = {Read(7), Read(8)};
    const CommandRecord third[] = {Read(9)};
    link.SendRunList(first, 3);
    link.SendRunList(third, 1);
    link.SendRunList(second, 2);  // replaces the earlier pending list
    Answer();
    Answer();
    Answer();
    EXPECT_EQ(Sent(), (Strings{"C1", "C7", "C8"}));
    EXPECT_EQ(calls, (Strings{"C1:0", "C7:4096", "C7:0", "C8:4096", "C8:0"}));
    EXPECT_FALSE(link.AnyBusy());
}

TEST_F(LinkTest, AddPollListAppendsNowOrAfterTheRunningPoll) {
    const CommandRecord poll[] = {Read(10), Read(11)};
    const CommandRecord extra[] = {Read(12)};
    link.AddPollList(extra, 1);  // idle: sent at once
    EXPECT_EQ(Sent(), Strings{"C12"});
    Answer();
    link.SendPollList(poll, 2);
    link.AddPollList(extra, 1);  // busy: pending append, inserted at count 2
    Answer();
    Answer();
    // Merged at the next poll answer, so it goes out before the queue finishes.
    EXPECT_EQ(Sent(), (Strings{"C12", "C10", "C11", "C12"}));
    EXPECT_TRUE(link.Queue(PollQueue).busy);
    Answer();
    EXPECT_FALSE(link.Queue(PollQueue).busy);
}

TEST_F(LinkTest, MoreThanHundredRecordsRefused) {
    std::vector<CommandRecord> many(101, Read(1));
    testing::internal::CaptureStderr();
    link.SendRunList(many.data(), 101);
    link.SendPollList(many.data(), 101);
    link.SendLev2List(many.data(), 101);
    link.AddPollList(many.data(), 101);
    EXPECT_TRUE(port.written.empty());
    EXPECT_FALSE(link.AnyBusy());

    link.SendRunList(many.data(), 100);  // exactly 100 is fine
    EXPECT_EQ(port.written.size(), 1u);
    // The poll limit counts the records already queued.
    link.AddPollList(many.data(), 60);
    link.AddPollList(many.data(), 41);
    link.AddPollList(many.data(), 40);  // busy: becomes the pending append
    const std::string err = testing::internal::GetCapturedStderr();
    size_t refused = 0;
    for (size_t at = err.find("Num max setting"); at != std::string::npos; at = err.find("Num max setting", at + 1))
        ++refused;
    EXPECT_EQ(refused, 5u) << err;
}

TEST_F(LinkTest, SetRunNextRepeatsOrSkips) {
    int seen = 0;
    std::vector<CommandRecord> list = {Read(1), Read(2), Read(3), Read(4), Read(5)};
    list[0].Callback = [&](uint16_t s, const uint8_t*, uint8_t) {
        if (s == 0 && ++seen < 3) link.SetRunNext(0);  // repeat until answered three times
    };
    list[1].Callback = [&](uint16_t s, const uint8_t*, uint8_t) {
        if (s == 0) link.SetRunNext(3);  // skip records 3 and 4
    };
    link.SendRunList(list.data(), 5);
    for (int i = 0; i < 5; ++i) Answer();
    EXPECT_EQ(Sent(), (Strings{"C1", "C1", "C1", "C2", "C5"}));
    EXPECT_FALSE(link.AnyBusy());
}

TEST_F(LinkTest, RunDelayHoldsTheNextRunSendUntilItsTimerFires) {
    CommandRecord list[] = {Read(1), Read(2)};
    bool repeated = false;
    list[0].Callback = [&](uint16_t s, const uint8_t*, uint8_t) {
        calls.push_back("C1:" + std::to_string(s));
        if (s == 0 && !repeated) {
            repeated = true;
            link.SetRunNext(0);
        }
    };
    link.SetRunDelay(50);
    link.SendRunList(list, 2);
    Answer(0, {0xAB});
    EXPECT_EQ(port.written.size(), 1u);
    EXPECT_TRUE(link.RunDelayPending());
    EXPECT_EQ(link.RunDelayTimer().Interval(), 50);
    EXPECT_FALSE(link.AnswerTimer().IsActive());

    // A user write loaded during the delay waits for it.
    const CommandRecord lev2[] = {Write(20)};
    link.SendLev2List(lev2, 1);
    EXPECT_EQ(port.written.size(), 1u);

    timers.Advance(50);
    EXPECT_EQ(Sent(), (Strings{"C1", "C1"}));
    EXPECT_EQ(calls.back(), "C1:4096");
    EXPECT_TRUE(link.AnswerTimer().IsActive());
    // The delay is used once.
    Answer();
    Answer();
    Answer();
    EXPECT_EQ(Sent(), (Strings{"C1", "C1", "D20", "C2"}));
    EXPECT_FALSE(link.RunDelayPending());
}

TEST_F(LinkTest, ResetLinkAndStopRunQueue) {
    const CommandRecord run[] = {Read(1), Read(2)};
    const CommandRecord poll[] = {Read(10)};
    link.SendRunList(run, 2);
    link.SendPollList(poll, 1);
    link.SendRunList(run, 1);  // pending
    link.ResetLink();
    EXPECT_FALSE(link.AnyBusy());
    EXPECT_FALSE(link.AnswerTimer().IsActive());
    Answer();  // late answer to the abandoned command: nobody hears it
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(port.written.size(), 1u);

    link.SendRunList(run, 2);
    Answer();
    link.StopRunQueue();
    EXPECT_FALSE(link.Queue(RunQueue).busy);
    EXPECT_EQ(link.Queue(RunQueue).count, 2);  // table and index stay
    EXPECT_EQ(link.Queue(RunQueue).index, 1);
    EXPECT_TRUE(link.AwaitingAnswer());  // C2 is on the wire: its answer is still handled
    Answer();
    EXPECT_EQ(calls.back(), "C2:0");
    EXPECT_FALSE(link.AwaitingAnswer());
    link.SendPollList(poll, 1);  // the link is free again
    EXPECT_EQ(LastSent(), "C10");
}

// Drive codes: status byte 1 carries a code in the first data byte; 1 is an error.
TEST_F(LinkTest, StatusByteAndDriveCodes) {
    struct Case {
        uint8_t status;
        std::vector<uint8_t> data;
        uint16_t expected;
        bool copied;
    };
    const Case cases[] = {
        {0, {0x11, 0x22}, 0, true},   {1, {5, 0x22}, 5, false},   {1, {0, 0x22}, 0, false},
        {2, {0x11, 0x22}, 0, false},  {1, {129}, 129, false},     {1, {255}, 255, false},
        {7, {}, 0, false},
    };
    for (const auto& c : cases) {
        uint8_t field[2] = {0xEE, 0xEE};
        uint16_t got = 0xFFFF;
        CommandRecord rec = Read(3, field, 2);
        rec.Callback = [&](uint16_t s, const uint8_t*, uint8_t) { got = s; };
        link.SendLev2List(&rec, 1);
        Answer(c.status, c.data);
        EXPECT_EQ(got, c.expected) << int(c.status);
        EXPECT_EQ(field[0] == 0x11, c.copied) << int(c.status);
        EXPECT_FALSE(link.AnyBusy());
    }
}

TEST_F(LinkTest, ScrambledAnswerAndParserResetTimer) {
    uint8_t field[2] = {};
    const CommandRecord rec = Read(37, field, 2);
    link.SendRunList(&rec, 1);
    const uint8_t data[2] = {0x34, 0x12};
    const auto f = EncodeAnswer(1, 0, data, 2, 0x3C, 2);
    port.Inject({f.begin(), f.begin() + 5});
    EXPECT_TRUE(link.ParserResetTimer().IsActive());
    EXPECT_EQ(link.ParserResetTimer().Interval(), 20);
    AsFake(link.ParserResetTimer()).Fire();  // 20 ms of silence: the half frame is gone
    EXPECT_FALSE(link.ParserResetTimer().IsActive());
    port.Inject({f.begin() + 5, f.end()});
    EXPECT_TRUE(calls.empty());
    port.Inject({f.begin(), f.begin() + 5});
    port.Inject({f.begin() + 5, f.end()});  // a short gap keeps the frame together
    EXPECT_EQ(calls, Strings{"C37:0"});
    EXPECT_EQ(field[0], 0x34);
}

TEST_F(LinkTest, KeysSeededOnceAndPlainForWriteAndTrace) {
    FakePort port2;
    DriveLink other{port2, timers, prompt, 1};
    other.SlaveAddress = 1;
    const CommandRecord reads[] = {Read(1), Read(2), Read(3)};
    for (const auto& r : reads) {
        link.SendCommand(r, 0);
        other.SendCommand(r, 0);
    }
    EXPECT_EQ(port.WrittenHex(), port2.WrittenHex());
    EXPECT_NE(port.written[0][4], port.written[1][4]);
    const CommandRecord trace{CmdTrace, 8, 0, nullptr, 0, {}};
    for (int i = 0; i < 20; ++i) {
        link.SendCommand(Write(53), 2);
        EXPECT_EQ(port.written.back()[4], kPlainKey);
        link.SendCommand(trace, 0);
        EXPECT_EQ(port.written.back()[4], kPlainKey);
    }
}

struct LogLine {
    std::string prefix, label, hex;
    uint8_t level;
};
class RecordingLog : public FrameLog {
public:
    std::vector<LogLine> lines;
    void LogFrame(const std::string& p, const std::string& l, const uint8_t* b, size_t n, uint8_t level) override {
        lines.push_back({p, l, Hexify(b, n), level});
    }
};

TEST_F(LinkTest, LogLinesForSendAndAnswer) {
    RecordingLog log;
    link.SetFrameLog(&log);
    const CommandRecord rec = Read(37);
    link.SendPollList(&rec, 1);
    Answer();
    Answer();  // not awaited: not logged
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[0].prefix.size(), 14u + 8u);
    EXPECT_EQ(log.lines[0].prefix.substr(14), " Send   ");
    EXPECT_EQ(log.lines[1].prefix.substr(14), " Recv   ");
    EXPECT_EQ(log.lines[0].label, "Read  Ipeak");
    EXPECT_EQ(log.lines[1].label, "Read  Ipeak");  // the answer repeats the last label
    EXPECT_EQ(log.lines[0].hex.substr(2), " 01 02 43 25 00 21");  // plain, whatever the key
    EXPECT_EQ(log.lines[1].hex, "5F 01 02 00 90 01 57");
    EXPECT_EQ(log.lines[0].level, PollQueue);
    EXPECT_EQ(log.lines[1].level, PollQueue);
}

TEST_F(LinkTest, WaitMsContinuesFromItsTimer) {
    int done = 0;
    link.WaitMs(110, [&] { ++done; });
    EXPECT_EQ(done, 0);
    timers.Advance(109);
    EXPECT_EQ(done, 0);
    timers.Advance(1);
    EXPECT_EQ(done, 1);
    timers.Advance(1000);
    EXPECT_EQ(done, 1);
}

}  // namespace
}  // namespace ordalis::test
