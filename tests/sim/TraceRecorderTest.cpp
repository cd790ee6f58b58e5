// The trace recorder through the drive: settings, recording timeline, sample sets and
// waveforms that agree with each other.
#include <gtest/gtest.h>

#include <cmath>

#include "sim/Drive.h"
#include "tests/sim/SimTestUtil.h"

namespace ordalis::sim {
namespace {

using simtest::FromLe;
using simtest::Le;

struct TraceFixture : ::testing::Test {
    Drive drive{1, *FindModel("LQ340"), 11};

    Answer Trace(uint16_t id, std::vector<uint8_t> payload = {}, double now = 0)
    {
        auto d = Le(id, 2);
        d.insert(d.end(), payload.begin(), payload.end());
        return drive.Handle(CmdTrace, d.data(), d.size(), now);
    }
    void Channels(std::initializer_list<int> codes)
    {
        int k = 0;
        for (int c : codes) Trace(static_cast<uint16_t>(k++), Le(c, 2));
        for (; k < 6; ++k) Trace(static_cast<uint16_t>(k), Le(0, 2));
    }
    // Record with SampPeriod 1 from t=0 and fetch all sets of the recording.
    std::vector<uint8_t> Capture(uint16_t count, double& endMs)
    {
        Trace(10, Le(1, 2));
        Trace(15, Le(0x8000, 2), 0);
        endMs = drive.Recorder().RecordingMs() + 1;
        std::vector<uint8_t> all;
        while (true) {
            const uint32_t req = (uint32_t{count} << 16) | static_cast<uint32_t>(all.size() / drive.Recorder().SetSize());
            const Answer a = Trace(16, Le(req, 4), endMs);
            EXPECT_EQ(a.Status, 0);
            if (a.Data.empty()) break;
            all.insert(all.end(), a.Data.begin(), a.Data.end());
        }
        return all;
    }
};

TEST_F(TraceFixture, ItemsReadAsTheHostExpects)
{
    EXPECT_EQ(FromLe(Trace(9).Data), 50000);   // SampleResolution, ns
    EXPECT_EQ(Trace(8).Data.size(), 4u);       // ChannelNum
    EXPECT_EQ(FromLe(Trace(0).Data), 1);
    EXPECT_EQ(FromLe(Trace(13).Data), 1000);   // two 16-bit channels fit 1000 samples
    Channels({4, 5, 6, 7, 8, 9});              // six 32-bit channels: 6000 / 24
    EXPECT_EQ(FromLe(Trace(13).Data), 250);
    EXPECT_EQ(Trace(0, Le(27, 2)).Data, std::vector<uint8_t>{Condition::BadValue});
    EXPECT_EQ(Trace(11).Data, std::vector<uint8_t>{Condition::UnknownId});
    EXPECT_EQ(Trace(13, Le(5, 2)).Data, std::vector<uint8_t>{Condition::ReadOnly});
}

TEST_F(TraceFixture, RecordingRunsForMaxSamplesTimesTheSamplePeriod)
{
    EXPECT_EQ(FromLe(Trace(15).Data), 0);
    Trace(10, Le(10, 2));  // 10 x 50 us: 1000 samples take 500 ms
    Trace(15, Le(0x8000, 2), 1000);
    EXPECT_EQ(Trace(16, Le(500u << 16, 4), 1100).Data, std::vector<uint8_t>{Condition::NotReady});
    EXPECT_EQ(FromLe(Trace(15, {}, 1100).Data, false), 0x1000);
    EXPECT_NEAR(FromLe(Trace(14, {}, 1100).Data), 200, 1);
    EXPECT_EQ(FromLe(Trace(15, {}, 1501).Data, false), 0x0800);
    EXPECT_EQ(FromLe(Trace(14, {}, 1501).Data), 1000);
}

TEST_F(TraceFixture, SamplesComeAsWholeSetsOfAtMost255Bytes)
{
    double end = 0;
    Trace(10, Le(1, 2));
    Trace(15, Le(0x8000, 2), 0);
    end = drive.Recorder().RecordingMs() + 1;
    EXPECT_EQ(Trace(16, Le(500u << 16, 4), end).Data.size(), 252u);             // 63 sets of 4 bytes
    EXPECT_EQ(Trace(16, Le((500u << 16) | 498, 4), end).Data.size(), 8u);        // the last two
    EXPECT_TRUE(Trace(16, Le((500u << 16) | 500, 4), end).Data.empty());
    Channels({1, 4, 12});  // 2 + 4 + 2: sets of 8 bytes, 31 per answer
    const auto data = Capture(300, end);
    EXPECT_EQ(data.size(), 300u * 8);
}

TEST_F(TraceFixture, PositionIsTheIntegralOfVelocityAndCurrentsAreSines)
{
    drive.Working().Set(154, 40000);  // 600 RPM
    drive.Working().Set(160, 14);
    Channels({4, 8, 1});
    double end = 0;
    ASSERT_EQ(drive.Recorder().MaxSamples(), 600);  // 6000 bytes in sets of 10
    const auto data = Capture(600, end);
    ASSERT_EQ(data.size(), 600u * 10);
    const auto at = [&](size_t set, size_t offset, size_t n) {
        return FromLe(std::vector<uint8_t>(data.begin() + set * 10 + offset, data.begin() + set * 10 + offset + n));
    };
    const double seconds = 599 * 50e-6;
    const double counts = double(at(599, 4, 4) - at(0, 4, 4));
    const double rawVelocity = double(at(300, 0, 4));
    EXPECT_NEAR(counts / seconds, rawVelocity / 10.0, rawVelocity / 1000.0);  // RPM = raw x 6 / counts-per-rev
    int64_t lo = 0, hi = 0;
    for (size_t i = 0; i < 600; ++i) lo = std::min(lo, at(i, 8, 2)), hi = std::max(hi, at(i, 8, 2));
    EXPECT_NEAR(hi, 280, 3);  // continuous current 2.80 A
    EXPECT_NEAR(lo, -280, 3);
}

TEST(TraceSizes, FollowTheTraceInfoTable)
{
    for (int code = 0; code < kTraceCodes; ++code) {
        const uint16_t expected = code == 0 ? 0 : (code >= 4 && code <= 11) ? 4 : 2;
        EXPECT_EQ(TraceSampleSize(code), expected) << "code " << code;
        std::vector<uint8_t> out;
        AppendTraceSample(out, code, 0.01, MotionSnapshot{}, 3);
        EXPECT_EQ(out.size(), expected);
    }
}

}  // namespace
}  // namespace ordalis::sim
