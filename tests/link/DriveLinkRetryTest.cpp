#include "tests/link/LinkFixture.h"

namespace ordalis::test {
namespace {

TEST_F(LinkTest, NoAnswerAfterOnePlusThreeSendsGives131) {
    const CommandRecord lev2[] = {Write(20), Write(21)};
    link.SendLev2List(lev2, 2);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(Timeout());
        EXPECT_TRUE(link.AnswerTimer().IsActive());
    }
    EXPECT_EQ(Sent(), Strings(4, "D20"));
    EXPECT_TRUE(calls.empty());  // re-sends are silent
    ASSERT_TRUE(Timeout());
    EXPECT_EQ(calls, Strings{"D20:131"});
    EXPECT_FALSE(link.Queue(Lev2Queue).busy);
    EXPECT_EQ(link.Queue(Lev2Queue).count, 2);  // table, count and index stay
    EXPECT_FALSE(link.AnswerTimer().IsActive());
    EXPECT_FALSE(link.AwaitingAnswer());
    EXPECT_EQ(port.written.size(), 4u);
}

TEST_F(LinkTest, TimedOutPollQueueIsCleared) {
    const CommandRecord poll[] = {Read(10), Read(11)};
    link.SendPollList(poll, 2);
    for (int i = 0; i < 4; ++i) Timeout();
    EXPECT_EQ(calls, Strings{"C10:131"});
    EXPECT_EQ(link.Queue(PollQueue).count, 0);
    link.ResetLink();
    link.SendPollList(poll, 2);  // accepted again once the link is reset
    EXPECT_EQ(port.written.size(), 5u);
    EXPECT_EQ(LastSent(), "C10");
}

TEST_F(LinkTest, AnswerAfterATimeoutResendCountsForTheRecord) {
    const CommandRecord run[] = {Read(1), Read(2)};
    link.SendRunList(run, 2);
    Timeout();
    Answer();
    EXPECT_EQ(Sent(), (Strings{"C1", "C1", "C2"}));
    EXPECT_EQ(link.Queue(RunQueue).timeoutRetries, 0);
}

TEST_F(LinkTest, RunTimeoutAndRetriesSetters) {
    link.SetRunTimeout(100);
    link.SetRunRetries(1);
    const CommandRecord run[] = {Read(1)};
    link.SendRunList(run, 1);
    EXPECT_EQ(link.AnswerTimer().Interval(), 100);
    timers.Advance(99);
    EXPECT_EQ(port.written.size(), 1u);
    timers.Advance(1);
    EXPECT_EQ(port.written.size(), 2u);
    timers.Advance(100);
    EXPECT_EQ(calls, Strings{"C1:131"});
    // Other queues keep their 200 ms and 3 re-sends; ResetLink keeps the RunQueue's values.
    link.ResetLink();
    EXPECT_EQ(link.Queue(RunQueue).answerTimeout, 100);
    EXPECT_EQ(link.Queue(RunQueue).timeoutRetryLimit, 1);
    EXPECT_EQ(link.Queue(PollQueue).answerTimeout, 200);
}

// Error answers: a bad CRC and status byte 1 with code 1 are treated alike.
TEST_F(LinkTest, ErrorAnswersRetryThenSkipWith132) {
    struct Case {
        const char* name;
        uint8_t level;
    };
    for (const Case c : {Case{"poll", PollQueue}, Case{"lev2", Lev2Queue}}) {
        calls.clear();
        port.written.clear();
        const CommandRecord list[] = {Read(1), Read(2)};
        if (c.level == PollQueue)
            link.SendPollList(list, 2);
        else
            link.SendLev2List(list, 2);
        BadAnswer();
        Answer(1, {1});
        BadAnswer();
        EXPECT_EQ(calls, Strings(3, "C1:129")) << c.name;
        BadAnswer();  // fourth error answer
        EXPECT_EQ(calls.back(), "C1:132") << c.name;
        EXPECT_EQ(Sent(), (Strings{"C1", "C1", "C1", "C1", "C2"})) << c.name;
        Answer();
        EXPECT_EQ(calls.back(), "C2:0");
        EXPECT_FALSE(link.AnyBusy());
    }
}

TEST_F(LinkTest, RunQueueErrorRetriesAreAnnouncedOnlyBy4096) {
    const CommandRecord run[] = {Read(1), Read(2)};
    link.SendRunList(run, 2);
    for (int i = 0; i < 3; ++i) BadAnswer();
    EXPECT_EQ(calls, Strings(3, "C1:4096"));
    BadAnswer();
    EXPECT_EQ(calls, (Strings{"C1:4096", "C1:4096", "C1:4096", "C1:132", "C2:4096"}));
}

TEST_F(LinkTest, ErrorRetryCountReachesAcrossATimeoutReset) {
    const CommandRecord poll[] = {Read(1)};
    link.SendPollList(poll, 1);
    BadAnswer();
    BadAnswer();
    Timeout();  // clears the error retries of every queue
    BadAnswer();
    BadAnswer();
    BadAnswer();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "C1:129"), 5);
    BadAnswer();
    EXPECT_EQ(calls.back(), "C1:132");
}

// Queues loaded behind one that times out used to be served once it gave up, each costing
// four frames to the dead drive and a 131 of its own. They are dropped.
TEST_F(LinkTest, QueuesWaitingBehindATimedOutOneAreDropped) {
    const CommandRecord run[] = {Read(1)};
    const CommandRecord poll[] = {Read(10)};
    const CommandRecord lev2[] = {Write(20)};
    link.SendLev2List(lev2, 1);
    link.SendRunList(run, 1);
    link.SendPollList(poll, 1);
    EXPECT_EQ(Sent(), Strings{"D20"});
    for (int i = 0; i < 4; ++i) Timeout();
    EXPECT_EQ(calls, Strings{"D20:131"});
    EXPECT_EQ(Sent(), Strings(4, "D20"));
    EXPECT_FALSE(link.AnyBusy());
    link.ResetLink();
    link.SendPollList(poll, 1);
    Answer();
    EXPECT_EQ(LastSent(), "C10");
    EXPECT_FALSE(link.AnyBusy()) << "the dropped run list does not come back";
}

}  // namespace
}  // namespace ordalis::test
