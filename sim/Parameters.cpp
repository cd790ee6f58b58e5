#include "sim/Parameters.h"

#include <algorithm>

namespace ordalis::sim {

const ParameterSet::Entry* ParameterSet::Find(uint16_t id) const
{
    auto it = entries_.find(id);
    return it == entries_.end() ? nullptr : &it->second;
}

int64_t ParameterSet::Get(uint16_t id) const
{
    const Entry* e = Find(id);
    return e ? e->Value : 0;
}

bool ParameterSet::Fits(ParamType type, int64_t v)
{
    switch (type) {
    case ParamType::I16: return v >= INT16_MIN && v <= INT16_MAX;
    case ParamType::U16: return v >= 0 && v <= UINT16_MAX;
    case ParamType::I32: return v >= INT32_MIN && v <= INT32_MAX;
    case ParamType::Text: return false;
    }
    return false;
}

bool ParameterSet::Set(uint16_t id, int64_t value)
{
    auto it = entries_.find(id);
    if (it == entries_.end() || !Fits(it->second.Type, value)) return false;
    it->second.Value = value;
    return true;
}

bool ParameterSet::SetText(uint16_t id, const std::string& text)
{
    auto it = entries_.find(id);
    if (it == entries_.end() || it->second.Type != ParamType::Text) return false;
    it->second.Text = text.substr(0, it->second.Width);
    return true;
}

std::vector<uint8_t> ParameterSet::Bytes(uint16_t id) const
{
    const Entry* e = Find(id);
    if (!e) return {};
    if (e->Type == ParamType::Text) return std::vector<uint8_t>(e->Text.begin(), e->Text.end());
    std::vector<uint8_t> out(e->Width);
    const uint64_t u = static_cast<uint64_t>(e->Value);
    for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<uint8_t>(u >> (8 * i));
    return out;
}

void ParameterSet::Define(uint16_t id, ParamType type, uint8_t width, int64_t value)
{
    Entry e;
    e.Type = type;
    e.Width = width;
    e.Value = value;
    entries_[id] = e;
}

int64_t ParameterSet::FromBytes(ParamType type, const uint8_t* bytes, size_t count)
{
    count = std::min<size_t>(count, 4);
    uint64_t u = 0;
    for (size_t i = 0; i < count; ++i) u |= uint64_t{bytes[i]} << (8 * i);
    const bool isSigned = type == ParamType::I16 || type == ParamType::I32;
    if (isSigned && count > 0 && (bytes[count - 1] & 0x80)) u |= ~uint64_t{0} << (8 * count);
    return static_cast<int64_t>(u);
}

ParameterSet FactoryDefaults(const ModelProfile& m, uint8_t address)
{
    ParameterSet set;
    for (const ParamInfo& p : KnownParameters()) set.Define(p.Id, p.Type, p.Width, p.Typical);
    set.SetText(pid::ModelName, m.Name);
    const std::pair<uint16_t, int64_t> values[] = {
        {pid::Cp, m.Cp},
        {pid::Ci, m.Ci},
        {pid::BusVoltage, m.BusVoltage},
        {37, m.PeakCurrent},
        {38, m.ContCurrent},
        {pid::IdleDelay, 500},
        {40, 12},
        {41, 3000},
        {42, 100},
        {43, 1000},
        {44, 0},
        {pid::BaudRate, 9600},
        {pid::ModelCode, m.ModelCode},
        {pid::SerialNumber, 1000 + 37 * address},
        {pid::PeakCurrent, m.PeakCurrent},
        {pid::ContCurrent, m.ContCurrent},
        {59, 16},
        {60, 20000},
        {pid::Vp, m.Vp},
        {pid::Vi, m.Vi},
        {pid::Pp, m.Pp},
        {pid::Vff, m.Vff},
        {pid::PulseMode, 2},
        {pid::Smoothing, 10},
        {pid::PulseOptions, 0x0001},
        {pid::Ls, m.Ls},
        {pid::Rs, m.Rs},
        {pid::EncoderLines, m.EncoderLines},
        {pid::PolePairs, m.PolePairs},
        {pid::Res1Amplitude, 12000},
        {pid::Res1Phase, 30000},
        {pid::Res2Amplitude, 8000},
        {pid::Res2Phase, 20000},
        {pid::MicroStep, 4},
        {pid::IdleCurrent, 32767},
        {pid::StatusWord, 0},
        {pid::FaultCode, 0},
        {pid::Inputs, m.DipSwitches | (1 << InputBit::EnableInput)},
        {pid::Temperature, m.Temperature},
        {pid::GeneratorSpeed, 0},
        {pid::WorkMode, WorkModeGeneratorOff},
    };
    for (const auto& [id, v] : values) set.Set(id, v);
    return set;
}

bool IsRuntimeParameter(uint16_t id)
{
    switch (id) {
    case pid::BusVoltage:
    case pid::ModelName:
    case pid::StatusWord:
    case pid::FaultCode:
    case pid::Inputs:
    case pid::Temperature:
    case pid::GeneratorSpeed:
    case pid::WorkMode:
        return true;
    default:
        return false;
    }
}

bool IsReadOnlyParameter(uint16_t id)
{
    switch (id) {
    case pid::BusVoltage:
    case pid::ModelCode:
    case pid::ModelName:
    case pid::SerialNumber:
    case pid::PeakCurrent:
    case pid::ContCurrent:
    case pid::Inputs:
    case pid::Temperature:
        return true;
    default:
        return false;
    }
}

}  // namespace ordalis::sim
