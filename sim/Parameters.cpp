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

bool ParameterSet::Fits(ValueKind kind, uint8_t width, int64_t v)
{
    if (kind == ValueKind::Text || width == 0 || width > 4) return false;
    const int bits = 8 * width;
    if (kind == ValueKind::Unsigned) return v >= 0 && v < (int64_t{1} << bits);
    return v >= -(int64_t{1} << (bits - 1)) && v < (int64_t{1} << (bits - 1));
}

bool ParameterSet::Set(uint16_t id, int64_t value)
{
    auto it = entries_.find(id);
    if (it == entries_.end() || !Fits(it->second.Kind, it->second.Width, value)) return false;
    it->second.Value = value;
    return true;
}

bool ParameterSet::SetText(uint16_t id, const std::string& text)
{
    auto it = entries_.find(id);
    if (it == entries_.end() || it->second.Kind != ValueKind::Text) return false;
    it->second.Text = text.substr(0, it->second.Width);
    return true;
}

std::vector<uint8_t> ParameterSet::Bytes(uint16_t id) const
{
    const Entry* e = Find(id);
    if (!e) return {};
    if (e->Kind == ValueKind::Text) return std::vector<uint8_t>(e->Text.begin(), e->Text.end());
    std::vector<uint8_t> out(e->Width);
    const uint64_t u = static_cast<uint64_t>(e->Value);
    for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<uint8_t>(u >> (8 * i));
    return out;
}

void ParameterSet::Define(uint16_t id, ValueKind kind, uint8_t width, int64_t value)
{
    Entry e;
    e.Kind = kind;
    e.Width = width;
    e.Value = value;
    entries_[id] = e;
}

int64_t ParameterSet::FromBytes(ValueKind kind, const uint8_t* bytes, size_t count)
{
    count = std::min<size_t>(count, 4);
    uint64_t u = 0;
    for (size_t i = 0; i < count; ++i) u |= uint64_t{bytes[i]} << (8 * i);
    const bool isSigned = kind == ValueKind::Signed;
    if (isSigned && count > 0 && (bytes[count - 1] & 0x80)) u |= ~uint64_t{0} << (8 * count);
    return static_cast<int64_t>(u);
}

ParameterSet FactoryDefaults(const ModelProfile& m, uint8_t address)
{
    ParameterSet set;
    for (const DriveParam& p : DriveParameters()) set.Define(p.Id, p.Kind, p.Width, p.Default);
    set.SetText(param::ModelName, m.Name);
    // What differs from model to model (and the serial number from drive to drive).
    const std::pair<uint16_t, int64_t> values[] = {
        {param::Cp, m.Cp},
        {param::Ci, m.Ci},
        {param::BusVoltage, m.BusVoltage},
        {param::CurrentPeakSetting, m.PeakCurrent},
        {param::CurrentContSetting, m.ContCurrent},
        {param::ModelCode, m.ModelCode},
        {param::SerialNumber, 1000 + 37 * address},
        {param::PeakCurrent, m.PeakCurrent},
        {param::ContCurrent, m.ContCurrent},
        {param::Vp, m.Vp},
        {param::Vi, m.Vi},
        {param::Pp, m.Pp},
        {param::Vff, m.Vff},
        {param::Ls, m.Ls},
        {param::Rs, m.Rs},
        {param::EncoderLines, m.EncoderLines},
        {param::PolePairs, m.PolePairs},
        {param::Inputs, m.DipSwitches | (1 << InputsBit::Enable)},
        {param::Temperature, m.Temperature},
    };
    for (const auto& [id, v] : values) set.Set(id, v);
    return set;
}

bool IsRuntimeParameter(uint16_t id)
{
    const DriveParam* p = FindDriveParameter(id);
    return p && p->Runtime;
}

bool IsReadOnlyParameter(uint16_t id)
{
    const DriveParam* p = FindDriveParameter(id);
    return p && p->ReadOnly;
}

}  // namespace ordalis::sim
