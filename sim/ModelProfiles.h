#pragma once
// The seven drive models as the simulator plays them: per-model ratings, supply voltage,
// loop gains, motor and recorder figures that make the parameter defaults realistic.
#include <cstdint>
#include <string>
#include <vector>

namespace ordalis::sim {

struct ModelProfile {
    const char* Name;
    uint16_t ModelCode;      // parameter 54
    uint16_t BusVoltage;     // parameter 20 nominal, 0.01 V
    int16_t PeakCurrent;     // parameter 57, 0.01 A
    int16_t ContCurrent;     // parameter 58, 0.01 A
    int16_t Cp, Ci;          // parameters 0 and 1
    int16_t Ls, Rs;          // parameters 127 (0.01 mH) and 128 (0.01 ohm) as shipped
    int16_t TrueLs, TrueRs;  // what the auto-tune "measures" on the attached motor
    int32_t EncoderLines;    // parameter 129
    int16_t PolePairs;       // parameter 130
    int16_t Vp, Vi, Pp, Vff; // parameters 70, 71, 90, 91
    uint16_t DipSwitches;    // parameter 139 low byte; inputs above
    int16_t Temperature;     // parameter 151 at power-on, 0.1 degC
    uint32_t SampleResolution;  // trace recorder basic period, ns
};

// nullptr for an unknown name (names compare exactly).
const ModelProfile* FindModel(const std::string& name);
const std::vector<ModelProfile>& Models();

}  // namespace ordalis::sim
