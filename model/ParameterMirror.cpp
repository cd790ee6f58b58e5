#include "model/ParameterMirror.h"

#include <algorithm>
#include <cstring>

namespace ordalis {

namespace {

using T = ParamType;

// Mirror order; Typical is what a freshly powered drive of the LQ/TR line might report.
constexpr std::array<ParamInfo, 42> kParams = {{
    {0, T::I16, 2, 2, 1000, "current-loop proportional gain (Cp)"},
    {1, T::I16, 2, 2, 200, "current-loop integral gain (Ci)"},
    {20, T::U16, 2, 2, 4800, "bus voltage, 0.01 V"},
    {37, T::I16, 2, 2, 600, "Ipeak (read back only)"},
    {38, T::I16, 2, 2, 400, "Icont (read back only)"},
    {39, T::I16, 2, 2, 1000, "idle-current delay, ms"},
    {40, T::I16, 2, 2, 0, "OffsetCur (read back only)"},
    {41, T::I32, 4, 4, 3000, "VelLitInCurMode (read back only)"},
    {42, T::I16, 2, 2, 100, "KvelLit (read back only)"},
    {43, T::I16, 2, 2, 1000, "CurRamp (read back only)"},
    {44, T::I16, 2, 2, 0, "gi_PrgCur (read back only)"},
    {53, T::I32, 4, 4, 9600, "baud rate, bit/s"},
    {54, T::U16, 2, 2, 340, "model code"},
    {55, T::Text, ModelNameCapacity, 6, 0, "model name"},
    {56, T::I16, 2, 2, 1234, "serial number"},
    {57, T::I16, 2, 2, 560, "peak current rating, 0.01 A"},
    {58, T::I16, 2, 2, 400, "continuous current rating, 0.01 A"},
    {59, T::I16, 2, 2, 0, "read back only"},
    {60, T::I16, 2, 2, 0, "read back only"},
    {70, T::I16, 2, 2, 500, "velocity-loop proportional gain (Vp)"},
    {71, T::I16, 2, 2, 50, "velocity-loop integral gain (Vi)"},
    {90, T::I16, 2, 2, 100, "position-loop proportional gain (Pp)"},
    {91, T::I16, 2, 2, 0, "velocity feed-forward (Vff)"},
    {97, T::U16, 2, 2, 2, "pulse input mode"},
    {98, T::U16, 2, 2, 10, "smoothing time constant, 0.1 ms"},
    {99, T::U16, 2, 2, 0x0003, "pulse input options"},
    {127, T::I16, 2, 2, 180, "winding inductance Ls, 0.01 mH"},
    {128, T::I16, 2, 2, 80, "winding resistance Rs, 0.01 ohm"},
    {129, T::I32, 4, 4, 1000, "encoder lines per revolution"},
    {130, T::I16, 2, 2, 50, "motor pole pairs"},
    {131, T::U16, 2, 2, 0, "resonance zone 1 amplitude"},
    {132, T::U16, 2, 2, 0, "resonance zone 1 phase"},
    {133, T::U16, 2, 2, 0, "resonance zone 2 amplitude"},
    {134, T::U16, 2, 2, 0, "resonance zone 2 phase"},
    {135, T::U16, 2, 2, 32, "internal micro-step, steps/rev = 50 x value"},
    {136, T::U16, 2, 2, 32768, "idle current, 65535 = 100 %"},
    {137, T::U16, 2, 2, 0, "status and fault word"},
    {138, T::U16, 2, 2, 0, "fault code"},
    {139, T::U16, 2, 2, 0, "DIP switches and inputs"},
    {151, T::I16, 2, 2, 350, "temperature, 0.1 degC"},
    {154, T::I32, 4, 4, 0, "speed generator speed"},
    {160, T::I16, 2, 2, WorkModeGeneratorOff, "work mode"},
}};

constexpr size_t TotalWidth()
{
    size_t total = 0;
    for (const ParamInfo& p : kParams) total += p.Width;
    return total;
}
static_assert(TotalWidth() == ParameterMirror::kStorageSize);

constexpr uint16_t kMaxId = 160;
constexpr int16_t kNone = -1;

struct Layout {
    std::array<int16_t, kMaxId + 1> index{};
    std::array<uint16_t, kMaxId + 1> offset{};
    Layout()
    {
        index.fill(kNone);
        uint16_t total = 0;
        for (size_t i = 0; i < kParams.size(); ++i) {
            index[kParams[i].Id] = static_cast<int16_t>(i);
            offset[kParams[i].Id] = total;
            total = static_cast<uint16_t>(total + kParams[i].Width);
        }
    }
};

const Layout& GetLayout()
{
    static const Layout layout;
    return layout;
}

}  // namespace

const std::vector<ParamInfo>& KnownParameters()
{
    static const std::vector<ParamInfo> params(kParams.begin(), kParams.end());
    return params;
}

const ParamInfo* FindParameter(uint16_t id)
{
    if (id > kMaxId) return nullptr;
    const int16_t i = GetLayout().index[id];
    return i == kNone ? nullptr : &kParams[static_cast<size_t>(i)];
}

ParameterMirror::ParameterMirror() = default;

bool ParameterMirror::Has(uint16_t id) const { return FindParameter(id) != nullptr; }

uint16_t ParameterMirror::Width(uint16_t id) const
{
    const ParamInfo* p = FindParameter(id);
    return p ? p->Width : 0;
}

FieldRef ParameterMirror::Field(uint16_t id)
{
    const ParamInfo* p = FindParameter(id);
    if (!p) return {};
    return {storage_.data() + GetLayout().offset[id], p->Width};
}

const uint8_t* ParameterMirror::FieldBytes(uint16_t id, uint16_t minWidth) const
{
    const ParamInfo* p = FindParameter(id);
    if (!p || p->Width < minWidth) return nullptr;
    return storage_.data() + GetLayout().offset[id];
}

uint8_t* ParameterMirror::FieldBytes(uint16_t id, uint16_t minWidth)
{
    return const_cast<uint8_t*>(static_cast<const ParameterMirror*>(this)->FieldBytes(id, minWidth));
}

// Fields are little-endian whatever the host is.
uint16_t ParameterMirror::GetU16(uint16_t id) const
{
    const uint8_t* b = FieldBytes(id, 2);
    return b ? static_cast<uint16_t>(b[0] | (b[1] << 8)) : 0;
}

uint32_t ParameterMirror::GetU32(uint16_t id) const
{
    const uint8_t* b = FieldBytes(id, 4);
    return b ? static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
                   (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24)
             : 0;
}

int16_t ParameterMirror::GetI16(uint16_t id) const { return static_cast<int16_t>(GetU16(id)); }
int32_t ParameterMirror::GetI32(uint16_t id) const { return static_cast<int32_t>(GetU32(id)); }

void ParameterMirror::SetU16(uint16_t id, uint16_t v)
{
    if (uint8_t* b = FieldBytes(id, 2)) {
        b[0] = static_cast<uint8_t>(v);
        b[1] = static_cast<uint8_t>(v >> 8);
    }
}

void ParameterMirror::SetU32(uint16_t id, uint32_t v)
{
    if (uint8_t* b = FieldBytes(id, 4)) {
        for (int i = 0; i < 4; ++i) b[i] = static_cast<uint8_t>(v >> (8 * i));
    }
}

void ParameterMirror::SetI16(uint16_t id, int16_t v) { SetU16(id, static_cast<uint16_t>(v)); }
void ParameterMirror::SetI32(uint16_t id, int32_t v) { SetU32(id, static_cast<uint32_t>(v)); }

bool ParameterMirror::Bit(uint16_t id, int bit) const
{
    return Width(id) == 4 ? TestBit(GetU32(id), bit) : TestBit(GetU16(id), bit);
}

std::string ParameterMirror::ModelName() const
{
    const uint8_t* b = FieldBytes(pid::ModelName, ModelNameCapacity);
    const uint8_t* end = std::find(b, b + ModelNameCapacity, uint8_t{0});
    return std::string(reinterpret_cast<const char*>(b), static_cast<size_t>(end - b));
}

void ParameterMirror::SetModelName(const std::string& name)
{
    uint8_t* b = FieldBytes(pid::ModelName, ModelNameCapacity);
    std::memset(b, 0, ModelNameCapacity);
    std::memcpy(b, name.data(), std::min<size_t>(name.size(), ModelNameCapacity));
}

}  // namespace ordalis
