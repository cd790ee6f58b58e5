// The program's link end to end: the connect sequence with its wake-up and baud switch,
// the read-back, the poll lists, a write and its read-back, the auto-tune refusal.
// Frames at a speed other than the drive's are garbage to the simulator, so a broken
// wake-up or baud switch leaves these tests without answers.
#include <gtest/gtest.h>

#include "sim/Parameters.h"
#include "tests/sim/LinkOverSim.h"

namespace ordalis::simtest {
namespace {

// What a factory-fresh simulated drive holds, by the simulator's own table.
int64_t Factory(const char* model, uint8_t address, uint16_t id)
{
    return sim::FactoryDefaults(*sim::FindModel(model), address).Get(id);
}

int64_t MirrorValue(ParameterMirror& m, uint16_t id)
{
    const ParamInfo* p = FindParameter(id);
    switch (p->Type) {
    case ParamType::I16: return m.GetI16(id);
    case ParamType::U16: return m.GetU16(id);
    default: return m.GetI32(id);
    }
}

TEST(LinkOverSimulator, ConnectWakesTheDriveSwitchesTo115200AndReadsBack34Parameters)
{
    // The drive still runs at 38400 from an earlier session: only the wake-up reaches it.
    LinkOverSim t({"--drive", "1:LQ340", "--param", "1:53=38400", "--seed", "3"});
    ASSERT_TRUE(t.Start()) << t.sim.Output();
    ASSERT_TRUE(t.Connect(115200, 1)) << "identify status " << t.identifyStatus << "\n" << t.sim.Output();
    EXPECT_EQ(t.session.mirror.ModelName(), "LQ340");
    EXPECT_EQ(t.port.BaudRate(), 115200);

    std::vector<uint16_t> statuses;
    t.session.callbacks.ReadBackStep = [&](uint16_t s, const uint8_t*, uint8_t) {
        if (s != Sent) statuses.push_back(s);
    };
    t.session.link.SendRunList(t.session.lists.ReadBackList34);
    ASSERT_TRUE(t.RunIdle());
    ASSERT_EQ(statuses.size(), 34u);
    for (uint16_t s : statuses) EXPECT_EQ(s, Answered);
    for (const CommandRecord* r = t.session.lists.ReadBackList34.Records;
         r != t.session.lists.ReadBackList34.Records + 34; ++r)
        EXPECT_EQ(MirrorValue(t.session.mirror, r->ParamId), Factory("LQ340", 1, r->ParamId)) << "id " << r->ParamId;
    EXPECT_EQ(t.connectionFailures, 0);
    EXPECT_TRUE(t.prompt.messages.isEmpty()) << t.prompt.messages.join("; ").toStdString();
}

TEST(LinkOverSimulator, ConnectsToTheHv120BesideAnotherDriveAndReadsBack24)
{
    LinkOverSim t({"--drive", "1:LQ340", "--drive", "10:HV120"});
    ASSERT_TRUE(t.Start()) << t.sim.Output();
    ASSERT_TRUE(t.Connect(57600, 10)) << t.sim.Output();
    EXPECT_EQ(t.session.mirror.ModelName(), "HV120");
    int answered = 0;
    t.session.callbacks.ReadBackStep = [&](uint16_t s, const uint8_t*, uint8_t) { answered += s == Answered; };
    t.session.link.SendRunList(t.session.lists.ReadBackList24);
    ASSERT_TRUE(t.RunIdle());
    EXPECT_EQ(answered, 24);
    EXPECT_EQ(t.session.mirror.GetI32(129), Factory("HV120", 10, 129));
    EXPECT_EQ(t.session.mirror.GetI16(130), Factory("HV120", 10, 130));
}

TEST(LinkOverSimulator, PollListsWriteWithReadBackAndAutoTuneRefusal)
{
    LinkOverSim t({"--drive", "1:TR560", "--param", "1:137=0x0800", "--param", "1:138=0x1F"});
    ASSERT_TRUE(t.Start()) << t.sim.Output();
    ASSERT_TRUE(t.Connect(115200, 1)) << t.sim.Output();
    ParameterMirror& m = t.session.mirror;
    DriveLink& link = t.session.link;

    // Status poll with the monitor open: five reads, PollStatusDone last.
    std::vector<uint16_t> pollDone;
    t.session.callbacks.PollStatusDone = [&](uint16_t s, const uint8_t*, uint8_t) { pollDone.push_back(s); };
    link.SendPollList(t.session.lists.PollMonitorList);
    ASSERT_TRUE(t.RunIdle());
    ASSERT_EQ(pollDone, std::vector<uint16_t>{Answered});
    EXPECT_EQ(m.GetU16(137), 0x0800);
    EXPECT_EQ(m.GetU16(138), 0x1F);
    EXPECT_NEAR(m.GetU16(20), Factory("TR560", 1, 20), 50);
    EXPECT_NEAR(m.GetI16(151), Factory("TR560", 1, 151), 20);
    EXPECT_EQ(m.GetU16(139) & 0xFF, Factory("TR560", 1, 139) & 0xFF);

    // Clear the faults, then a write of Cp and its read-back through the parameter poll.
    m.SetU16(137, 0);
    link.SendLev2List(t.session.lists.ClearFaultList);
    ASSERT_TRUE(t.RunIdle());
    m.SetI16(0, 1555);
    link.SendLev2List(t.session.lists.WriteParam0List);
    ASSERT_TRUE(t.RunIdle());
    m.SetI16(0, 0);
    int paraDone = 0;
    t.session.callbacks.PollParaDone = [&](uint16_t s, const uint8_t*, uint8_t) { paraDone += s == Answered; };
    link.AddPollList(t.session.lists.PollParaList);
    ASSERT_TRUE(t.RunIdle());
    EXPECT_EQ(paraDone, 1);
    EXPECT_EQ(m.GetI16(0), 1555);
    link.SendPollList(t.session.lists.PollStatusList);
    ASSERT_TRUE(t.RunIdle());
    EXPECT_EQ(m.GetU16(137), 0);
    EXPECT_EQ(m.GetU16(138), 0);

    // Auto-tune with the motor freed (software disable): condition code 10.
    std::vector<uint16_t> tune;
    t.session.callbacks.AutoTuneDone = [&](uint16_t s, const uint8_t*, uint8_t) { tune.push_back(s); };
    m.SetU16(137, 1 << 6);
    link.SendLev2List(t.session.lists.FreeMotorList);
    ASSERT_TRUE(t.RunIdle());
    link.SendLev2List(t.session.lists.AutoTuneList);
    ASSERT_TRUE(t.RunIdle());
    ASSERT_EQ(tune, std::vector<uint16_t>{10});

    // Enabled again, the tuning runs and changes Ls and Rs within a few seconds.
    m.SetU16(137, 0);
    link.SendLev2List(t.session.lists.ClearFaultList);
    ASSERT_TRUE(t.RunIdle());
    link.SendLev2List(t.session.lists.AutoTuneList);
    ASSERT_TRUE(t.RunIdle());
    ASSERT_EQ(tune.back(), Answered);
    const int16_t ls = static_cast<int16_t>(Factory("TR560", 1, 127));
    const int16_t rs = static_cast<int16_t>(Factory("TR560", 1, 128));
    EXPECT_TRUE(RunUntil([&] {
        if (link.AnyBusy()) return false;
        if (m.GetI16(127) != ls && m.GetI16(128) != rs) return true;
        link.AddPollList(t.session.lists.PollParaList);
        return false;
    }));
    EXPECT_EQ(t.connectionFailures, 0);
}

}  // namespace
}  // namespace ordalis::simtest
