#pragma once
// What each trace variable code 0..26 means for the samples the drive sends: bytes per
// sample, how to read them, the factor to physical units and the names to show.
#include <array>
#include <cstddef>
#include <cstdint>

namespace ordalis {

// How a raw sample is read (little-endian).
enum TraceKind : uint8_t {
    TraceNone = 0,
    TraceS8 = 1, TraceS16 = 2, TraceS32 = 4,
    TraceU8 = 0x81, TraceU16 = 0x82, TraceU32 = 0x84,
};

struct TraceInfo {
    uint16_t Size = 0;   // bytes per sample
    double Factor = 1.0; // physical value = Factor x raw sample
    uint8_t Kind = TraceNone;
    // Quantity name (also the key for sharing a plot axis) and unit, UTF-8.
    const char* NameZh = " ";
    const char* NameEn = " ";
    const char* UnitZh = " ";
    const char* UnitEn = " ";

    const char* Name(uint8_t languageIndex) const { return languageIndex == 0 ? NameZh : NameEn; }
    const char* Unit(uint8_t languageIndex) const { return languageIndex == 0 ? UnitZh : UnitEn; }
};

constexpr int TraceCodeCount = 27;

class TraceInfoTable {
public:
    TraceInfoTable();
    // Codes outside 0..26 give the entry of code 0 (no data).
    const TraceInfo& operator[](int code) const;
    // Velocity codes 4..7 take 6 / (4 x encoder lines); 0 lines leaves them unchanged.
    void UpdateVelocityFactors(int32_t encoderLines);

private:
    std::array<TraceInfo, TraceCodeCount> info_{};
};

// Decodes one raw sample as `kind` says; 0 for an unknown kind.
double ReadTraceSample(const uint8_t* bytes, uint8_t kind);

}  // namespace ordalis
