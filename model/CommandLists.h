#pragma once
// Every command list of the program, built once at start-up over one mirror and one
// trace block. Records call their callbacks through DriveCallbacks, so the windows that
// come later fill the named places without touching the lists.
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "link/CommandRecord.h"
#include "model/CallbackSlot.h"
#include "model/ParameterMirror.h"
#include "model/TraceBlock.h"

namespace ordalis {

// Named places for the completion procedures of the lists, grouped by the feature that
// fills them (see CallbackSlot: a feature binds its slots and they empty themselves when
// it goes). Empty ones do nothing. Records look the slot up when they complete, so a
// slot may be filled at any time.
struct ConnectionSlots {
    // CommonCallback on 131: the link stopped answering.
    NotifySlot LinkLost;
    CompletionSlot IdentifyDone, ReadBackStep, BaudSwitchStep, AddressSearchStep;
};
struct PollSlots {
    CompletionSlot PollStatusDone, PollParaDone;
};
struct FileSlots {
    CompletionSlot WriteBackStep;
};
struct DialogSlots {
    CompletionSlot AutoTuneDone, SpeedDone, AntiResAmp1Done, AntiResPhase1Done, AntiResAmp2Done, AntiResPhase2Done,
        MotorReadDone;
};
struct ScopeSlots {
    CompletionSlot MaxSamplesDone, TraceStartDone, TraceStatusCheck1, AvidSamplesDone, TraceStatusCheck2,
        SamplesDataDone;
};
struct DriveCallbacks : ConnectionSlots, PollSlots, FileSlots, DialogSlots, ScopeSlots {};

class CommandLists {
public:
    CommandLists(ParameterMirror& mirror, TraceBlock& trace, DriveCallbacks& callbacks);
    CommandLists(const CommandLists&) = delete;
    CommandLists& operator=(const CommandLists&) = delete;

    // On 131 (no answer): LinkLost. Other statuses: nothing.
    void CommonCallback(uint16_t status, const uint8_t* data, uint8_t length);

    // Connection (RunQueue)
    // comm test, 'D' 53 (BaudSwitchStep), 'C' 55 (IdentifyDone). The model-name record is a
    // text target: the link clears the field behind a copied name before IdentifyDone runs.
    CommandList ProbeList;
    CommandList AddressTestList;  // comm test of 2 bytes (AddressSearchStep)
    // Read-back (RunQueue, ReadBackStep): HV120 and the LQ/TR models
    CommandList ReadBackList24, ReadBackList34;
    // Status poll (PollQueue): the two share their last two records, PollStatusDone last.
    CommandList PollMonitorList, PollStatusList;
    CommandList PollParaList;  // AddPollList while the parameter-setting window is open
    // Parameter file (RunQueue, file order) and EEPROM save (Lev2Queue)
    CommandList WriteBackList, EepromSaveList;

    // Status monitor (Lev2Queue): both write parameter 137 as the monitor set it.
    CommandList FreeMotorList, ClearFaultList;

    // Parameter setting (Lev2Queue): auto-tune and one write per edit box.
    CommandList AutoTuneList;
    CommandList WriteParam135List, WriteParam39List, WriteParam136List, WriteParam0List, WriteParam1List,
        WriteParam127List, WriteParam128List;
    // Pulse input mode (Lev2Queue)
    CommandList WriteParam99List, WriteParam98List, WriteParam97List;

    // Anti-resonance (Lev2Queue)
    CommandList SpeedWriteList;   // 'D' 154, SpeedDone
    CommandList GeneratorList;    // 'D' 154, 'D' 160 (2 records)
    CommandList AntiResAmp1List, AntiResPhase1List, AntiResAmp2List, AntiResPhase2List;  // 131, 132, 133, 134

    // Motor parameters (Lev2Queue): 127, 128, 129, then 130 with MotorReadDone.
    CommandList MotorReadList;

    // Oscilloscope (RunQueue)
    CommandList TraceSetupList, TraceTimeList, TraceStartList;
    // Channel-variable list for channel 0..5 (trace id = channel, data = its variable
    // code). Each channel has its own records, so a copy still queued for one channel is
    // never changed by a later call for another. Out of range: an empty list.
    CommandList TraceVariableList(int channel) const;

    // Gain and limit writes of the oscilloscope (Lev2Queue; 0 and 1 are the ones above).
    CommandList WriteParam90List, WriteParam91List, WriteParam70List, WriteParam71List;
    CommandList WriteParam131List, WriteParam132List, WriteParam133List, WriteParam134List;

    // One-record write of a known parameter: 'D', the field's width, CommonCallback.
    // Unknown ids and the model name give an empty list.
    CommandList WriteParamList(uint16_t id) const;

private:
    CompletionCallback Common();
    CompletionCallback ModelNameRead();
    static CompletionCallback Slot(const CompletionSlot& slot);
    CommandRecord Read(uint16_t id, CompletionCallback cb);
    CommandRecord Write(uint16_t id, CompletionCallback cb);
    CommandRecord TraceGet(uint16_t traceId, CompletionCallback cb);
    CommandRecord TraceSet(uint16_t traceId, uint8_t len, CompletionCallback cb);

    ParameterMirror& mirror_;
    TraceBlock& trace_;
    DriveCallbacks& callbacks_;

    // Constant payloads: sent, never written.
    uint8_t commTestData_[4] = {0x00, 0xC2, 0x01, 0x00};
    uint8_t eepromWriteOp_[2] = {0x01, 0x00};
    uint8_t studyOp_[2] = {0x00, 0x00};

    std::array<CommandRecord, 3> probe_;
    std::array<CommandRecord, 1> addressTest_;
    std::array<CommandRecord, 24> readBack24_;
    std::array<CommandRecord, 34> readBack34_;
    std::array<CommandRecord, 5> pollStatus_;
    std::array<CommandRecord, 4> pollPara_;
    std::array<CommandRecord, 14> writeBack_;
    std::array<CommandRecord, 1> eepromSave_;
    std::array<CommandRecord, 1> status137_;
    std::array<CommandRecord, 1> autoTune_;
    std::array<CommandRecord, 1> speed_;
    std::array<CommandRecord, 2> generator_;
    std::array<CommandRecord, 4> antiRes_;
    std::array<CommandRecord, 4> motorRead_;
    std::array<CommandRecord, 10> traceSetup_;
    std::array<CommandRecord, 2> traceTime_;
    std::array<CommandRecord, 5> traceStart_;
    std::array<std::array<CommandRecord, 3>, TraceChannels> traceVariable_;
    std::vector<uint16_t> writeIds_;
    std::vector<CommandRecord> writes_;  // one per writeIds_ entry; never resized after construction
};

}  // namespace ordalis
