#pragma once
// Command line of ordalis-drive-sim.
#include <cstdint>
#include <string>
#include <vector>

#include "sim/Bus.h"
#include "sim/Faults.h"

namespace ordalis::sim {

struct DriveChoice {
    uint8_t Address = 0;
    std::string Model;
};

struct ParamOverride {
    uint8_t Address = 0;
    uint16_t Id = 0;
    std::string Value;  // a number (decimal or 0x hex, may be negative), or text for id 55
};

// A parameter a drive refuses on every read and write (condition code 1).
struct Refusal {
    uint8_t Address = 0;
    uint16_t Id = 0;
};

struct SimOptions {
    std::string LinkPath;
    std::vector<DriveChoice> Drives;
    std::vector<ParamOverride> Params;
    std::vector<Refusal> Refusals;
    std::string StateFile;
    std::string LogFile;
    std::string StampsFile;  // answer ends and request starts on the monotonic clock
    uint64_t Seed = 1;
    FaultOptions Faults;
    bool Pace = false;
    AnswerStyle Style;
    bool Help = false;
};

// False and a message on a bad command line. Without --drive the bus holds 1:LQ340.
bool ParseOptions(const std::vector<std::string>& args, SimOptions& out, std::string& error);
const char* UsageText();

// "0x1F", "-5", "115200" -> value; false on anything else.
bool ParseInteger(const std::string& text, int64_t& out);

}  // namespace ordalis::sim
