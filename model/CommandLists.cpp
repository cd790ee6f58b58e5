#include "model/CommandLists.h"

#include <algorithm>

namespace ordalis {

namespace {

template <size_t N>
CommandList ListOf(const std::array<CommandRecord, N>& a)
{
    return {a.data(), static_cast<int>(N)};
}

CommandList One(const CommandRecord* r) { return {r, r ? 1 : 0}; }

// Read-back order. The first eighteen ids are common to both lists.
constexpr uint16_t kReadBack24[24] = {0,  1,  37, 38, 39, 40, 41, 42, 43, 44,  54,  56,
                                      57, 58, 59, 60, 70, 71, 90, 91, 127, 128, 129, 130};
constexpr uint16_t kReadBack34[34] = {0,   1,   37,  38,  39,  40,  41,  42,  43,  44,  54,  56,
                                      57,  58,  59,  60,  70,  71,  127, 128, 129, 131, 132, 133,
                                      134, 97,  98,  99,  135, 136, 137, 138, 154, 160};
// Order of the values in a parameter file.
constexpr uint16_t kWriteBack[14] = {0, 1, 97, 127, 128, 135, 39, 136, 131, 133, 132, 134, 98, 99};

}  // namespace

CommandLists::CommandLists(ParameterMirror& mirror, TraceBlock& trace, DriveCallbacks& callbacks)
    : mirror_(mirror), trace_(trace), callbacks_(callbacks)
{
    probe_[0] = {CmdCommTest, 0, 4, commTestData_, sizeof commTestData_, Common()};
    probe_[1] = Write(pid::BaudRate, Slot(callbacks_.BaudSwitchStep));
    probe_[2] = Read(pid::ModelName, ModelNameRead());
    probe_[2].TextTarget = true;
    // The address test sends only the first two bytes of the test data.
    addressTest_[0] = {CmdCommTest, 0, 2, commTestData_, sizeof commTestData_,
                       Slot(callbacks_.AddressSearchStep)};
    for (size_t i = 0; i < readBack24_.size(); ++i)
        readBack24_[i] = Read(kReadBack24[i], Slot(callbacks_.ReadBackStep));
    for (size_t i = 0; i < readBack34_.size(); ++i)
        readBack34_[i] = Read(kReadBack34[i], Slot(callbacks_.ReadBackStep));

    pollStatus_ = {Read(pid::BusVoltage, Common()), Read(pid::Temperature, Common()), Read(pid::Inputs, Common()),
                   Read(pid::StatusWord, Common()), Read(pid::FaultCode, Slot(callbacks_.PollStatusDone))};
    pollPara_ = {Read(pid::Cp, Common()), Read(pid::Ci, Common()), Read(pid::Ls, Common()),
                 Read(pid::Rs, Slot(callbacks_.PollParaDone))};

    for (size_t i = 0; i < writeBack_.size(); ++i)
        writeBack_[i] = Write(kWriteBack[i], Slot(callbacks_.WriteBackStep));
    eepromSave_[0] = {CmdEeprom, 0, 2, eepromWriteOp_, sizeof eepromWriteOp_, Common()};
    status137_[0] = Write(pid::StatusWord, Common());
    autoTune_[0] = {CmdStudy, 0, 2, studyOp_, sizeof studyOp_, Slot(callbacks_.AutoTuneDone)};

    speed_[0] = Write(pid::GeneratorSpeed, Slot(callbacks_.SpeedDone));
    generator_ = {Write(pid::GeneratorSpeed, Common()), Write(pid::WorkMode, Common())};
    antiRes_ = {Write(pid::Res1Amplitude, Slot(callbacks_.AntiResAmp1Done)),
                Write(pid::Res1Phase, Slot(callbacks_.AntiResPhase1Done)),
                Write(pid::Res2Amplitude, Slot(callbacks_.AntiResAmp2Done)),
                Write(pid::Res2Phase, Slot(callbacks_.AntiResPhase2Done))};
    motorRead_ = {Read(pid::Ls, Common()), Read(pid::Rs, Common()), Read(pid::EncoderLines, Common()),
                  Read(pid::PolePairs, Slot(callbacks_.MotorReadDone))};

    traceSetup_[0] = TraceGet(TraceId::ChannelNum, Common());
    traceSetup_[1] = TraceGet(TraceId::SampleResolution, Common());
    for (uint16_t ch = 0; ch < TraceChannels; ++ch) traceSetup_[2 + ch] = TraceSet(ch, 2, Common());
    traceSetup_[8] = TraceGet(TraceId::MaxSamples, Slot(callbacks_.MaxSamplesDone));
    traceSetup_[9] = TraceSet(TraceId::SampPeriod, 2, Common());
    for (uint16_t ch = 0; ch < TraceChannels; ++ch)
        traceVariable_[ch] = {TraceSet(ch, 2, Common()),
                              TraceGet(TraceId::MaxSamples, Slot(callbacks_.MaxSamplesDone)),
                              TraceSet(TraceId::SampPeriod, 2, Common())};
    traceTime_ = {TraceSet(TraceId::SampPeriod, 2, Common()), TraceSet(TraceId::TrigDelay, 2, Common())};
    traceStart_ = {TraceSet(TraceId::TraceStatus, 2, Slot(callbacks_.TraceStartDone)),
                   TraceGet(TraceId::TraceStatus, Slot(callbacks_.TraceStatusCheck1)),
                   TraceGet(TraceId::AvidSamples, Slot(callbacks_.AvidSamplesDone)),
                   TraceGet(TraceId::TraceStatus, Slot(callbacks_.TraceStatusCheck2)),
                   TraceSet(TraceId::SamplesData, 4, Slot(callbacks_.SamplesDataDone))};

    for (const ParamInfo& p : KnownParameters()) {
        if (p.Type == ParamType::Text) continue;
        writeIds_.push_back(p.Id);
        writes_.push_back(Write(p.Id, Common()));
    }

    ProbeList = ListOf(probe_);
    AddressTestList = ListOf(addressTest_);
    ReadBackList24 = ListOf(readBack24_);
    ReadBackList34 = ListOf(readBack34_);
    PollMonitorList = ListOf(pollStatus_);
    PollStatusList = {pollStatus_.data() + 3, 2};
    PollParaList = ListOf(pollPara_);
    WriteBackList = ListOf(writeBack_);
    EepromSaveList = ListOf(eepromSave_);
    FreeMotorList = ListOf(status137_);
    ClearFaultList = ListOf(status137_);
    AutoTuneList = ListOf(autoTune_);
    SpeedWriteList = ListOf(speed_);
    GeneratorList = ListOf(generator_);
    AntiResAmp1List = One(&antiRes_[0]);
    AntiResPhase1List = One(&antiRes_[1]);
    AntiResAmp2List = One(&antiRes_[2]);
    AntiResPhase2List = One(&antiRes_[3]);
    MotorReadList = ListOf(motorRead_);
    TraceSetupList = ListOf(traceSetup_);
    TraceTimeList = ListOf(traceTime_);
    TraceStartList = ListOf(traceStart_);

    WriteParam135List = WriteParamList(pid::MicroStep);
    WriteParam39List = WriteParamList(pid::IdleDelay);
    WriteParam136List = WriteParamList(pid::IdleCurrent);
    WriteParam0List = WriteParamList(pid::Cp);
    WriteParam1List = WriteParamList(pid::Ci);
    WriteParam127List = WriteParamList(pid::Ls);
    WriteParam128List = WriteParamList(pid::Rs);
    WriteParam99List = WriteParamList(pid::PulseOptions);
    WriteParam98List = WriteParamList(pid::Smoothing);
    WriteParam97List = WriteParamList(pid::PulseMode);
    WriteParam90List = WriteParamList(pid::Pp);
    WriteParam91List = WriteParamList(pid::Vff);
    WriteParam70List = WriteParamList(pid::Vp);
    WriteParam71List = WriteParamList(pid::Vi);
    WriteParam131List = WriteParamList(pid::Res1Amplitude);
    WriteParam132List = WriteParamList(pid::Res1Phase);
    WriteParam133List = WriteParamList(pid::Res2Amplitude);
    WriteParam134List = WriteParamList(pid::Res2Phase);
}

void CommandLists::CommonCallback(uint16_t status, const uint8_t*, uint8_t)
{
    if (status != NoAnswer) return;
    callbacks_.LinkLost();
}

CommandList CommandLists::TraceVariableList(int channel) const
{
    if (channel < 0 || channel >= TraceChannels) return {};
    return ListOf(traceVariable_[static_cast<size_t>(channel)]);
}

CommandList CommandLists::WriteParamList(uint16_t id) const
{
    const auto it = std::find(writeIds_.begin(), writeIds_.end(), id);
    if (it == writeIds_.end()) return {};
    return One(&writes_[static_cast<size_t>(it - writeIds_.begin())]);
}

// The answer's length decides how much of the name arrives; the link clears the rest of
// the field behind a copied name (the record's TextTarget), and only then, so an answer
// that copies nothing leaves the name as it was.
CompletionCallback CommandLists::ModelNameRead()
{
    return Slot(callbacks_.IdentifyDone);
}

CompletionCallback CommandLists::Common()
{
    return [this](uint16_t status, const uint8_t* data, uint8_t length) { CommonCallback(status, data, length); };
}

// The slot is read when the record completes, not when the list is built.
CompletionCallback CommandLists::Slot(const CompletionSlot& slot)
{
    return [&slot](uint16_t status, const uint8_t* data, uint8_t length) { slot(status, data, length); };
}

CommandRecord CommandLists::Read(uint16_t id, CompletionCallback cb)
{
    const FieldRef f = mirror_.Field(id);
    const ParamInfo* p = FindParameter(id);
    return {CmdRead, id, p ? p->ReadLen : uint8_t{0}, f.Data, f.Capacity, std::move(cb)};
}

CommandRecord CommandLists::Write(uint16_t id, CompletionCallback cb)
{
    const FieldRef f = mirror_.Field(id);
    return {CmdWrite, id, static_cast<uint8_t>(std::min<uint16_t>(f.Capacity, 255)), f.Data, f.Capacity,
            std::move(cb)};
}

CommandRecord CommandLists::TraceGet(uint16_t traceId, CompletionCallback cb)
{
    const FieldRef f = trace_.Field(traceId);
    return {CmdTrace, traceId, 0, f.Data, f.Capacity, std::move(cb)};
}

CommandRecord CommandLists::TraceSet(uint16_t traceId, uint8_t len, CompletionCallback cb)
{
    const FieldRef f = trace_.Field(traceId);
    return {CmdTrace, traceId, len, f.Data, f.Capacity, std::move(cb)};
}

}  // namespace ordalis
