#pragma once
// The program's image of the drive parameters: one fixed field per parameter id,
// little-endian as on the wire. Command records point straight at the fields.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace ordalis {

// A field as a command record sees it: where it lives and how many bytes it holds.
struct FieldRef {
    uint8_t* Data = nullptr;
    uint16_t Capacity = 0;
};

// Parameter ids the program uses by name.
namespace pid {
constexpr uint16_t Cp = 0;               // current-loop proportional gain
constexpr uint16_t Ci = 1;               // current-loop integral gain
constexpr uint16_t BusVoltage = 20;      // 0.01 V
constexpr uint16_t IdleDelay = 39;       // ms before the idle current applies
constexpr uint16_t BaudRate = 53;        // 32-bit, bit/s
constexpr uint16_t ModelCode = 54;
constexpr uint16_t ModelName = 55;       // 64-byte text
constexpr uint16_t SerialNumber = 56;
constexpr uint16_t PeakCurrent = 57;     // 0.01 A
constexpr uint16_t ContCurrent = 58;     // 0.01 A
constexpr uint16_t Vp = 70;
constexpr uint16_t Vi = 71;
constexpr uint16_t Pp = 90;
constexpr uint16_t Vff = 91;
constexpr uint16_t PulseMode = 97;       // 2 pulse+direction, 1 double pulse, 0 encoder following
constexpr uint16_t Smoothing = 98;       // 0.1 ms
constexpr uint16_t PulseOptions = 99;    // bit set, see PulseOptionBit
constexpr uint16_t Ls = 127;             // 0.01 mH
constexpr uint16_t Rs = 128;             // 0.01 ohm
constexpr uint16_t EncoderLines = 129;   // 32-bit
constexpr uint16_t PolePairs = 130;
constexpr uint16_t Res1Amplitude = 131;
constexpr uint16_t Res1Phase = 132;
constexpr uint16_t Res2Amplitude = 133;
constexpr uint16_t Res2Phase = 134;
constexpr uint16_t MicroStep = 135;      // steps per revolution = 50 x value
constexpr uint16_t IdleCurrent = 136;    // 65535 = 100 %
constexpr uint16_t StatusWord = 137;     // bit set, see StatusBit
constexpr uint16_t FaultCode = 138;      // goes with StatusBit::OtherFault
constexpr uint16_t Inputs = 139;         // DIP switches (low byte) and inputs
constexpr uint16_t Temperature = 151;    // 0.1 degC
constexpr uint16_t GeneratorSpeed = 154; // 32-bit, RPM = value x 60 / 4000
constexpr uint16_t WorkMode = 160;       // 14 speed generator on, 23 off
}  // namespace pid

constexpr int16_t WorkModeGeneratorOn = 14;
constexpr int16_t WorkModeGeneratorOff = 23;
constexpr uint16_t ModelNameCapacity = 64;

// Bits of parameter 99.
namespace PulseOptionBit {
constexpr int MicroStep = 0;         // micro-step function on
constexpr int Smoothing = 1;         // trajectory smoothing on (parameter 98 applies)
constexpr int FallingEdge = 2;       // pulses counted on the falling edge (clear: rising)
constexpr int ForwardOnLow = 3;      // forward direction on low level (clear: high)
}  // namespace PulseOptionBit

// Bits of parameter 137 (set = condition present).
namespace StatusBit {
constexpr int OverCurrent = 0;
constexpr int UnderVoltage = 1;
constexpr int OverVoltage = 2;
constexpr int PhaseFaultA = 3;
constexpr int PhaseFaultB = 4;
constexpr int ExternalDisable = 5;
constexpr int SoftwareDisable = 6;   // set by the status monitor to free the motor
constexpr int OverTemperature = 7;
constexpr int EepromError = 8;
constexpr int OtherFault = 11;       // parameter 138 holds its code
}  // namespace StatusBit

// Bits of parameter 139 above the DIP-switch byte (set = active).
namespace InputBit {
constexpr int PulseInput = 8;
constexpr int DirectionInput = 9;
constexpr int EnableInput = 10;
}  // namespace InputBit

inline bool TestBit(uint32_t word, int bit) { return bit >= 0 && bit < 32 && ((word >> bit) & 1u) != 0; }
// Either of the two phase bits reports a phase fault.
inline bool HasPhaseFault(uint16_t status)
{
    return TestBit(status, StatusBit::PhaseFaultA) || TestBit(status, StatusBit::PhaseFaultB);
}
inline bool HasOtherFault(uint16_t status) { return TestBit(status, StatusBit::OtherFault); }
inline uint8_t DipSwitchByte(uint16_t inputs) { return static_cast<uint8_t>(inputs & 0xFF); }

enum class ParamType : uint8_t { I16, U16, I32, Text };

// One known parameter: its field width in the mirror (2, 4 or 64), the length its read
// records carry (2, 4, or 6 for the model name) and a realistic value for a simulated drive.
struct ParamInfo {
    uint16_t Id;
    ParamType Type;
    uint8_t Width;
    uint8_t ReadLen;
    int32_t Typical;
    const char* Meaning;
};

// The known parameters in mirror order.
const std::vector<ParamInfo>& KnownParameters();
// nullptr for an unknown id.
const ParamInfo* FindParameter(uint16_t id);

class ParameterMirror {
public:
    ParameterMirror();
    // Records hold pointers into the mirror: a copy would silently detach them.
    ParameterMirror(const ParameterMirror&) = delete;
    ParameterMirror& operator=(const ParameterMirror&) = delete;

    // Ids the program knows. Unknown ids give a null FieldRef.
    FieldRef Field(uint16_t id);
    bool Has(uint16_t id) const;
    uint16_t Width(uint16_t id) const;  // 0 for an unknown id

    // Typed views of a field. Unknown ids or fields too narrow read 0 and ignore writes.
    int16_t GetI16(uint16_t id) const;
    uint16_t GetU16(uint16_t id) const;
    int32_t GetI32(uint16_t id) const;
    uint32_t GetU32(uint16_t id) const;
    void SetI16(uint16_t id, int16_t v);
    void SetU16(uint16_t id, uint16_t v);
    void SetI32(uint16_t id, int32_t v);
    void SetU32(uint16_t id, uint32_t v);
    // Bit of a 2- or 4-byte field.
    bool Bit(uint16_t id, int bit) const;

    // Parameter 55: characters up to the first NUL, at most 64. A shorter name read
    // after a longer one leaves the old tail behind its NUL; it does not count.
    std::string ModelName() const;
    // Stores at most 64 characters and clears the rest of the field.
    void SetModelName(const std::string& name);

    static constexpr size_t kStorageSize = 37 * 2 + 4 * 4 + ModelNameCapacity;  // checked against the table

private:
    const uint8_t* FieldBytes(uint16_t id, uint16_t minWidth) const;
    uint8_t* FieldBytes(uint16_t id, uint16_t minWidth);

    std::array<uint8_t, kStorageSize> storage_{};
};

}  // namespace ordalis
