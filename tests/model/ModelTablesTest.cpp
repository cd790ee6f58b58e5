// The mirror's layout and typed views, the model-name rules, and which callback each
// record of each list reaches.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "model/CommandLists.h"
#include "model/ModelFamily.h"
#include "model/ParameterMirror.h"
#include "model/TraceBlock.h"
#include "model/TraceInfo.h"

namespace ordalis {
namespace {

TEST(ParameterMirror, FieldsAreDisjointFixedAndZeroAtStart) {
    ParameterMirror m;
    const auto& params = KnownParameters();
    ASSERT_EQ(params.size(), 42u);

    std::set<uint16_t> fourByte, seen;
    std::vector<std::pair<const uint8_t*, const uint8_t*>> ranges;
    for (const ParamInfo& p : params) {
        EXPECT_TRUE(seen.insert(p.Id).second) << "duplicate id " << p.Id;
        const FieldRef f = m.Field(p.Id);
        ASSERT_NE(f.Data, nullptr) << p.Id;
        EXPECT_EQ(f.Data, m.Field(p.Id).Data) << "field moves, id " << p.Id;
        EXPECT_EQ(f.Capacity, p.Width);
        for (int i = 0; i < f.Capacity; ++i) EXPECT_EQ(f.Data[i], 0) << p.Id;
        if (p.Width == 4) fourByte.insert(p.Id);
        ranges.push_back({f.Data, f.Data + f.Capacity});
    }
    EXPECT_EQ(fourByte, (std::set<uint16_t>{41, 53, 129, 154}));
    EXPECT_EQ(m.Field(55).Capacity, 64);
    EXPECT_EQ(FindParameter(55)->ReadLen, 6);
    EXPECT_EQ(FindParameter(129)->ReadLen, 4);
    EXPECT_EQ(FindParameter(0)->ReadLen, 2);
    std::sort(ranges.begin(), ranges.end());
    for (size_t i = 1; i < ranges.size(); ++i) EXPECT_LE(ranges[i - 1].second, ranges[i].first);

    for (uint16_t unknown : {2, 21, 55 + 200, 161, 269, 65535}) {
        EXPECT_EQ(m.Field(unknown).Data, nullptr) << unknown;
        EXPECT_EQ(m.GetU16(unknown), 0) << unknown;
        m.SetU16(unknown, 7);  // ignored, must not crash
    }
}

TEST(ParameterMirror, TypedViewsAreLittleEndian) {
    ParameterMirror m;
    m.SetI32(154, -4000);
    const uint8_t* b = m.Field(154).Data;
    EXPECT_EQ((std::vector<uint8_t>{b[0], b[1], b[2], b[3]}), (std::vector<uint8_t>{0x60, 0xF0, 0xFF, 0xFF}));
    EXPECT_EQ(m.GetI32(154), -4000);
    m.SetU16(136, 65535);
    EXPECT_EQ(m.GetI16(136), -1);
    m.SetI16(0, 1200);
    EXPECT_EQ(m.Field(0).Data[0], 0xB0);
    EXPECT_EQ(m.Field(0).Data[1], 0x04);
    // A 2-byte field has no 32-bit view.
    EXPECT_EQ(m.GetU32(0), 0u);
}

TEST(ParameterMirror, StatusInputAndOptionBits) {
    struct Case {
        uint16_t status;
        bool phase, other;
    };
    for (const Case& c : {Case{0x0008, true, false}, Case{0x0010, true, false}, Case{0x0018, true, false},
                          Case{0x0007, false, false}, Case{0x0800, false, true}, Case{0x0000, false, false}}) {
        ParameterMirror m;
        m.SetU16(pid::StatusWord, c.status);
        EXPECT_EQ(HasPhaseFault(m.GetU16(pid::StatusWord)), c.phase) << c.status;
        EXPECT_EQ(HasOtherFault(m.GetU16(pid::StatusWord)), c.other) << c.status;
    }
    ParameterMirror m;
    m.SetU16(pid::Inputs, 0x05A3);
    EXPECT_EQ(DipSwitchByte(m.GetU16(pid::Inputs)), 0xA3);
    EXPECT_TRUE(m.Bit(pid::Inputs, InputBit::PulseInput));
    EXPECT_FALSE(m.Bit(pid::Inputs, InputBit::DirectionInput));
    EXPECT_TRUE(m.Bit(pid::Inputs, InputBit::EnableInput));
    m.SetU16(pid::PulseOptions, 0x000C);
    EXPECT_FALSE(m.Bit(pid::PulseOptions, PulseOptionBit::MicroStep));
    EXPECT_TRUE(m.Bit(pid::PulseOptions, PulseOptionBit::FallingEdge));
    EXPECT_TRUE(m.Bit(pid::PulseOptions, PulseOptionBit::ForwardOnLow));
    m.SetI32(pid::GeneratorSpeed, int32_t(0x80000000));
    EXPECT_TRUE(m.Bit(pid::GeneratorSpeed, 31));
}

TEST(ModelName, StopsAtNulAndAtSixtyFourBytes) {
    ParameterMirror m;
    EXPECT_EQ(m.ModelName(), "");
    const std::string name64(64, 'X');
    m.SetModelName(name64);
    EXPECT_EQ(m.ModelName(), name64);
    m.SetModelName(std::string(80, 'Y'));
    EXPECT_EQ(m.ModelName(), std::string(64, 'Y'));
    EXPECT_EQ(m.GetI16(56), 0) << "the field after the name is untouched";

    // Bytes behind the NUL are left from an earlier, longer name.
    uint8_t* f = m.Field(55).Data;
    const char stale[] = "HV120\0LONG-NAME-TAIL";
    std::copy(stale, stale + sizeof stale, f);
    EXPECT_EQ(m.ModelName(), "HV120");
    EXPECT_TRUE(IsHv120(m.ModelName()));
}

TEST(ModelName, Families) {
    struct Case {
        const char* name;
        bool hv, lqtr;
    };
    for (const Case& c : {Case{"HV120", true, false}, Case{"LQ220", false, true}, Case{"LQ340", false, true},
                          Case{"LQ560", false, true}, Case{"TR340", false, true}, Case{"TR560", false, true},
                          Case{"TR900", false, true}, Case{"hv120", false, false}, Case{"LQ340 ", false, false},
                          Case{"LQ34", false, false}, Case{"", false, false}, Case{"TR120", false, false}}) {
        EXPECT_EQ(IsHv120(c.name), c.hv) << c.name;
        EXPECT_EQ(IsLqTrFamily(c.name), c.lqtr) << c.name;
    }
}

TEST(TraceBlock, StartValuesAndFields) {
    TraceBlock t;
    EXPECT_EQ(std::vector<int16_t>(t.TraceVariable, t.TraceVariable + 6), (std::vector<int16_t>{1, 2, 0, 0, 0, 0}));
    EXPECT_EQ(t.Field(3).Data, reinterpret_cast<uint8_t*>(&t.TraceVariable[3]));
    EXPECT_EQ(t.Field(TraceId::SamplesData).Data, reinterpret_cast<uint8_t*>(&t.SamplesData));
    EXPECT_EQ(t.Field(TraceId::SamplesData).Capacity, 255);
    EXPECT_EQ(t.Field(TraceId::SampleResolution).Capacity, 4);
    EXPECT_EQ(t.Field(TraceId::MaxSamples).Capacity, 2);
    for (uint16_t never : {6, 7, 11, 17}) EXPECT_EQ(t.Field(never).Data, nullptr) << never;
}

TEST(TraceInfoTable, SizesKindsAndVelocityFactors) {
    TraceInfoTable t;
    struct Case {
        int code;
        uint16_t size;
        uint8_t kind;
        double factor;
        const char* nameEn;
    };
    for (const Case& c : {Case{0, 0, 0, 1.0, " "}, Case{1, 2, 2, 0.01, "Current"}, Case{5, 4, 4, 1.0, "Velocity"},
                          Case{7, 4, 4, 1.0, "Velocity Error"}, Case{11, 4, 4, 1.0, "Follow Error"},
                          Case{12, 2, 0x82, 0.01, "Voltage"}, Case{20, 2, 0x82, 1.0, "ANG"},
                          Case{26, 2, 2, 1.0, "ANG1"}, Case{27, 0, 0, 1.0, " "}, Case{-1, 0, 0, 1.0, " "}}) {
        EXPECT_EQ(t[c.code].Size, c.size) << c.code;
        EXPECT_EQ(t[c.code].Kind, c.kind) << c.code;
        EXPECT_DOUBLE_EQ(t[c.code].Factor, c.factor) << c.code;
        EXPECT_STREQ(t[c.code].Name(1), c.nameEn) << c.code;
    }
    EXPECT_STREQ(t[12].Name(0), "电压");
    t.UpdateVelocityFactors(0);
    EXPECT_DOUBLE_EQ(t[4].Factor, 1.0);
    t.UpdateVelocityFactors(1000);
    for (int c : {4, 5, 6, 7}) EXPECT_DOUBLE_EQ(t[c].Factor, 6.0 / 4000) << c;
    EXPECT_DOUBLE_EQ(t[8].Factor, 1.0);

    const uint8_t raw[] = {0xFE, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(ReadTraceSample(raw, TraceS16), -2);
    EXPECT_EQ(ReadTraceSample(raw, TraceU16), 65534);
    EXPECT_EQ(ReadTraceSample(raw, TraceS32), -2);
    EXPECT_EQ(ReadTraceSample(raw, TraceU8), 254);
    EXPECT_EQ(ReadTraceSample(raw, 3), 0);
}

// Every record's callback, called with 131: a CommonCallback record reports the lost
// link; another record reaches its own slot, filled only after the lists were built.
class CallbackRouting : public ::testing::Test {
protected:
    ParameterMirror mirror;
    TraceBlock trace;
    DriveCallbacks cb;
    CommandLists lists{mirror, trace, cb};
    std::vector<std::string> events;

    void SetUp() override {
        cb.LinkLost = [this] { events.push_back("lost"); };
        const std::map<std::string, CompletionSlot DriveCallbacks::*> slots = {
            {"IdentifyDone", &DriveCallbacks::IdentifyDone}, {"ReadBackStep", &DriveCallbacks::ReadBackStep},
            {"PollStatusDone", &DriveCallbacks::PollStatusDone}, {"PollParaDone", &DriveCallbacks::PollParaDone},
            {"WriteBackStep", &DriveCallbacks::WriteBackStep}, {"BaudSwitchStep", &DriveCallbacks::BaudSwitchStep},
            {"AddressSearchStep", &DriveCallbacks::AddressSearchStep}, {"AutoTuneDone", &DriveCallbacks::AutoTuneDone},
            {"SpeedDone", &DriveCallbacks::SpeedDone}, {"AntiResAmp1Done", &DriveCallbacks::AntiResAmp1Done},
            {"AntiResPhase1Done", &DriveCallbacks::AntiResPhase1Done},
            {"AntiResAmp2Done", &DriveCallbacks::AntiResAmp2Done},
            {"AntiResPhase2Done", &DriveCallbacks::AntiResPhase2Done}, {"MotorReadDone", &DriveCallbacks::MotorReadDone},
            {"MaxSamplesDone", &DriveCallbacks::MaxSamplesDone}, {"TraceStartDone", &DriveCallbacks::TraceStartDone},
            {"TraceStatusCheck1", &DriveCallbacks::TraceStatusCheck1},
            {"AvidSamplesDone", &DriveCallbacks::AvidSamplesDone},
            {"TraceStatusCheck2", &DriveCallbacks::TraceStatusCheck2},
            {"SamplesDataDone", &DriveCallbacks::SamplesDataDone}};
        for (const auto& [name, slot] : slots)
            cb.*slot = [this, n = name](uint16_t status, const uint8_t*, uint8_t) {
                events.push_back(n + (status == NoAnswer ? "" : "?"));
            };
    }

    // "common" for a record that reported the lost link, else the slot.
    std::string Route(const CommandList& list) {
        std::string out;
        for (int i = 0; i < list.Count; ++i) {
            events.clear();
            list.Records[i].Callback(NoAnswer, nullptr, 0);
            std::string r;
            if (events == std::vector<std::string>{"lost"}) r = "common";
            else if (events.size() == 1) r = events[0];
            else r = "?" + std::to_string(events.size());
            out += (i ? " " : "") + r;
        }
        return out;
    }
};

std::string Repeat(const std::string& word, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += (i ? " " : "") + word;
    return s;
}

TEST_F(CallbackRouting, EveryListReachesItsCallbacks) {
    struct Case {
        const char* name;
        CommandList list;
        std::string route;
    };
    const Case cases[] = {
        {"Probe", lists.ProbeList, "common BaudSwitchStep IdentifyDone"},
        {"AddressTest", lists.AddressTestList, "AddressSearchStep"},
        {"ReadBack24", lists.ReadBackList24, Repeat("ReadBackStep", 24)},
        {"ReadBack34", lists.ReadBackList34, Repeat("ReadBackStep", 34)},
        {"PollMonitor", lists.PollMonitorList, "common common common common PollStatusDone"},
        {"PollStatus", lists.PollStatusList, "common PollStatusDone"},
        {"PollPara", lists.PollParaList, "common common common PollParaDone"},
        {"WriteBack", lists.WriteBackList, Repeat("WriteBackStep", 14)},
        {"EepromSave", lists.EepromSaveList, "common"},
        {"FreeMotor", lists.FreeMotorList, "common"},
        {"ClearFault", lists.ClearFaultList, "common"},
        {"AutoTune", lists.AutoTuneList, "AutoTuneDone"},
        {"Write135", lists.WriteParam135List, "common"},
        {"Write99", lists.WriteParam99List, "common"},
        {"Write134", lists.WriteParam134List, "common"},
        {"Speed", lists.SpeedWriteList, "SpeedDone"},
        {"Generator", lists.GeneratorList, "common common"},
        {"AntiRes", lists.AntiResAmp1List, "AntiResAmp1Done"},
        {"AntiRes", lists.AntiResPhase1List, "AntiResPhase1Done"},
        {"AntiRes", lists.AntiResAmp2List, "AntiResAmp2Done"},
        {"AntiRes", lists.AntiResPhase2List, "AntiResPhase2Done"},
        {"MotorRead", lists.MotorReadList, "common common common MotorReadDone"},
        {"TraceSetup", lists.TraceSetupList, Repeat("common", 8) + " MaxSamplesDone common"},
        {"TraceVariable", lists.TraceVariableList(5), "common MaxSamplesDone common"},
        {"TraceTime", lists.TraceTimeList, "common common"},
        {"TraceStart", lists.TraceStartList,
         "TraceStartDone TraceStatusCheck1 AvidSamplesDone TraceStatusCheck2 SamplesDataDone"},
    };
    for (const Case& c : cases) EXPECT_EQ(Route(c.list), c.route) << c.name;
}

TEST_F(CallbackRouting, CommonCallbackIgnoresEveryOtherStatus) {
    const CommandRecord& rec = lists.WriteParam0List.Records[0];
    for (uint16_t status : {0, 2, 129, 130, 132, 255, 4096}) rec.Callback(status, nullptr, 0);
    EXPECT_TRUE(events.empty());
    // Empty slots are allowed: nothing happens.
    DriveCallbacks empty;
    CommandLists bare{mirror, trace, empty};
    bare.WriteParam0List.Records[0].Callback(NoAnswer, nullptr, 0);
    bare.ReadBackList24.Records[0].Callback(NoAnswer, nullptr, 0);
}

TEST_F(CallbackRouting, WriteRecordsPointAtTheirFields) {
    for (uint16_t id : {0, 1, 39, 53, 97, 98, 99, 127, 128, 131, 132, 133, 134, 135, 136, 137, 154, 160, 70, 71, 90, 91}) {
        const CommandList l = lists.WriteParamList(id);
        ASSERT_EQ(l.Count, 1) << id;
        const CommandRecord& r = l.Records[0];
        EXPECT_EQ(r.Command, CmdWrite);
        EXPECT_EQ(r.ParamId, id);
        EXPECT_EQ(r.Data, mirror.Field(id).Data);
        EXPECT_EQ(r.DataLen, mirror.Width(id));
    }
    EXPECT_EQ(lists.WriteParamList(55).Count, 0);
    EXPECT_EQ(lists.WriteParamList(2).Count, 0);
    EXPECT_EQ(lists.TraceVariableList(6).Count, 0);
    EXPECT_EQ(lists.TraceVariableList(-1).Count, 0);
}

}  // namespace
}  // namespace ordalis

namespace ordalis {
namespace {

// A slot empties itself when its binding goes; a later binding takes it over and the
// older binding's end no longer touches it.
TEST(CallbackSlotTest, BindingEmptiesItsSlotOnlyWhileItIsTheCurrentOne) {
    CompletionSlot slot;
    std::vector<int> calls;
    {
        auto first = slot.Bind([&](uint16_t s, const uint8_t*, uint8_t) { calls.push_back(s); });
        slot(1, nullptr, 0);
        {
            auto second = slot.Bind([&](uint16_t s, const uint8_t*, uint8_t) { calls.push_back(100 + s); });
            slot(2, nullptr, 0);
        }
        EXPECT_FALSE(slot);  // the second binding emptied it
        auto third = slot.Bind([&](uint16_t s, const uint8_t*, uint8_t) { calls.push_back(200 + s); });
        first.Release();      // not first's any more: nothing happens
        slot(3, nullptr, 0);
    }
    slot(4, nullptr, 0);  // empty: nothing
    EXPECT_EQ(calls, (std::vector<int>{1, 102, 203}));
}

// A procedure may release its own slot while it runs (a window closing from a callback).
TEST(CallbackSlotTest, AProcedureMayReleaseItsOwnSlotWhileRunning) {
    CompletionSlot slot;
    int runs = 0;
    CompletionSlot::Binding binding;
    binding = slot.Bind([&](uint16_t, const uint8_t*, uint8_t) {
        binding.Release();
        ++runs;
    });
    slot(0, nullptr, 0);
    slot(0, nullptr, 0);
    EXPECT_EQ(runs, 1);
}

}  // namespace
}  // namespace ordalis
