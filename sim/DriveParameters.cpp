#include "sim/DriveParameters.h"

#include <algorithm>

namespace ordalis::sim {

namespace {
constexpr ValueKind S = ValueKind::Signed;
constexpr ValueKind U = ValueKind::Unsigned;
constexpr bool RO = true, RW = false;      // read-only / writable
constexpr bool POWER = true, KEPT = false;  // lost at power-off / kept in the EEPROM

// Ids 37, 38, 40 to 44, 59 and 60 are read back by the program but neither shown nor
// written; the drive holds them as signed 16-bit values (41: 32-bit).
const std::vector<DriveParam> kTable = {
    {param::Cp, S, 2, 0, RW, KEPT, "current-loop Kp"},
    {param::Ci, S, 2, 0, RW, KEPT, "current-loop Ki"},
    {param::BusVoltage, U, 2, 0, RO, POWER, "bus voltage"},
    {param::CurrentPeakSetting, S, 2, 0, RW, KEPT, "peak current setting"},
    {param::CurrentContSetting, S, 2, 0, RW, KEPT, "continuous current setting"},
    {39, S, 2, 500, RW, KEPT, "idle-current delay"},
    {40, S, 2, 12, RW, KEPT, "current offset"},
    {41, S, 4, 3000, RW, KEPT, "velocity limit in current mode"},
    {42, S, 2, 100, RW, KEPT, "velocity limit gain"},
    {43, S, 2, 1000, RW, KEPT, "current ramp"},
    {44, S, 2, 0, RW, KEPT, "programmed current"},
    {param::BaudRate, S, 4, 9600, RW, KEPT, "line rate"},
    {param::ModelCode, U, 2, 0, RO, KEPT, "model code"},
    {param::ModelName, ValueKind::Text, kModelNameBytes, 0, RO, POWER, "model name"},
    {param::SerialNumber, S, 2, 0, RO, KEPT, "serial number"},
    {param::PeakCurrent, S, 2, 0, RO, KEPT, "peak current rating"},
    {param::ContCurrent, S, 2, 0, RO, KEPT, "continuous current rating"},
    {59, S, 2, 16, RW, KEPT, "reserved 59"},
    {60, S, 2, 20000, RW, KEPT, "reserved 60"},
    {param::Vp, S, 2, 0, RW, KEPT, "velocity-loop Kp"},
    {param::Vi, S, 2, 0, RW, KEPT, "velocity-loop Ki"},
    {param::Pp, S, 2, 0, RW, KEPT, "position-loop Kp"},
    {param::Vff, S, 2, 0, RW, KEPT, "velocity feed-forward"},
    {97, U, 2, 2, RW, KEPT, "pulse input mode"},
    {98, U, 2, 10, RW, KEPT, "smoothing time"},
    {99, U, 2, 0x0001, RW, KEPT, "pulse input options"},
    {param::Ls, S, 2, 0, RW, KEPT, "winding inductance"},
    {param::Rs, S, 2, 0, RW, KEPT, "winding resistance"},
    {param::EncoderLines, S, 4, 0, RW, KEPT, "encoder lines"},
    {param::PolePairs, S, 2, 0, RW, KEPT, "pole pairs"},
    {131, U, 2, 12000, RW, KEPT, "resonance 1 amplitude"},
    {132, U, 2, 30000, RW, KEPT, "resonance 1 phase"},
    {133, U, 2, 8000, RW, KEPT, "resonance 2 amplitude"},
    {134, U, 2, 20000, RW, KEPT, "resonance 2 phase"},
    {135, U, 2, 4, RW, KEPT, "micro-step setting"},
    {136, U, 2, 32767, RW, KEPT, "idle current"},
    {param::StatusWord, U, 2, 0, RW, POWER, "status word"},
    {param::FaultCode, U, 2, 0, RW, POWER, "fault code"},
    {param::Inputs, U, 2, 0, RO, POWER, "switches and inputs"},
    {param::Temperature, S, 2, 0, RO, POWER, "temperature"},
    {param::GeneratorSpeed, S, 4, 0, RW, POWER, "generator speed"},
    {param::WorkMode, S, 2, WorkModeValue::GeneratorOff, RW, POWER, "work mode"},
};
}  // namespace

const std::vector<DriveParam>& DriveParameters() { return kTable; }

const DriveParam* FindDriveParameter(uint16_t id)
{
    const auto it = std::find_if(kTable.begin(), kTable.end(), [id](const DriveParam& p) { return p.Id == id; });
    return it == kTable.end() ? nullptr : &*it;
}

}  // namespace ordalis::sim
