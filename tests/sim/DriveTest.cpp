// The drive model: every command, parameter rules, EEPROM, auto-tune and moving values.
#include <gtest/gtest.h>

#include <set>

#include "sim/Drive.h"
#include "tests/sim/SimTestUtil.h"

namespace ordalis::sim {
namespace {

using simtest::FromLe;
using simtest::Le;

struct DriveFixture : ::testing::Test {
    Drive drive{1, *FindModel("LQ340"), 7};

    Answer Read(uint16_t id, double now = 0)
    {
        auto d = Le(id, 2);
        return drive.Handle(CmdRead, d.data(), d.size(), now);
    }
    Answer Write(uint16_t id, std::vector<uint8_t> value, double now = 0)
    {
        auto d = Le(id, 2);
        d.insert(d.end(), value.begin(), value.end());
        return drive.Handle(CmdWrite, d.data(), d.size(), now);
    }
    Answer Op(uint8_t command, uint16_t option, double now = 0)
    {
        auto d = Le(option, 2);
        return drive.Handle(command, d.data(), d.size(), now);
    }
};

TEST_F(DriveFixture, EveryKnownParameterReadsInItsWidthAndUnknownIdsReportCode3)
{
    for (const DriveParam& p : DriveParameters()) {
        const Answer a = Read(p.Id);
        ASSERT_EQ(a.Status, 0) << "id " << p.Id;
        if (p.Kind == ValueKind::Text) EXPECT_EQ(std::string(a.Data.begin(), a.Data.end()), "LQ340");
        else EXPECT_EQ(a.Data.size(), p.Width) << "id " << p.Id;
    }
    for (uint16_t id : {2, 100, 161, 270, 0xFFFF}) {
        const Answer a = Read(id);
        EXPECT_EQ(a.Status, 1);
        EXPECT_EQ(a.Data, std::vector<uint8_t>{Condition::UnknownId}) << "id " << id;
    }
    EXPECT_EQ(drive.Handle(CmdCommTest, nullptr, 0, 0).Status, 0);
    EXPECT_EQ(drive.Handle(0x99, nullptr, 0, 0).Data, std::vector<uint8_t>{Condition::BadCommand});
}

TEST_F(DriveFixture, WritesAreStoredOrRefusedWithACode)
{
    struct Case {
        uint16_t id;
        std::vector<uint8_t> value;
        int code;  // 0: stored
    } cases[] = {
        {0, Le(1500, 2), 0},
        {154, Le(-40000, 4), 0},
        {137, Le(0x40, 2), 0},
        {20, Le(2500, 2), Condition::ReadOnly},
        {55, {'X'}, Condition::ReadOnly},
        {999, Le(1, 2), Condition::UnknownId},
        {53, Le(12345, 4), Condition::BadValue},
        {160, Le(5, 2), Condition::BadValue},
        {0, Le(1, 4), Condition::BadLength},
    };
    for (const Case& c : cases) {
        const Answer a = Write(c.id, c.value);
        if (c.code == 0) {
            EXPECT_EQ(a.Status, 0) << "id " << c.id;
            EXPECT_EQ(Read(c.id).Data, c.value) << "id " << c.id;
        } else {
            EXPECT_EQ(a.Data, std::vector<uint8_t>{static_cast<uint8_t>(c.code)}) << "id " << c.id;
        }
    }
}

TEST_F(DriveFixture, RefusedParameterAnswersCode1ToEveryReadAndWriteAndLeavesOthersAlone)
{
    drive.Refuse(99);
    const int64_t stored = drive.Working().Get(99);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(Read(99, i).Data, std::vector<uint8_t>{Condition::Refused});
        EXPECT_EQ(Write(99, Le(stored + 1, 2), i).Data, std::vector<uint8_t>{Condition::Refused});
    }
    EXPECT_EQ(drive.Working().Get(99), stored);
    EXPECT_EQ(Read(98).Status, 0);
    EXPECT_EQ(Write(0, Le(1500, 2)).Status, 0);
}

TEST_F(DriveFixture, BaudRateWriteAsksForTheNewRateAfterTheAnswer)
{
    const Answer a = Write(53, Le(115200, 4));
    EXPECT_EQ(a.Status, 0);
    EXPECT_EQ(a.NewLineRate, 115200);
    EXPECT_EQ(drive.LineRate(), 9600);  // the bus switches once the answer is out
}

TEST_F(DriveFixture, FaultWordAndCodeReadBackAndClearingTheWordClearsTheCode)
{
    drive.Working().Set(137, 0x0800);
    drive.Working().Set(138, 0x1F);
    EXPECT_EQ(FromLe(Read(137).Data, false), 0x0800);
    EXPECT_EQ(FromLe(Read(138).Data, false), 0x1F);
    Write(137, Le(0, 2));
    EXPECT_EQ(FromLe(Read(138).Data), 0);
}

TEST_F(DriveFixture, EepromWriteKeepsTheWorkingSetAndReadRestoresIt)
{
    int saved = 0;
    drive.OnEepromWrite = [&](Drive&) { ++saved; };
    Write(0, Le(777, 2));
    EXPECT_EQ(Op(CmdEeprom, 1).Status, 0);
    EXPECT_EQ(saved, 1);
    Write(0, Le(5, 2));
    EXPECT_EQ(Op(CmdEeprom, 0).Status, 0);
    EXPECT_EQ(FromLe(Read(0).Data), 777);
    EXPECT_EQ(Op(CmdEeprom, 2).Status, 0);  // factory values
    EXPECT_EQ(FromLe(Read(0).Data), FindModel("LQ340")->Cp);
    EXPECT_EQ(Op(CmdEeprom, 9).Data, std::vector<uint8_t>{Condition::BadCommand});
}

TEST_F(DriveFixture, AutoTuneIsRefusedWithCode10WhenDisabledOrInFault)
{
    for (int bit : {5, 6, 0, 11}) {
        drive.Working().Set(137, 1 << bit);
        EXPECT_EQ(Op(CmdStudy, 0).Data, std::vector<uint8_t>{Condition::DisabledOrFault}) << "bit " << bit;
    }
    EXPECT_EQ(FromLe(Read(0).Data), 1200);  // nothing tuned
}

TEST_F(DriveFixture, AutoTuneMovesGainsAndMotorValuesOverTwoSeconds)
{
    const uint16_t ids[] = {0, 1, 127, 128};
    int64_t before[4], middle[4], after[4];
    for (int i = 0; i < 4; ++i) before[i] = FromLe(Read(ids[i], 0).Data);
    ASSERT_EQ(Op(CmdStudy, 0, 100).Status, 0);
    EXPECT_EQ(Op(CmdStudy, 0, 200).Data, std::vector<uint8_t>{Condition::Busy});
    for (int i = 0; i < 4; ++i) middle[i] = FromLe(Read(ids[i], 1100).Data);
    for (int i = 0; i < 4; ++i) after[i] = FromLe(Read(ids[i], 2200).Data);
    EXPECT_NE(middle[3], before[3]);  // resistance is measured first
    EXPECT_EQ(middle[0], before[0]);  // gains come last
    for (int i = 0; i < 4; ++i) EXPECT_NE(after[i], before[i]) << "id " << ids[i];
    EXPECT_FALSE(drive.Tuning(2200));
    EXPECT_EQ(Op(CmdStudy, 0, 2300).Status, 0);  // may run again
}

TEST_F(DriveFixture, MeasurementsMoveAndTheSpeedGeneratorDrivesInputsAndTemperature)
{
    std::set<int64_t> volts;
    for (int i = 0; i < 20; ++i) {
        const int64_t v = FromLe(Read(20, i).Data, false);
        EXPECT_NEAR(v, 2400, 30);
        volts.insert(v);
    }
    EXPECT_GT(volts.size(), 3u);
    const int64_t cold = FromLe(Read(151, 0).Data);
    Write(154, Le(40000, 4));  // 600 RPM
    Write(160, Le(14, 2));
    EXPECT_TRUE(drive.GeneratorRunning());
    std::set<int64_t> inputs;
    for (int i = 0; i < 20; ++i) inputs.insert(FromLe(Read(139, 10 + i).Data, false) & 0x0300);
    EXPECT_GT(inputs.size(), 1u);  // pulse input toggles, direction set
    EXPECT_GT(FromLe(Read(151, 300000).Data), cold + 50);
    drive.Working().Set(137, 1 << 6);  // freed motor stops
    EXPECT_FALSE(drive.GeneratorRunning());
}

}  // namespace
}  // namespace ordalis::sim
