// Fault plans, the command line and the EEPROM state file.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <algorithm>

#include "sim/Faults.h"
#include "sim/Options.h"
#include "sim/StateFile.h"
#include "tests/sim/SimTestUtil.h"

namespace ordalis::sim {
namespace {

TEST(FaultList, ParsesEveryFaultAndRejectsBadOnes)
{
    FaultOptions f;
    std::string error;
    ASSERT_TRUE(ParseFaults("drop=0.1,corrupt=0.05,delay=30,chunk,noise=0.02,unplug-after=7", f, error)) << error;
    EXPECT_DOUBLE_EQ(f.Drop, 0.1);
    EXPECT_DOUBLE_EQ(f.Corrupt, 0.05);
    EXPECT_DOUBLE_EQ(f.DelayMs, 30);
    EXPECT_TRUE(f.Chunk);
    EXPECT_DOUBLE_EQ(f.Noise, 0.02);
    EXPECT_EQ(f.UnplugAfter, 7);
    for (const char* bad : {"drop=2", "drop=", "delay=-1", "chunk=1", "unplug-after=x", "jitter=3"}) {
        FaultOptions g;
        EXPECT_FALSE(ParseFaults(bad, g, error)) << bad;
    }
}

TEST(FaultPlan, IsRepeatableAndNeverTouchesKeyOrLength)
{
    FaultOptions f;
    f.Drop = 0.1;
    f.Corrupt = 0.3;
    f.Noise = 0.2;
    f.Chunk = true;
    FaultInjector a(f, 42), b(f, 42);
    const std::vector<uint8_t> frame = EncodeAnswer(1, 0, std::vector<uint8_t>{0x90, 0x01}.data(), 2, 0x3C, 2);
    int dropped = 0, corrupted = 0;
    for (int i = 0; i < 2000; ++i) {
        const AnswerPlan p = a.Plan(frame, 2), q = b.Plan(frame, 2);
        ASSERT_EQ(p.Dropped, q.Dropped);
        ASSERT_EQ(p.CorruptedAt, q.CorruptedAt);
        if (p.Dropped) {
            ++dropped;
            continue;
        }
        std::vector<uint8_t> wire;
        for (const Piece& piece : p.Pieces) {
            wire.insert(wire.end(), piece.Bytes.begin(), piece.Bytes.end());
            EXPECT_LT(piece.GapAfterMs, 20);  // shorter than the receiver's frame reset
        }
        std::vector<uint8_t> tail(wire.end() - static_cast<long>(frame.size()), wire.end());
        EXPECT_EQ(std::count(wire.begin(), wire.end() - static_cast<long>(frame.size()), uint8_t{0xE0}), 0);
        if (p.CorruptedAt >= 0) {
            ++corrupted;
            EXPECT_NE(p.CorruptedAt, 3);  // key
            EXPECT_NE(p.CorruptedAt, 5);  // length
            EXPECT_NE(tail, frame);
            // Whatever was flipped, the receiver never takes a wrong value for a good answer
            // (a flipped spare sync byte leaves the frame intact).
            for (const auto& ans : simtest::ParseAnswers(tail)) {
                if (ans.CrcOk) {
                    EXPECT_EQ(ans.Data, (std::vector<uint8_t>{0x90, 0x01}));
                }
            }
        } else {
            EXPECT_EQ(tail, frame);
        }
    }
    EXPECT_NEAR(dropped, 200, 60);
    EXPECT_NEAR(corrupted, 540, 90);
}

TEST(CommandLine, AcceptsTheDocumentedFormsAndRejectsMistakes)
{
    SimOptions o;
    std::string error;
    ASSERT_TRUE(ParseOptions({"--link", "/tmp/x", "--drive", "1:LQ340", "--drive", "10:HV120", "--param",
                              "1:137=0x0800", "--param", "10:55=HV120", "--seed", "9", "--fault",
                              "drop=0.1,chunk", "--pace", "--sync", "2-4", "--keys", "plain", "--log", "/tmp/l",
                              "--refuse", "10:99", "--stamps", "/tmp/s"},
                             o, error))
        << error;
    ASSERT_EQ(o.Drives.size(), 2u);
    EXPECT_EQ(o.Drives[1].Address, 10);
    EXPECT_EQ(o.Params[0].Id, 137);
    EXPECT_EQ(o.Params[0].Value, "0x0800");
    ASSERT_EQ(o.Refusals.size(), 1u);
    EXPECT_EQ(o.Refusals[0].Address, 10);
    EXPECT_EQ(o.Refusals[0].Id, 99);
    EXPECT_EQ(o.Seed, 9u);
    EXPECT_TRUE(o.Pace);
    EXPECT_EQ(o.Style.SyncMin, 2);
    EXPECT_EQ(o.Style.Keys, KeyMode::Plain);
    EXPECT_EQ(o.StampsFile, "/tmp/s");

    const std::vector<std::vector<std::string>> bad = {
        {"--drive", "16:LQ340"},  {"--drive", "1:LQ999"},     {"--drive", "1:LQ340", "--drive", "1:HV120"},
        {"--param", "2:0=5"},     {"--param", "1:x=5"},       {"--sync", "0"},
        {"--keys", "odd"},        {"--fault", "drop=5"},      {"--link"},
        {"--bogus"},              {"--refuse", "1:x"},        {"--refuse", "2:99"},
        {"--stamps"},
    };
    for (const auto& args : bad) {
        SimOptions p;
        EXPECT_FALSE(ParseOptions(args, p, error)) << args[0] << " " << (args.size() > 1 ? args[1] : "");
    }
    SimOptions d;
    ASSERT_TRUE(ParseOptions({}, d, error));
    ASSERT_EQ(d.Drives.size(), 1u);  // 1:LQ340 by default
}

TEST(StateFile, EepromImageSurvivesARestartIncludingTheLineRate)
{
    const std::string path = (std::filesystem::temp_directory_path() / "ordalis-sim-state-test.txt").string();
    std::remove(path.c_str());
    std::string error;
    {
        Drive a(1, *FindModel("LQ340"), 1), b(10, *FindModel("HV120"), 1);
        ASSERT_TRUE(LoadState(path, {&a, &b}, error));  // no file yet: nothing loaded
        a.Working().Set(0, 4321);
        a.Working().Set(53, 57600);
        a.Working().Set(137, 0x40);  // runtime state: not stored
        for (const auto& [id, e] : a.Working().Entries()) a.Eeprom().Set(id, e.Value);
        ASSERT_TRUE(SaveState(path, {&a, &b}, error)) << error;
    }
    Drive a(1, *FindModel("LQ340"), 1), other(1, *FindModel("TR340"), 1);
    ASSERT_TRUE(LoadState(path, {&a}, error)) << error;
    EXPECT_EQ(a.Working().Get(0), 4321);
    EXPECT_EQ(a.LineRate(), 57600);
    EXPECT_EQ(a.Working().Get(137), 0);
    ASSERT_TRUE(LoadState(path, {&other}, error));
    EXPECT_EQ(other.Working().Get(0), FindModel("TR340")->Cp);  // another model ignores the block
    std::remove(path.c_str());
}

}  // namespace
}  // namespace ordalis::sim
