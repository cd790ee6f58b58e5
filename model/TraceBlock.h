#pragma once
// Host copy of the drive's trace-recorder settings; command-0x60 records point into it.
// The members are laid out as the drive exchanges them (little-endian, no padding), so a
// record's Data is simply the member's address.
#include <bit>
#include <cstddef>
#include <cstdint>

#include "model/ParameterMirror.h"  // FieldRef

namespace ordalis {

static_assert(std::endian::native == std::endian::little,
              "trace block members are exchanged with the drive as they lie in memory");

// Trace-command ids (the ParamId of a 0x60 record).
namespace TraceId {
constexpr uint16_t Variable0 = 0;  // 0..5: channel 1..6
constexpr uint16_t ChannelNum = 8;
constexpr uint16_t SampleResolution = 9;
constexpr uint16_t SampPeriod = 10;
constexpr uint16_t TrigDelay = 12;
constexpr uint16_t MaxSamples = 13;
constexpr uint16_t AvidSamples = 14;
constexpr uint16_t TraceStatus = 15;
constexpr uint16_t SamplesData = 16;
}  // namespace TraceId

constexpr int TraceChannels = 6;
constexpr uint16_t TraceStatusStart = 0x8000;     // written to start a recording
constexpr uint16_t TraceStatusRecording = 0x1000;
constexpr uint16_t TraceStatusComplete = 0x0800;
constexpr uint16_t SamplesAreaSize = 255;          // SamplesData word and the bytes behind it

struct TraceBlock {
    int16_t TraceVariable[TraceChannels] = {1, 2, 0, 0, 0, 0};  // variable code per channel, 0 = off
    uint8_t ChannelNum[4] = {};
    uint32_t SampleResolution = 0;  // basic sampling period, ns
    uint16_t SampPeriod = 0;        // basic periods between two samples
    uint8_t Unused[2] = {};         // not exchanged
    int16_t TrigDelay = 0;          // samples; negative = before the trigger
    uint16_t MaxSamples = 0;
    uint16_t AvidSamples = 0;
    uint16_t TraceStatus = 0;
    // Request word: low 16 bits first sample index, high 16 bits sample count. Answers
    // to the request (up to 255 bytes of samples) land here and in the bytes behind it.
    uint32_t SamplesData = 0;
    uint8_t SamplesReserved[SamplesAreaSize - 4] = {};

    // Where a 0x60 record with this trace id reads from and stores to; null for ids that
    // are never exchanged (6, 7, 11, above 16). Id 16 covers the whole 255-byte area.
    FieldRef Field(uint16_t traceId);
};

static_assert(offsetof(TraceBlock, ChannelNum) == 12);
static_assert(offsetof(TraceBlock, SampleResolution) == 16);
static_assert(offsetof(TraceBlock, SampPeriod) == 20);
static_assert(offsetof(TraceBlock, TrigDelay) == 24);
static_assert(offsetof(TraceBlock, MaxSamples) == 26);
static_assert(offsetof(TraceBlock, AvidSamples) == 28);
static_assert(offsetof(TraceBlock, TraceStatus) == 30);
static_assert(offsetof(TraceBlock, SamplesData) == 32);
static_assert(offsetof(TraceBlock, SamplesReserved) + sizeof(TraceBlock::SamplesReserved) == 32 + SamplesAreaSize);

}  // namespace ordalis
