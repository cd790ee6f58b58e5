#include "tests/link/LinkFixture.h"

namespace ordalis::test {
namespace {

// Read answers used to be copied with the drive's length whatever the field could hold.
TEST_F(LinkTest, ReadAnswerIsCutToTheFieldsCapacity) {
    struct Case {
        uint8_t command;
        uint16_t capacity;
        uint8_t dataLen;
        size_t answerLen;
        size_t copied;
    };
    const Case cases[] = {
        {CmdRead, 2, 2, 6, 2},      {CmdRead, 4, 4, 2, 2},      {CmdRead, 64, 2, 255, 64},
        {CmdTrace, 255, 0, 255, 255}, {CmdRead, 0, 4, 10, 4},  // no capacity given: the field size
        {CmdTrace, 0, 0, 20, 0},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> target(c.capacity + 16, 0xEE);
        CommandRecord rec{c.command, 5, c.dataLen, target.data(), c.capacity, Log("r")};
        std::vector<uint8_t> answer(c.answerLen);
        for (size_t i = 0; i < answer.size(); ++i) answer[i] = static_cast<uint8_t>(i + 1);
        link.SendRunList(&rec, 1);
        Answer(0, answer);
        for (size_t i = 0; i < target.size(); ++i)
            ASSERT_EQ(target[i], i < c.copied ? answer[i] : 0xEE) << "capacity " << c.capacity << " byte " << i;
    }
}

// A text target is cleared behind the bytes an answer copied, up to its capacity, and only
// when bytes were copied (the model name used to lose its tail to answers that copied none).
TEST_F(LinkTest, TextTargetIsClearedBehindCopiedBytesOnly) {
    struct Case {
        uint8_t status;
        std::vector<uint8_t> data;
        std::string field;
    };
    const Case cases[] = {
        {0, {'T', 'R', '9'}, std::string("TR9\0\0\0\0\0", 8)},
        {0, {}, "LQ340-XY"},
        {1, {0, 'Q'}, "LQ340-XY"},
        {2, {'T', 'R'}, "LQ340-XY"},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> target{'L', 'Q', '3', '4', '0', '-', 'X', 'Y', 0xEE};
        CommandRecord rec{CmdRead, 55, 6, target.data(), 8, Log("C55")};
        rec.TextTarget = true;
        link.SendRunList(&rec, 1);
        Answer(c.status, c.data);
        EXPECT_EQ(std::string(target.begin(), target.begin() + 8), c.field) << int(c.status);
        EXPECT_EQ(target[8], 0xEE) << "guard byte";
    }
}

// Lists loaded while another command awaits its answer used to be sent at once, and that
// answer was then taken for the new command.
TEST_F(LinkTest, RunAndAddPollWaitForTheCommandInFlight) {
    uint8_t pollField[2] = {};
    uint8_t runField[2] = {};
    const CommandRecord poll[] = {Read(10, pollField, 2)};
    const CommandRecord run[] = {Read(1, runField, 2)};
    link.SendPollList(poll, 1);
    link.SendRunList(run, 1);
    EXPECT_EQ(Sent(), Strings{"C10"});
    Answer(0, {0x10, 0x00});
    EXPECT_EQ(pollField[0], 0x10);
    EXPECT_EQ(runField[0], 0x00);
    EXPECT_EQ(Sent(), (Strings{"C10", "C1"}));
    EXPECT_EQ(calls, (Strings{"C10:0"}));  // sent for another queue's answer: no 4096

    const CommandRecord extra[] = {Read(12)};
    link.AddPollList(extra, 1);  // the run read is in flight
    EXPECT_EQ(port.written.size(), 2u);
    Answer(0, {0x01, 0x00});
    EXPECT_EQ(runField[0], 0x01);
    EXPECT_EQ(LastSent(), "C12");
    Answer();
    EXPECT_FALSE(link.AnyBusy());

    // Also while the command in flight is sent again after a time-out.
    const CommandRecord lev2[] = {Write(20)};
    link.SendLev2List(lev2, 1);
    link.SendRunList(run, 1);
    Timeout();
    EXPECT_EQ(LastSent(), "D20");
    Answer();
    EXPECT_EQ(LastSent(), "C1");
    EXPECT_TRUE(link.AnswerTimer().IsActive());
}

// A callback may do what the connection-failure dialog's Retry does: start over. The new
// command goes out at once and nothing is sent twice.
TEST_F(LinkTest, CallbackThatRestartsTheLinkSendsOnce) {
    const CommandRecord again[] = {Read(1)};
    CommandRecord poll[] = {Read(10), Read(11)};
    poll[0].Callback = [&](uint16_t, const uint8_t*, uint8_t) {
        link.ResetLink();
        link.SendRunList(again, 1);
    };
    link.SendPollList(poll, 2);
    Answer();
    EXPECT_EQ(Sent(), (Strings{"C10", "C1"}));
    EXPECT_TRUE(link.AwaitingAnswer());
    EXPECT_FALSE(link.Queue(PollQueue).busy);
}

// A modal dialog opened from a callback pumps receive events: an answer completed in
// there is dispatched without disturbing the data the callback is still looking at.
TEST_F(LinkTest, AnswerDispatchedInsideACallbackKeepsTheOuterData) {
    uint8_t innerField[4] = {};
    const CommandRecord inner[] = {Read(2, innerField, 4)};
    std::string outerSeen;
    CommandRecord outer = Read(1);
    outer.Callback = [&](uint16_t status, const uint8_t* data, uint8_t n) {
        if (status != 0) return;
        link.ResetLink();
        link.SendRunList(inner, 1);
        Answer(0, {0xCC, 0xDD, 0xEE, 0xFF});  // arrives "while the dialog is open"
        outerSeen = Hexify(data, n);
    };
    link.SendRunList(&outer, 1);
    Answer(0, {0x11, 0x22, 0x33, 0x44});
    EXPECT_EQ(outerSeen, "11 22 33 44");
    EXPECT_EQ(innerField[0], 0xCC);
    EXPECT_FALSE(link.AnyBusy());
}

// The baud switch: a 4096 callback holds the link, the port is reopened at another rate,
// then the link is released.
TEST_F(LinkTest, HoldDefersTheTimeoutAndKeepsBytesUntilRelease) {
    for (const bool discard : {true, false}) {
        SCOPED_TRACE(discard ? "discard" : "feed");
        calls.clear();
        CommandRecord run[] = {Read(1), Write(53), Read(55)};
        run[1].Callback = [&](uint16_t s, const uint8_t*, uint8_t) {
            calls.push_back("D53:" + std::to_string(s));
            if (s == CompletionStatus::Sent) link.Hold();
        };
        link.SendRunList(run, 3);
        Answer();
        ASSERT_TRUE(link.IsHeld());
        EXPECT_EQ(LastSent(), "D53");
        EXPECT_FALSE(link.AnswerTimer().IsActive());  // deferred
        Answer();  // held: kept, not parsed
        EXPECT_EQ(calls.back(), "D53:4096");
        port.Close();
        port.SetBaudRate(115200);
        port.Open();
        link.Release(discard);
        EXPECT_FALSE(link.IsHeld());
        if (discard) {
            EXPECT_TRUE(link.AnswerTimer().IsActive());
            EXPECT_EQ(link.AnswerTimer().Interval(), 200);
            EXPECT_EQ(LastSent(), "D53");
            Answer();
        } else {
            EXPECT_EQ(calls, (Strings{"C1:0", "D53:4096", "D53:0", "C55:4096"}));  // the kept answer was fed
        }
        EXPECT_EQ(LastSent(), "C55");
        Answer();
        EXPECT_FALSE(link.AnyBusy());
    }
}

TEST_F(LinkTest, TimeoutStoppedWhileHeldIsNotStartedAtRelease) {
    const CommandRecord run[] = {Read(1)};
    link.SendRunList(run, 1);
    link.Hold();
    link.ResetLink();
    link.Release(true);
    EXPECT_FALSE(link.AnswerTimer().IsActive());
}

}  // namespace
}  // namespace ordalis::test
