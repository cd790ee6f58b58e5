// The sampling arithmetic of the trace recorder and the wait for a recording.
#include <gtest/gtest.h>

#include "core/CaptureSequence.h"

namespace ordalis {
namespace {

TEST(ComputeSampling, WorkedExamples) {
    struct Case {
        uint32_t t;
        uint16_t max;
        uint32_t res;
        uint16_t period;
        uint32_t interval;
        uint16_t n;
    } cases[] = {
        {25000, 1000, 50000, 1, 50, 500},
        {5000000, 1000, 50000, 100, 5000, 1000},
        {500000, 1000, 50000, 10, 500, 1000},
        {125000, 250, 50000, 10, 500, 250},   // six 32-bit channels
        {50000, 1000, 62500, 1, 62, 806},     // interval truncated to whole us; N within the capacity
    };
    for (const Case& c : cases) {
        const Sampling s = ComputeSampling(c.t, c.max, c.res, {});
        EXPECT_EQ(s.SampPeriod, c.period) << c.t << " us";
        EXPECT_EQ(s.SampleInterval, c.interval) << c.t << " us";
        EXPECT_EQ(s.SampleCount, c.n) << c.t << " us";
    }
}

// Used to divide by zero (interval 0 us) or give N = 0 when the recorder was not known.
TEST(ComputeSampling, UnknownRecorderOrSubMicrosecondIntervalNeverDividesByZero) {
    const Sampling before{7, 50, 500};
    const Sampling noCapacity = ComputeSampling(25000, 0, 50000, before);
    EXPECT_EQ(noCapacity.SampPeriod, 1);
    EXPECT_EQ(noCapacity.SampleInterval, 50u);
    EXPECT_EQ(noCapacity.SampleCount, 500);
    const Sampling noResolution = ComputeSampling(25000, 1000, 0, before);
    EXPECT_EQ(noResolution.SampPeriod, 1);
    EXPECT_EQ(noResolution.SampleCount, 500);

    // 500 ns resolution: one sample every 0.5 us, counted in ns and bounded by the capacity.
    const Sampling fast = ComputeSampling(25000, 60000, 500, {});
    EXPECT_EQ(fast.SampleInterval, 0u);
    EXPECT_EQ(fast.SampPeriod, 1);
    EXPECT_EQ(fast.SampleCount, 50000);
    // N never drops to 0 by being kept to 16 bits, and never exceeds the capacity.
    const Sampling huge = ComputeSampling(5000000, 65535, 1000, {});
    EXPECT_GE(huge.SampleCount, 1);
    EXPECT_LE(huge.SampleCount, 65535);
    EXPECT_EQ(ComputeSampling(1, 1000, 50000, {}).SampleCount, 1);
}

TEST(RecorderWait, RemainingTimeLess200Ms) {
    EXPECT_EQ(RecorderWaitMs(1000, 0, 50000, 10), 300);   // 500 ms left
    EXPECT_EQ(RecorderWaitMs(1000, 600, 50000, 10), 0);   // 200 ms left: no wait
    EXPECT_EQ(RecorderWaitMs(1000, 590, 50000, 10), 5);   // 205 ms left
    EXPECT_EQ(RecorderWaitMs(1000, 1200, 50000, 10), 0);  // more recorded than the capacity
}

}  // namespace
}  // namespace ordalis
