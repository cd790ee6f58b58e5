#include "model/TraceBlock.h"

namespace ordalis {

namespace {
// Byte address of a member, taken from the block's own bytes so that the samples area
// can be addressed as one run over SamplesData and SamplesReserved.
uint8_t* At(TraceBlock& b, size_t offset) { return reinterpret_cast<uint8_t*>(&b) + offset; }
}  // namespace

FieldRef TraceBlock::Field(uint16_t traceId)
{
    if (traceId < TraceChannels)
        return {At(*this, offsetof(TraceBlock, TraceVariable) + 2 * traceId), 2};
    switch (traceId) {
    case TraceId::ChannelNum: return {At(*this, offsetof(TraceBlock, ChannelNum)), 4};
    case TraceId::SampleResolution: return {At(*this, offsetof(TraceBlock, SampleResolution)), 4};
    case TraceId::SampPeriod: return {At(*this, offsetof(TraceBlock, SampPeriod)), 2};
    case TraceId::TrigDelay: return {At(*this, offsetof(TraceBlock, TrigDelay)), 2};
    case TraceId::MaxSamples: return {At(*this, offsetof(TraceBlock, MaxSamples)), 2};
    case TraceId::AvidSamples: return {At(*this, offsetof(TraceBlock, AvidSamples)), 2};
    case TraceId::TraceStatus: return {At(*this, offsetof(TraceBlock, TraceStatus)), 2};
    case TraceId::SamplesData: return {At(*this, offsetof(TraceBlock, SamplesData)), SamplesAreaSize};
    default: return {};
    }
}

}  // namespace ordalis
