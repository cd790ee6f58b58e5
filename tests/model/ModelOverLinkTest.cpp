// The command lists sent through the real queues over a fake port: the frames on the
// wire, read answers landing in their fields, and CommonCallback on a lost answer.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "link/Codec.h"
#include "link/DriveLink.h"
#include "model/CommandLists.h"
#include "model/ModelFamily.h"
#include "tests/support/FakePort.h"
#include "tests/support/FakeTimer.h"
#include "tests/support/Hexify.h"
#include "tests/support/RecordingPrompt.h"

namespace ordalis {
namespace {

using test::Hexify;

struct Request {
    uint8_t cmd = 0;
    uint16_t id = 0;
    std::vector<uint8_t> data;  // after the id for 0x43, 0x44 and 0x60
};

// Unscrambles a request frame from the wire and splits it.
Request Decode(const std::vector<uint8_t>& frame) {
    std::vector<uint8_t> b(frame.begin() + 5, frame.end());  // address .. CRC
    Unscramble(b.data(), b.size(), frame[4]);
    EXPECT_EQ(Crc8(b.data(), b.size()), 0) << Hexify(frame);
    Request r;
    r.cmd = b[2];
    r.data.assign(b.begin() + 3, b.begin() + 3 + b[1]);
    if (r.cmd == CmdRead || r.cmd == CmdWrite || r.cmd == CmdTrace) {
        r.id = static_cast<uint16_t>(r.data[0] | r.data[1] << 8);
        r.data.erase(r.data.begin(), r.data.begin() + 2);
    }
    return r;
}

// "C20", "D53=00 C2 01 00", "T13?" (trace get), "T0=01 00" (trace set), "test=00 C2", "G=01 00", "H=00 00".
std::string Token(const Request& r) {
    const std::string data = Hexify(r.data);
    switch (r.cmd) {
    case CmdRead: return "C" + std::to_string(r.id);
    case CmdWrite: return "D" + std::to_string(r.id) + "=" + data;
    case CmdTrace: return "T" + std::to_string(r.id) + (r.data.empty() ? "?" : "=" + data);
    case CmdCommTest: return "test=" + data;
    case CmdEeprom: return "G=" + data;
    case CmdStudy: return "H=" + data;
    default: return "?" + std::to_string(r.cmd);
    }
}

std::string Join(const std::vector<std::string>& tokens) {
    std::string s;
    for (const auto& t : tokens) s += (s.empty() ? "" : ", ") + t;
    return s;
}

std::string Reads(const std::vector<uint16_t>& ids) {
    std::vector<std::string> t;
    for (uint16_t id : ids) t.push_back("C" + std::to_string(id));
    return Join(t);
}

// The value a test drive answers for a read of a 2- or 4-byte parameter.
uint32_t DriveValue(uint16_t id) { return 0x12340000u + id * 3u + 1u; }

class ModelOverLink : public ::testing::Test {
protected:
    test::FakePort port;
    test::FakeTimerFactory timers;
    test::RecordingPrompt prompt;
    DriveLink link{port, timers, prompt, 12345};
    ParameterMirror mirror;
    TraceBlock trace;
    DriveCallbacks cb;
    CommandLists lists{mirror, trace, cb};
    std::vector<std::string> events;
    size_t handled = 0;

    void SetUp() override {
        link.SlaveAddress = 0x01;
        cb.LinkLost = [this] { events.push_back("lost"); };
        auto rec = [this](const char* name) {
            return [this, name](uint16_t status, const uint8_t*, uint8_t) {
                if (status != Sent) events.push_back(std::string(name) + ":" + std::to_string(status));
            };
        };
        cb.ReadBackStep = rec("ReadBackStep");
        cb.PollStatusDone = rec("PollStatusDone");
        cb.PollParaDone = rec("PollParaDone");
        cb.WriteBackStep = rec("WriteBackStep");
    }

    void Answer(const std::vector<uint8_t>& data, uint8_t key = kPlainKey, uint8_t status = 0) {
        port.Inject(EncodeAnswer(link.SlaveAddress, status, data.data(), static_cast<uint8_t>(data.size()), key));
    }

    // Answers every frame the link writes until it writes no more; returns what it sent.
    std::string Drain() {
        std::vector<std::string> tokens;
        for (int guard = 0; handled < port.written.size() && guard < 200; ++guard) {
            const Request r = Decode(port.written[handled++]);
            tokens.push_back(Token(r));
            std::vector<uint8_t> data;
            if (r.cmd == CmdRead) {
                const uint32_t v = DriveValue(r.id);
                const int width = mirror.Width(r.id) == 4 ? 4 : 2;
                for (int i = 0; i < width; ++i) data.push_back(static_cast<uint8_t>(v >> (8 * i)));
            } else if (r.cmd == CmdTrace && r.data.empty()) {
                data = {0x00, 0x00};
            }
            Answer(data, 0x3C);
        }
        EXPECT_FALSE(link.AnyBusy());
        return Join(tokens);
    }

    // Every mirror field and the trace block filled with guard bytes.
    void FillGuards() {
        for (const ParamInfo& p : KnownParameters()) std::memset(mirror.Field(p.Id).Data, 0xA5, p.Width);
        std::memset(static_cast<void*>(&trace), 0x5A, sizeof trace);
    }
    void ExpectGuardsExcept(uint16_t id) {
        for (const ParamInfo& p : KnownParameters()) {
            if (p.Id == id) continue;
            const uint8_t* f = mirror.Field(p.Id).Data;
            for (int i = 0; i < p.Width; ++i) ASSERT_EQ(f[i], 0xA5) << "field " << p.Id << " byte " << i;
        }
    }
};

TEST_F(ModelOverLink, ListsPutTheirFramesOnTheWireInOrder) {
    mirror.SetI32(pid::BaudRate, 115200);
    for (uint16_t id : {0, 1, 97, 127, 128, 135, 39, 136, 131, 133, 132, 134, 98, 99})
        mirror.SetU16(id, static_cast<uint16_t>(0x1000 + id));
    mirror.SetU16(pid::StatusWord, 0x0040);
    mirror.SetI32(pid::GeneratorSpeed, -4000);
    mirror.SetI16(pid::WorkMode, WorkModeGeneratorOn);
    trace.SampPeriod = 0x0102;
    trace.TrigDelay = -50;
    trace.TraceStatus = TraceStatusStart;
    trace.SamplesData = 500u << 16;

    enum Queue { Run, Poll, AddPoll, Lev2 };
    struct Case {
        const char* name;
        CommandList list;
        Queue queue;
        std::string wire;
    };
    // Writes first: the reads overwrite the values set above.
    const Case cases[] = {
        {"WriteBackList", lists.WriteBackList, Run,
         "D0=00 10, D1=01 10, D97=61 10, D127=7F 10, D128=80 10, D135=87 10, D39=27 10, D136=88 10, "
         "D131=83 10, D133=85 10, D132=84 10, D134=86 10, D98=62 10, D99=63 10"},
        {"ProbeList", lists.ProbeList, Run, "test=00 C2 01 00, D53=00 C2 01 00, C55"},
        {"AddressTestList", lists.AddressTestList, Run, "test=00 C2"},
        {"EepromSaveList", lists.EepromSaveList, Lev2, "G=01 00"},
        {"AutoTuneList", lists.AutoTuneList, Lev2, "H=00 00"},
        {"FreeMotorList", lists.FreeMotorList, Lev2, "D137=40 00"},
        {"WriteParam135List", lists.WriteParam135List, Lev2, "D135=87 10"},
        {"SpeedWriteList", lists.SpeedWriteList, Lev2, "D154=60 F0 FF FF"},
        {"GeneratorList", lists.GeneratorList, Lev2, "D154=60 F0 FF FF, D160=0E 00"},
        {"AntiResPhase2List", lists.AntiResPhase2List, Lev2, "D134=86 10"},
        {"TraceSetupList", lists.TraceSetupList, Run,
         "T8?, T9?, T0=01 00, T1=02 00, T2=00 00, T3=00 00, T4=00 00, T5=00 00, T13?, T10=02 01"},
        {"TraceTimeList", lists.TraceTimeList, Run, "T10=02 01, T12=CE FF"},
        {"TraceStartList", lists.TraceStartList, Run, "T15=00 80, T15?, T14?, T15?, T16=00 00 F4 01"},
        {"ReadBackList24", lists.ReadBackList24, Run,
         Reads({0, 1, 37, 38, 39, 40, 41, 42, 43, 44, 54, 56, 57, 58, 59, 60, 70, 71, 90, 91, 127, 128, 129, 130})},
        {"ReadBackList34", lists.ReadBackList34, Run,
         Reads({0,   1,   37,  38,  39,  40,  41,  42,  43,  44,  54, 56, 57,  58,  59,  60,  70,
                71,  127, 128, 129, 131, 132, 133, 134, 97,  98, 99, 135, 136, 137, 138, 154, 160})},
        {"PollMonitorList", lists.PollMonitorList, Poll, "C20, C151, C139, C137, C138"},
        {"PollStatusList", lists.PollStatusList, Poll, "C137, C138"},
        {"PollParaList", lists.PollParaList, AddPoll, "C0, C1, C127, C128"},
        {"MotorReadList", lists.MotorReadList, Lev2, "C127, C128, C129, C130"},
    };
    for (const Case& c : cases) {
        events.clear();
        switch (c.queue) {
        case Run: link.SendRunList(c.list); break;
        case Poll: link.SendPollList(c.list); break;
        case AddPoll: link.AddPollList(c.list); break;
        case Lev2: link.SendLev2List(c.list); break;
        }
        EXPECT_EQ(Drain(), c.wire) << c.name;
    }
    EXPECT_TRUE(prompt.messages.empty());
}

TEST_F(ModelOverLink, ReadBackFillsTheMirror) {
    link.SendRunList(lists.ReadBackList34);
    Drain();
    EXPECT_EQ(events.size(), 34u);
    for (uint16_t id : {0, 41, 129, 137, 154, 160}) {
        const uint32_t v = DriveValue(id);
        if (mirror.Width(id) == 4) EXPECT_EQ(mirror.GetU32(id), v) << id;
        else EXPECT_EQ(mirror.GetU16(id), static_cast<uint16_t>(v)) << id;
    }
    EXPECT_EQ(mirror.GetU16(90), 0) << "not in the LQ/TR read-back";
}

TEST_F(ModelOverLink, PollListsEndWithPollStatusDone) {
    for (const CommandList& l : {lists.PollMonitorList, lists.PollStatusList}) {
        events.clear();
        link.SendPollList(l);
        Drain();
        EXPECT_EQ(events, std::vector<std::string>{"PollStatusDone:0"});
    }
    EXPECT_EQ(lists.PollStatusList.Records, lists.PollMonitorList.Records + 3);
}

// A longer answer than the field (the link cuts it to the field's capacity) must not
// reach a neighbour.
TEST_F(ModelOverLink, ReadAnswerFillsExactlyItsField) {
    auto findRead = [this](uint16_t id) -> const CommandRecord* {
        for (const CommandList& l : {lists.ReadBackList34, lists.ReadBackList24, lists.PollMonitorList})
            for (int i = 0; i < l.Count; ++i)
                if (l.Records[i].ParamId == id) return &l.Records[i];
        return nullptr;
    };
    for (uint16_t id : {0, 20, 41, 129, 130, 137, 154, 160}) {
        SCOPED_TRACE(id);
        FillGuards();
        const CommandRecord* rec = findRead(id);
        ASSERT_NE(rec, nullptr);
        link.SendRunList(rec, 1);
        std::vector<uint8_t> answer;
        for (int i = 0; i < 12; ++i) answer.push_back(static_cast<uint8_t>(0x10 + i));
        Answer(answer, 0x21);
        const int width = mirror.Width(id);
        EXPECT_EQ(Hexify(mirror.Field(id).Data, width), Hexify(answer.data(), width));
        ExpectGuardsExcept(id);
    }

    // Trace items: MaxSamples answered with 6 bytes leaves AvidSamples alone.
    FillGuards();
    link.SendRunList(&lists.TraceSetupList.Records[8], 1);
    Answer({0xE8, 0x03, 0x11, 0x22, 0x33, 0x44});
    EXPECT_EQ(trace.MaxSamples, 1000);
    EXPECT_EQ(trace.AvidSamples, 0x5A5A);
    EXPECT_EQ(trace.TraceStatus, 0x5A5A);
}

TEST_F(ModelOverLink, ModelNameAnswers) {
    FillGuards();
    const CommandRecord& read55 = lists.ProbeList.Records[2];
    ASSERT_EQ(read55.ParamId, 55);
    EXPECT_EQ(read55.DataLen, 6);
    struct Case {
        std::string answer;
        std::string name;
        bool hv120;
    };
    const Case cases[] = {
        {"LQ340-WITH-A-LONG-SUFFIX", "LQ340-WITH-A-LONG-SUFFIX", false},
        {std::string("HV120\0", 6), "HV120", true},  // shorter after longer: the old tail stays behind the NUL
        {std::string(64, 'A'), std::string(64, 'A'), false},
        {std::string(80, 'B'), std::string(64, 'B'), false},
        {std::string("LQ340\0", 6), "LQ340", false},
        {"TR560-SPECIAL", "TR560-SPECIAL", false},
        {"TR900", "TR900", false},  // no NUL: the longer name before must not show through
    };
    for (const Case& c : cases) {
        link.SendRunList(&read55, 1);
        Answer(std::vector<uint8_t>(c.answer.begin(), c.answer.end()), 0x44);
        EXPECT_EQ(mirror.ModelName(), c.name);
        EXPECT_EQ(IsHv120(mirror.ModelName()), c.hv120) << c.name;
        ExpectGuardsExcept(55);
    }
    EXPECT_TRUE(IsLqTrFamily(mirror.ModelName()));
}

// Answers that copy nothing used to clear the name behind their length: "LQ340" became
// "LQ" (status byte 2 with two data bytes) and the connect stopped without a word.
TEST_F(ModelOverLink, ModelNameAnswerThatCopiesNothingLeavesTheName) {
    const CommandRecord& read55 = lists.ProbeList.Records[2];
    struct Case {
        const char* name;
        uint8_t status;
        std::vector<uint8_t> data;
    };
    const Case cases[] = {
        {"status byte 1, code 0", 1, {0x00, 0x51}},
        {"status byte 2", 2, {0x4C, 0x51}},
        {"status byte 7, no data", 7, {}},
        {"empty answer", 0, {}},
    };
    for (const Case& c : cases) {
        mirror.SetModelName("LQ340");
        link.SendRunList(&read55, 1);
        Answer(c.data, 0x44, c.status);
        EXPECT_EQ(mirror.ModelName(), "LQ340") << c.name;
        EXPECT_FALSE(link.AnyBusy()) << c.name;
    }
}

TEST_F(ModelOverLink, LostAnswerOnCommonCallbackStopsPollAndRaisesFailure) {
    for (const CommandList& l : {lists.WriteParam0List, lists.EepromSaveList}) {
        events.clear();
        link.ResetLink();  // after a 131 the link stays silent until reset, as Retry does
        link.SendLev2List(l);
        const size_t before = port.written.size();
        for (int i = 0; i < 4; ++i) test::AsFake(link.AnswerTimer()).Fire();
        EXPECT_EQ(port.written.size() - before, 3u) << "three re-sends";
        EXPECT_EQ(events, (std::vector<std::string>{"lost"}));
        EXPECT_FALSE(link.AnyBusy());
        handled = port.written.size();
    }
    // The same on a RunQueue record of a list whose other records have their own callbacks.
    events.clear();
    link.ResetLink();
    link.SendRunList(lists.ProbeList);
    for (int i = 0; i < 4; ++i) test::AsFake(link.AnswerTimer()).Fire();
    EXPECT_EQ(events, (std::vector<std::string>{"lost"}));
}

// Channel lists are separate records: a list still queued for one channel keeps its
// channel when the next channel's list follows.
TEST_F(ModelOverLink, TraceVariableListPerChannel) {
    trace.TraceVariable[3] = 7;
    trace.TraceVariable[4] = 12;
    trace.SampPeriod = 3;
    link.SendRunList(lists.TraceVariableList(3));  // fourth channel
    EXPECT_EQ(Token(Decode(port.written.back())), "T3=07 00");
    link.SendRunList(lists.TraceVariableList(4));  // pending while the fourth is on the wire
    EXPECT_EQ(link.Queue(RunQueue).table[0].ParamId, 3);
    EXPECT_EQ(lists.TraceVariableList(3).Records[0].ParamId, 3);
    handled = port.written.size();
    Answer({});
    // The pending list replaced the rest of the running one.
    handled = port.written.size() - 1;
    EXPECT_EQ(Drain(), "T4=0C 00, T13?, T10=03 00");
    EXPECT_EQ(lists.TraceVariableList(3).Records[0].ParamId, 3);
    EXPECT_EQ(lists.TraceVariableList(4).Records[0].Data, reinterpret_cast<uint8_t*>(&trace.TraceVariable[4]));
}

}  // namespace
}  // namespace ordalis
