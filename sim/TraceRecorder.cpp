#include "sim/TraceRecorder.h"

#include <algorithm>

namespace ordalis::sim {

namespace {
std::vector<uint8_t> Le(uint64_t v, size_t n)
{
    std::vector<uint8_t> out(n);
    for (size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(v >> (8 * i));
    return out;
}
}  // namespace

uint16_t TraceRecorder::SetSize() const
{
    uint16_t size = 0;
    for (int16_t v : variables_) size = static_cast<uint16_t>(size + TraceSampleSize(v));
    return size;
}

uint16_t TraceRecorder::MaxSamples() const
{
    const uint16_t set = SetSize();
    if (set == 0) return kMaxSamplesCap;
    return static_cast<uint16_t>(std::min<uint32_t>(kMaxSamplesCap, kMemoryBytes / set));
}

double TraceRecorder::RecordingMs() const
{
    return double(MaxSamples()) * sampPeriod_ * resolutionNs_ / 1e6;
}

uint16_t TraceRecorder::Status(double nowMs) const
{
    if (!rec_.Started || stopped_) return kIdle;
    return nowMs - rec_.StartMs < rec_.DurationMs ? kRecording : kComplete;
}

uint16_t TraceRecorder::AvidSamples(double nowMs) const
{
    if (!rec_.Started) return 0;
    if (Status(nowMs) == kComplete || rec_.DurationMs <= 0) return rec_.Count;
    const double done = (nowMs - rec_.StartMs) / rec_.DurationMs * rec_.Count;
    return static_cast<uint16_t>(std::clamp(done, 0.0, double(rec_.Count)));
}

Answer TraceRecorder::Handle(uint16_t id, const uint8_t* p, size_t n, double nowMs, const MotionSnapshot& motion)
{
    const bool get = n == 0;
    const auto u16 = [&]() { return static_cast<uint16_t>(p[0] | (n > 1 ? p[1] << 8 : 0)); };
    if (!get && id != 16 && n != 2) return Answer::Fail(Condition::BadLength);

    if (id < kChannels) {
        if (get) return Answer::Done(Le(static_cast<uint16_t>(variables_[id]), 2));
        const int16_t code = static_cast<int16_t>(u16());
        if (code < 0 || code >= kTraceCodes) return Answer::Fail(Condition::BadValue);
        variables_[id] = code;
        return Answer::Done();
    }
    switch (id) {
    case 8:  // ChannelNum
        return get ? Answer::Done(Le(kChannels, 4)) : Answer::Fail(Condition::ReadOnly);
    case 9:  // SampleResolution
        return get ? Answer::Done(Le(resolutionNs_, 4)) : Answer::Fail(Condition::ReadOnly);
    case 10:  // SampPeriod
        if (get) return Answer::Done(Le(sampPeriod_, 2));
        if (u16() == 0) return Answer::Fail(Condition::BadValue);
        sampPeriod_ = u16();
        return Answer::Done();
    case 12:  // TrigDelay
        if (get) return Answer::Done(Le(static_cast<uint16_t>(trigDelay_), 2));
        trigDelay_ = static_cast<int16_t>(u16());
        return Answer::Done();
    case 13:  // MaxSamples
        return get ? Answer::Done(Le(MaxSamples(), 2)) : Answer::Fail(Condition::ReadOnly);
    case 14:  // AvidSamples
        return get ? Answer::Done(Le(AvidSamples(nowMs), 2)) : Answer::Fail(Condition::ReadOnly);
    case 15:  // TraceStatus
        if (get) return Answer::Done(Le(Status(nowMs), 2));
        if (u16() == kStart) {
            rec_.Started = true;
            stopped_ = false;
            rec_.StartMs = nowMs;
            rec_.DurationMs = RecordingMs();
            rec_.Variables = variables_;
            rec_.Count = MaxSamples();
            rec_.PeriodSeconds = double(sampPeriod_) * resolutionNs_ / 1e9;
            rec_.TrigDelay = trigDelay_;
            rec_.Motion = motion;
            return Answer::Done();
        }
        if (u16() == kIdle) {
            stopped_ = true;
            return Answer::Done();
        }
        return Answer::Fail(Condition::BadValue);
    case 16:  // SamplesData
        if (get) return Answer::Fail(Condition::BadCommand);
        if (n != 4) return Answer::Fail(Condition::BadLength);
        return Samples(static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16 | uint32_t{p[3]} << 24), nowMs);
    default:
        return Answer::Fail(Condition::UnknownId);
    }
}

Answer TraceRecorder::Samples(uint32_t request, double nowMs) const
{
    if (Status(nowMs) != kComplete) return Answer::Fail(Condition::NotReady);
    uint16_t setSize = 0;
    for (int16_t v : rec_.Variables) setSize = static_cast<uint16_t>(setSize + TraceSampleSize(v));
    const uint32_t first = request & 0xFFFF;
    const uint32_t wanted = std::min<uint32_t>(request >> 16, rec_.Count);
    if (setSize == 0 || first >= wanted) return Answer::Done();
    const uint32_t sets = std::min<uint32_t>(wanted - first, 255u / setSize);
    std::vector<uint8_t> out;
    out.reserve(sets * setSize);
    for (uint32_t i = first; i < first + sets; ++i) {
        // Time 0 is the trigger; a negative delay puts samples before it.
        const double t = (double(i) + rec_.TrigDelay) * rec_.PeriodSeconds;
        for (int16_t v : rec_.Variables)
            if (v != 0) AppendTraceSample(out, v, t, rec_.Motion, i);
    }
    return Answer::Done(std::move(out));
}

}  // namespace ordalis::sim
