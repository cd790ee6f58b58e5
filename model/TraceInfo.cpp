#include "model/TraceInfo.h"

namespace ordalis {

namespace {

TraceInfo Make(uint16_t size, uint8_t kind, double factor, const char* nameZh, const char* nameEn,
               const char* unitZh, const char* unitEn)
{
    return {size, factor, kind, nameZh, nameEn, unitZh, unitEn};
}

}  // namespace

TraceInfoTable::TraceInfoTable()
{
    const TraceInfo current = Make(2, TraceS16, 0.01, "电流", "Current", "A", "A");
    const TraceInfo velocity = Make(4, TraceS32, 1.0, "速度", "Velocity", "转/分", "RPM");
    const TraceInfo position = Make(4, TraceS32, 1.0, "位置", "Position", "脉冲", "Pulse");
    const TraceInfo voltage = Make(2, TraceS16, 0.01, "电压", "Voltage", "伏特", "V");
    const TraceInfo elecAngle = Make(2, TraceS16, 1.0, "电角度", "ANG1", "W1", "W1");

    info_[0] = TraceInfo{};
    for (int c : {1, 2, 3, 13, 14, 21, 22}) info_[c] = current;
    for (int c : {4, 5, 6}) info_[c] = velocity;
    info_[7] = Make(4, TraceS32, 1.0, "速度误差", "Velocity Error", "转/分", "RPM");
    for (int c : {8, 9, 10}) info_[c] = position;
    info_[11] = Make(4, TraceS32, 1.0, "跟随误差", "Follow Error", "脉冲", "Pulse");
    info_[12] = Make(2, TraceU16, 0.01, "电压", "Voltage", "伏特", "V");
    for (int c : {15, 16, 17, 18}) info_[c] = voltage;
    info_[19] = Make(2, TraceS16, 1.0, "角速度", "W", "W", "W");
    info_[20] = Make(2, TraceU16, 1.0, "角度", "ANG", "W", "W");
    for (int c : {23, 24, 25, 26}) info_[c] = elecAngle;
}

const TraceInfo& TraceInfoTable::operator[](int code) const
{
    return info_[code >= 0 && code < TraceCodeCount ? static_cast<size_t>(code) : 0];
}

void TraceInfoTable::UpdateVelocityFactors(int32_t encoderLines)
{
    if (encoderLines == 0) return;
    const double factor = 6.0 / (4.0 * encoderLines);
    for (int c = 4; c <= 7; ++c) info_[static_cast<size_t>(c)].Factor = factor;
}

double ReadTraceSample(const uint8_t* b, uint8_t kind)
{
    uint32_t u = 0;
    const int size = kind & 0x7F;
    if (size != 1 && size != 2 && size != 4) return 0.0;
    for (int i = 0; i < size; ++i) u |= static_cast<uint32_t>(b[i]) << (8 * i);
    if (kind & 0x80) return static_cast<double>(u);
    switch (size) {
    case 1: return static_cast<int8_t>(u);
    case 2: return static_cast<int16_t>(u);
    default: return static_cast<int32_t>(u);
    }
}

}  // namespace ordalis
