#pragma once
// Every command list of the program, built once at start-up over one mirror and one
// trace block. Records call their callbacks through DriveCallbacks, so the windows that
// come later fill the named places without touching the lists.
#include <functional>
#include <vector>

#include "link/CommandRecord.h"
#include "model/ParameterMirror.h"
#include "model/TraceBlock.h"

namespace ordalis {

// Named places for the completion procedures of the lists. Empty ones do nothing.
struct DriveCallbacks {
    // CommonCallback on 131: stop the status poll, then open the connection-failure dialog.
    std::function<void()> StopPollTimer;
    std::function<void()> ShowConnectionFailure;

    CompletionCallback IdentifyDone, ReadBackStep, PollStatusDone, PollParaDone;
    CompletionCallback WriteBackStep, BaudSwitchStep, AddressSearchStep;
    // Dialogs (parameter setting, anti-resonance, motor data) and the oscilloscope.
    CompletionCallback AutoTuneDone, SpeedDone, AntiResAmp1Done, AntiResPhase1Done, AntiResAmp2Done,
        AntiResPhase2Done, MotorReadDone;
    CompletionCallback MaxSamplesDone, TraceStartDone, TraceStatusCheck1, AvidSamplesDone,
        TraceStatusCheck2, SamplesDataDone;
};

class CommandLists {
public:
    CommandLists(ParameterMirror& mirror, TraceBlock& trace, DriveCallbacks& callbacks);
    CommandLists(const CommandLists&) = delete;
    CommandLists& operator=(const CommandLists&) = delete;

    void CommonCallback(uint16_t status, const uint8_t* data, uint8_t length);

    // Connection
    CommandList ProbeList, AddressTestList;
    // Read-back
    CommandList ReadBackList24, ReadBackList34;
    // Status poll
    CommandList PollMonitorList, PollStatusList, PollParaList;
    // Parameter file and EEPROM
    CommandList WriteBackList, EepromSaveList;
    // ... the remaining lists (status monitor, parameter setting, pulse input,
    // anti-resonance, motor data, oscilloscope) are declared by the data-model work.
};

}  // namespace ordalis
