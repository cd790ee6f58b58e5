#pragma once
// The parameters a simulated drive has: id, how the value is held, its width on the
// wire, the value before any model-specific setting, and whether a write is refused or
// the value lives only while the drive is powered. Written from the drive's
// documentation, apart from the program's own table: a test compares the two, so a
// wrong id or width on either side shows instead of being copied into both.
#include <cstdint>
#include <vector>

namespace ordalis::sim {

// Ids the simulated drive treats in a special way.
namespace param {
constexpr uint16_t Cp = 0;
constexpr uint16_t Ci = 1;
constexpr uint16_t BusVoltage = 20;      // 0.01 V
constexpr uint16_t CurrentPeakSetting = 37;
constexpr uint16_t CurrentContSetting = 38;
constexpr uint16_t BaudRate = 53;        // bit/s
constexpr uint16_t ModelCode = 54;
constexpr uint16_t ModelName = 55;       // text
constexpr uint16_t SerialNumber = 56;
constexpr uint16_t PeakCurrent = 57;     // 0.01 A
constexpr uint16_t ContCurrent = 58;     // 0.01 A
constexpr uint16_t Vp = 70;
constexpr uint16_t Vi = 71;
constexpr uint16_t Pp = 90;
constexpr uint16_t Vff = 91;
constexpr uint16_t Ls = 127;             // 0.01 mH
constexpr uint16_t Rs = 128;             // 0.01 ohm
constexpr uint16_t EncoderLines = 129;
constexpr uint16_t PolePairs = 130;
constexpr uint16_t StatusWord = 137;     // bits: StatusWordBit
constexpr uint16_t FaultCode = 138;      // code behind StatusWordBit::OtherFault
constexpr uint16_t Inputs = 139;         // DIP switches in the low byte, then InputsBit
constexpr uint16_t Temperature = 151;    // 0.1 degC
constexpr uint16_t GeneratorSpeed = 154; // RPM = value x 60 / 4000
constexpr uint16_t WorkMode = 160;       // WorkModeValue
}  // namespace param

namespace StatusWordBit {
constexpr int OverCurrent = 0;
constexpr int UnderVoltage = 1;
constexpr int OverVoltage = 2;
constexpr int PhaseA = 3;
constexpr int PhaseB = 4;
constexpr int ExternalDisable = 5;
constexpr int SoftwareDisable = 6;
constexpr int OverTemperature = 7;
constexpr int EepromError = 8;
constexpr int OtherFault = 11;
}  // namespace StatusWordBit

namespace InputsBit {
constexpr int Pulse = 8;
constexpr int Direction = 9;
constexpr int Enable = 10;
}  // namespace InputsBit

namespace WorkModeValue {
constexpr int64_t GeneratorOn = 14;
constexpr int64_t GeneratorOff = 23;
}  // namespace WorkModeValue

// Characters the drive keeps for its model name.
constexpr uint8_t kModelNameBytes = 64;

enum class ValueKind : uint8_t { Signed, Unsigned, Text };

struct DriveParam {
    uint16_t Id;
    ValueKind Kind;
    uint8_t Width;        // bytes on the wire; for text the most the drive keeps
    int32_t Default;      // 0 where the model sets the value (FactoryDefaults)
    bool ReadOnly;        // a write is answered with condition code 4
    bool Runtime;         // neither stored in the EEPROM image nor restored from it
    const char* Name;     // for the simulator's log
};

// Every parameter of the drive, by id.
const std::vector<DriveParam>& DriveParameters();
// nullptr for an id the drive does not have.
const DriveParam* FindDriveParameter(uint16_t id);

}  // namespace ordalis::sim
