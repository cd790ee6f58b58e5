// The answer time-out follows the line speed: a request whose longest answer needs longer
// on the wire than the queue's time-out gets that wire time plus a margin.
#include <gtest/gtest.h>

#include "link/Codec.h"
#include "link/DriveLink.h"
#include "model/CommandLists.h"
#include "tests/support/FakePort.h"
#include "tests/support/FakeTimer.h"
#include "tests/support/RecordingPrompt.h"

namespace ordalis {
namespace {

struct TimeoutTest : ::testing::Test {
    test::FakePort port;
    test::FakeTimerFactory timers;
    test::RecordingPrompt prompt;
    DriveLink link{port, timers, prompt, 3};
    ParameterMirror mirror;
    TraceBlock trace;
    DriveCallbacks callbacks;
    CommandLists lists{mirror, trace, callbacks};
    std::vector<uint16_t> statuses;

    TimeoutTest() {
        callbacks.SamplesDataDone = [this](uint16_t s, const uint8_t*, uint8_t) { statuses.push_back(s); };
    }
    // The last record of TraceStartList alone: one sample request.
    CommandList SampleRequest() const { return {lists.TraceStartList.Records + 4, 1}; }
};

TEST_F(TimeoutTest, FollowsTheLongestAnswerAtTheLineSpeed) {
    struct Case {
        int32_t baud;
        bool samples;
        uint8_t queueMs;
        int expected;
    } cases[] = {
        {9600, true, 200, 341},   // 15 + 264 bytes: 291 ms on the wire, + 50
        {19200, true, 200, 200},  // 145 + 50 < 200
        {115200, true, 200, 200},
        {9600, false, 200, 200},  // a 2-byte read
        {9600, false, 100, 100},  // the address search keeps its 100 ms
    };
    for (const Case& c : cases) {
        port.SetBaudRate(c.baud);
        link.ResetLink();
        link.SetRunTimeout(c.queueMs);
        if (c.samples) {
            link.SendRunList(SampleRequest());
        } else {
            link.SendRunList({lists.TraceSetupList.Records + 8, 1});  // MaxSamples
        }
        EXPECT_EQ(link.AnswerTimer().Interval(), c.expected) << c.baud << (c.samples ? " samples" : " read");
    }
}

// Used to time out at 200 ms and re-send while a full sample answer (about 280 ms at
// 9600 baud) was still on its way: a converter that hands the bytes over in one piece
// at the end never even showed a frame under way.
TEST_F(TimeoutTest, FullSampleAnswerAt9600ArrivesInTime) {
    port.SetBaudRate(9600);
    link.SendRunList(SampleRequest());
    ASSERT_EQ(port.written.size(), 1u);
    timers.Advance(300);
    const std::vector<uint8_t> data(255, 0x11);
    port.Inject(EncodeAnswer(0, 0, data.data(), 255));
    EXPECT_EQ(port.written.size(), 1u);  // not re-sent
    EXPECT_EQ(statuses, std::vector<uint16_t>{Answered});
}

}  // namespace
}  // namespace ordalis
