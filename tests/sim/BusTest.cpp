// The bus: line rates, the 110-baud wake-up, the baud switch, silence, answer shapes.
#include <gtest/gtest.h>

#include <set>

#include "sim/Bus.h"
#include "tests/sim/SimTestUtil.h"

namespace ordalis::sim {
namespace {

using simtest::ParseAnswers;
using simtest::Read;

struct BusFixture : ::testing::Test {
    Bus bus{3};
    BusFixture()
    {
        bus.AddDrive(1, *FindModel("LQ340"));
        bus.AddDrive(10, *FindModel("HV120"));
    }
    std::vector<Outgoing> Send(const std::vector<uint8_t>& frame, int32_t rate, double now = 0)
    {
        return bus.Receive(frame.data(), frame.size(), rate, now);
    }
};

TEST_F(BusFixture, OnlyTheAddressedDriveAnswersAndOnlyAtItsRate)
{
    auto out = Send(Read(37, 1), 9600);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].Address, 1);
    out = Send(Read(37, 10), 9600, 100);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].Address, 10);
    EXPECT_TRUE(Send(Read(37, 5), 9600, 200).empty());     // nobody at 5
    EXPECT_TRUE(Send(Read(37, 1), 115200, 300).empty());   // wrong speed: garbage
    EXPECT_TRUE(Send(Read(37, 1), 110, 400).empty());
}

TEST_F(BusFixture, ZeroByteAt110BaudWakesEveryDriveTo9600)
{
    bus.Find(1)->SetLineRate(115200);
    bus.Find(10)->SetLineRate(38400);
    EXPECT_TRUE(Send(Read(0, 1), 9600).empty());
    const uint8_t notZero = 0x55, zero = 0;
    bus.Receive(&notZero, 1, 110, 100);
    EXPECT_EQ(bus.Find(1)->LineRate(), 115200);
    bus.Receive(&zero, 1, 9600, 150);  // a zero at another speed is no wake-up
    EXPECT_EQ(bus.Find(1)->LineRate(), 115200);
    bus.Receive(&zero, 1, 110, 200);
    EXPECT_EQ(bus.Find(1)->LineRate(), 9600);
    EXPECT_EQ(bus.Find(10)->LineRate(), 9600);
    EXPECT_EQ(Send(Read(0, 1), 9600, 400).size(), 1u);
}

TEST_F(BusFixture, BaudWriteIsAnsweredAtTheOldRateAndTheNewRateHoldsFromTheNextFrame)
{
    std::vector<uint8_t> rate = simtest::Le(115200, 4);
    auto out = Send(simtest::Request(CmdWrite, 53, rate, 1), 9600);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].Rate, 9600);
    EXPECT_EQ(out[0].Status, 0);
    EXPECT_TRUE(Send(Read(0, 1), 9600, 100).empty());
    out = Send(Read(0, 1), 115200, 200);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].Rate, 115200);
    EXPECT_EQ(bus.Find(10)->LineRate(), 9600);  // the other drive was not told
}

TEST_F(BusFixture, AnswersUseMixedKeysAndSyncCountsAndDecodeToTheValue)
{
    std::set<bool> scrambled;
    std::set<int> syncs;
    for (int i = 0; i < 60; ++i) {
        auto out = Send(Read(37, 1, static_cast<uint8_t>(i)), 9600, 100.0 * i);
        ASSERT_EQ(out.size(), 1u);
        const auto answers = ParseAnswers(out[0].Bytes);
        ASSERT_EQ(answers.size(), 1u);
        EXPECT_TRUE(answers[0].CrcOk);
        EXPECT_EQ(answers[0].Address, 1);
        EXPECT_EQ(answers[0].Data, (std::vector<uint8_t>{0x90, 0x01}));  // 400
        scrambled.insert(answers[0].Key != kPlainKey);
        syncs.insert(answers[0].SyncCount);
    }
    EXPECT_EQ(scrambled.size(), 2u);
    EXPECT_EQ(syncs, (std::set<int>{1, 2, 3}));
}

TEST_F(BusFixture, CorruptedRequestIsRefusedWithCode1)
{
    auto frame = Read(37, 1, kPlainKey);
    frame[8] ^= 0x01;  // parameter id byte
    auto out = Send(frame, 9600);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].Status, 1);
    EXPECT_EQ(out[0].Data, std::vector<uint8_t>{Condition::Refused});
}

TEST_F(BusFixture, FrameSplitByShortGapsIsAssembledAndALongGapDropsTheHalfFrame)
{
    const auto frame = Read(37, 1);
    EXPECT_TRUE(bus.Receive(frame.data(), 6, 9600, 0).empty());
    EXPECT_EQ(bus.Receive(frame.data() + 6, frame.size() - 6, 9600, 10).size(), 1u);
    EXPECT_TRUE(bus.Receive(frame.data(), 6, 9600, 100).empty());
    EXPECT_TRUE(bus.Receive(frame.data() + 6, frame.size() - 6, 9600, 130).empty());
    EXPECT_EQ(Send(frame, 9600, 200).size(), 1u);
}

}  // namespace
}  // namespace ordalis::sim
