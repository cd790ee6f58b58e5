// Answers land in the field of the command they belong to: bytes the port already holds
// are taken in before a timer acts on their absence, and the smaller faults around
// stopping, waiting and repeating lists.
#include "tests/link/LinkFixture.h"

namespace ordalis::test {
namespace {

std::vector<uint8_t> AnswerFrame(std::vector<uint8_t> data, uint8_t key = 0x3C) {
    return EncodeAnswer(1, 0, data.data(), static_cast<uint8_t>(data.size()), key);
}

// An answer that was in the port when the time-out fell due (its delivery still queued
// behind the timer) used to be taken for the re-send, and every later answer for the next
// record. Half a frame at the time-out is given the 20 ms frame gap to complete.
TEST_F(LinkTest, TimeoutTakesInWhatThePortHoldsFirst) {
    struct Case {
        const char* name;
        size_t waiting;  // bytes of the answer in the port when the time-out fires
        bool tailFollows;
        Strings sent;
        uint8_t field137;
    };
    const std::vector<uint8_t> frame = AnswerFrame({0x37, 0x01});
    const Case cases[] = {
        {"whole answer waiting", frame.size(), false, {"C137", "C138"}, 0x37},
        {"nothing waiting", 0, false, {"C137", "C137"}, 0},
        {"frame under way, tail follows", 5, true, {"C137", "C138"}, 0x37},
        {"frame under way, line goes quiet", 5, false, {"C137", "C137"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        link.ResetLink();
        port.written.clear();
        calls.clear();
        uint8_t f137[2] = {}, f138[2] = {};
        const CommandRecord poll[] = {Read(137, f137, 2), Read(138, f138, 2)};
        link.SendPollList(poll, 2);
        port.Arrive({frame.begin(), frame.begin() + static_cast<long>(c.waiting)});
        ASSERT_TRUE(Timeout());
        if (c.waiting > 0 && c.waiting < frame.size()) {
            EXPECT_EQ(Sent(), Strings{"C137"}) << "half a frame: no re-send yet";
            EXPECT_EQ(link.AnswerTimer().Interval(), 20);
            if (c.tailFollows) {
                port.Inject({frame.begin() + static_cast<long>(c.waiting), frame.end()});
            } else {
                AsFake(link.ParserResetTimer()).Fire();  // the line stays quiet: the half frame goes
                Timeout();
            }
        }
        EXPECT_EQ(Sent(), c.sent);
        EXPECT_EQ(f137[0], c.field137);
        EXPECT_EQ(f138[0], 0);
        EXPECT_TRUE(link.AnswerTimer().IsActive());
        EXPECT_GE(port.drains, 1);
    }
}

// The 20 ms frame reset used to drop a frame whose tail was already in the port.
TEST_F(LinkTest, FrameResetTakesInWhatThePortHoldsFirst) {
    uint8_t field[2] = {};
    const CommandRecord rec = Read(37, field, 2);
    const std::vector<uint8_t> frame = AnswerFrame({0x34, 0x12});
    link.SendRunList(&rec, 1);
    port.Inject({frame.begin(), frame.begin() + 5});
    port.Arrive({frame.begin() + 5, frame.end() - 2});  // more of the frame, not all
    ASSERT_TRUE(AsFake(link.ParserResetTimer()).Fire());
    EXPECT_TRUE(link.ParserResetTimer().IsActive()) << "bytes came in: the 20 ms start again";
    port.Arrive({frame.end() - 2, frame.end()});
    ASSERT_TRUE(AsFake(link.ParserResetTimer()).Fire());
    EXPECT_EQ(calls, Strings{"C37:0"});
    EXPECT_EQ(field[0], 0x34);
    EXPECT_EQ(port.written.size(), 1u);
}

// Used to keep a half frame past its 20 ms: when the frame reset ran inside a callback
// (a modal box open for longer than 20 ms), the rest of the chunk, parsed after it,
// started a frame no timer would drop, and that frame swallowed the next answer.
TEST_F(LinkTest, BytesParsedAfterAFrameResetInACallbackGetTheirOwn20Ms) {
    CommandRecord first = Read(1);
    first.Callback = [this](uint16_t status, const uint8_t*, uint8_t) {
        calls.push_back("C1:" + std::to_string(status));
        AsFake(link.ParserResetTimer()).Fire();
    };
    link.SendRunList(&first, 1);
    std::vector<uint8_t> chunk = AnswerFrame({0x01, 0x00});
    const auto cut = Unhex("F0 E0 5F 01 02");  // a frame cut off by noise
    chunk.insert(chunk.end(), cut.begin(), cut.end());
    port.Inject(chunk);
    ASSERT_EQ(calls, Strings{"C1:0"});
    EXPECT_TRUE(link.ParserResetTimer().IsActive()) << "the half frame has no 20 ms to drop it";
    timers.Advance(20);

    const CommandRecord second[] = {Read(2)};
    link.SendLev2List(second, 1);
    Answer();
    EXPECT_EQ(calls, (Strings{"C1:0", "C2:0"}));
}

// A RunQueue list waiting for another queue's command used to be sent after that queue's
// whole list (C10, C11, C1); the lists the link would send at once (SendRunList,
// AddPollList) go right after the answer in flight.
TEST_F(LinkTest, ListThatWaitsForTheCommandInFlightGoesRightAfterItsAnswer) {
    const CommandRecord poll[] = {Read(10), Read(11)};
    const CommandRecord run[] = {Read(1)};
    const CommandRecord lev2[] = {Write(20), Write(21)};
    const CommandRecord extra[] = {Read(12)};
    link.SendPollList(poll, 2);
    link.SendRunList(run, 1);
    for (int i = 0; i < 3; ++i) Answer();
    EXPECT_EQ(Sent(), (Strings{"C10", "C1", "C11"}));
    EXPECT_FALSE(link.AnyBusy());

    port.written.clear();
    link.SendLev2List(lev2, 2);
    link.AddPollList(extra, 1);
    for (int i = 0; i < 3; ++i) Answer();
    EXPECT_EQ(Sent(), (Strings{"D20", "C12", "D21"}));
    EXPECT_FALSE(link.AnyBusy());
}

// StopRunQueue used to abandon the command on the wire and send the next queue's at once,
// so the late answer was taken for that one.
TEST_F(LinkTest, StopRunQueueStillHandlesTheAnswerOnTheWire) {
    uint8_t f1[2] = {}, f10[2] = {}, f5[2] = {};
    const CommandRecord run[] = {Read(1, f1, 2), Read(2)};
    const CommandRecord poll[] = {Read(10, f10, 2)};
    const CommandRecord next[] = {Read(5, f5, 2)};
    link.SendRunList(run, 2);
    link.SendPollList(poll, 1);
    link.StopRunQueue();
    EXPECT_FALSE(link.Queue(RunQueue).busy);
    EXPECT_TRUE(link.AwaitingAnswer());
    link.SendRunList(next, 1);  // a new list waits for the stopped command's answer too
    EXPECT_EQ(Sent(), Strings{"C1"});

    Answer(0, {0x01, 0x00});
    EXPECT_EQ(f1[0], 0x01);
    EXPECT_EQ(calls, Strings{"C1:0"});  // no 4096: the stopped list does not go on
    Answer(0, {0x05, 0x00});
    Answer(0, {0x10, 0x00});
    EXPECT_EQ(Sent(), (Strings{"C1", "C5", "C10"}));
    EXPECT_EQ(f5[0], 0x05);
    EXPECT_EQ(f10[0], 0x10);
    EXPECT_FALSE(link.AnyBusy());

    // A stopped command that stays unanswered is neither sent again nor reported: the
    // queues behind it go on and the link is not lost.
    calls.clear();
    link.SendRunList(run, 2);
    link.SendPollList(poll, 1);
    link.StopRunQueue();
    ASSERT_TRUE(Timeout());
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(LastSent(), "C10");
    EXPECT_FALSE(link.IsLinkLost());
}

// A second WaitMs used to replace the first, whose continuation never ran.
TEST_F(LinkTest, EveryWaitRunsItsContinuationAtItsOwnTime) {
    Strings done;
    link.WaitMs(100, [&] { done.push_back("a@" + std::to_string(timers.Now())); });
    timers.Advance(10);
    link.WaitMs(50, [&] {
        done.push_back("b@" + std::to_string(timers.Now()));
        link.WaitMs(100, [&] { done.push_back("c@" + std::to_string(timers.Now())); });
    });
    timers.Advance(1000);
    EXPECT_EQ(done, (Strings{"b@60", "a@100", "c@160"}));
}

// A list whose last record was refused used to start again from its first record, forever
// (a drive refusing parameter 99 made the 14-record file write-back repeat without end).
TEST_F(LinkTest, RunListRepeatsOnceForARecordThatKeepsFailing) {
    struct Case {
        const char* name;
        std::vector<uint16_t> ids;
        size_t frames;
    };
    const Case cases[] = {
        {"last of three refused", {1, 2, 3}, 2 * (2 + 4)},
        {"one record", {3}, 2 * 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        port.written.clear();
        calls.clear();
        std::vector<CommandRecord> list;
        for (uint16_t id : c.ids) list.push_back(Read(id));
        link.SendRunList(list.data(), static_cast<int>(list.size()));
        for (int guard = 0; link.AwaitingAnswer() && guard < 100; ++guard) {
            if (LastSent() == "C3") Answer(1, {1});  // refused
            else Answer();
        }
        EXPECT_EQ(port.written.size(), c.frames);
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "C3:132"), 2);
        EXPECT_EQ(calls.back(), "C3:132");
        EXPECT_FALSE(link.AnyBusy());
    }
}

// A write or trace record with more than 253 data bytes used to go out with a wrapped
// length byte. It is refused: nothing sent or logged, 132 to its callback, the list goes on.
TEST_F(LinkTest, RecordTooLongForTheLengthByteIsRefused) {
    static uint8_t big[255] = {};
    const CommandRecord longWrite{CmdWrite, 7, 254, big, 255, Log("D7")};
    const CommandRecord longTrace{CmdTrace, 16, 255, big, 255, Log("`16")};
    const CommandRecord fits{CmdWrite, 8, 253, big, 255, Log("D8")};
    struct Case {
        const char* name;
        uint8_t level;
        std::vector<CommandRecord> list;
        Strings sent;
        Strings calls;
    };
    const Case cases[] = {
        {"lev2", Lev2Queue, {longWrite, Write(21)}, {"D21"}, {"D7:132", "D21:0"}},
        {"run", RunQueue, {Read(1), longTrace, longWrite, Read(2)}, {"C1", "C2"},
         {"C1:0", "`16:132", "D7:132", "C2:4096", "C2:0"}},
        {"alone", RunQueue, {longWrite}, {}, {"D7:132"}},
        {"253 bytes fit", Lev2Queue, {fits}, {"D8"}, {"D8:0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        port.written.clear();
        calls.clear();
        if (c.level == RunQueue) link.SendRunList(c.list.data(), static_cast<int>(c.list.size()));
        else link.SendLev2List(c.list.data(), static_cast<int>(c.list.size()));
        for (int guard = 0; link.AwaitingAnswer() && guard < 10; ++guard) Answer();
        EXPECT_EQ(Sent(), c.sent);
        EXPECT_EQ(calls, c.calls);
        EXPECT_FALSE(link.AnyBusy());
    }
    EXPECT_EQ(port.written.back()[6], 255) << "length byte of 253 data bytes and the id";
}

}  // namespace
}  // namespace ordalis::test
