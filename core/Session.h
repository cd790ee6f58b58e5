#pragma once
// The program-wide state, built once in main() and afresh by each test: parameter
// mirror, trace block, command lists, link record, settings and the drive link.
// Windows get a reference to it at construction; there are no hidden globals.
#include <cstdint>
#include <memory>

#include "core/LinkRecord.h"
#include "link/DriveLink.h"
#include "model/CommandLists.h"
#include "model/ParameterMirror.h"
#include "model/TraceBlock.h"

namespace ordalis {

constexpr int FeatureLevel = 1;

struct Settings {
    uint8_t LanguageIndex = 0;  // 0 Simplified Chinese, 1 English
    uint8_t LastComMode = 0;    // 1: the wizard finished with an address chosen
    LinkRecord linkRecord;
    // The address search also probes a silent address at the other baud rates. Kept in
    // cfg.ini under a key of our own.
    bool TryOtherRates = true;
};

struct Session {
    Session(SerialPort& port, TimerFactory& timers, Prompt& prompt, uint32_t keySeed)
        : link(port, timers, prompt, keySeed) {}

    ParameterMirror mirror;
    TraceBlock trace;
    DriveCallbacks callbacks;
    CommandLists lists{mirror, trace, callbacks};
    Settings settings;
    DriveLink link;
    int progressCounter = 0;  // answered records of a read-back or write-back

    SerialPort& Port() { return link.Port(); }
};

}  // namespace ordalis
