#pragma once
// The drive's trace recorder (command 0x60): channel variables, sampling period, trigger
// delay, a recording that runs for MaxSamples x SampPeriod x SampleResolution, and the
// samples fetched afterwards as whole sample sets of up to 255 bytes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim/Answer.h"
#include "sim/Waveforms.h"

namespace ordalis::sim {

class TraceRecorder {
public:
    static constexpr uint16_t kIdle = 0;
    static constexpr uint16_t kStart = 0x8000;
    static constexpr uint16_t kRecording = 0x1000;
    static constexpr uint16_t kComplete = 0x0800;
    static constexpr uint16_t kMaxSamplesCap = 1000;
    static constexpr uint32_t kMemoryBytes = 6000;  // recorder memory shared by the channels
    static constexpr int kChannels = 6;

    explicit TraceRecorder(uint32_t sampleResolutionNs) : resolutionNs_(sampleResolutionNs) {}

    // One trace command: id, then the payload (empty for a "Get"). motion is sampled
    // when the request starts a recording.
    Answer Handle(uint16_t id, const uint8_t* payload, size_t count, double nowMs, const MotionSnapshot& motion);

    uint16_t SetSize() const;     // bytes of one sample of all enabled channels
    uint16_t MaxSamples() const;  // capacity for the current channel set
    uint16_t Status(double nowMs) const;
    uint16_t AvidSamples(double nowMs) const;
    double RecordingMs() const;   // length of a recording with the current settings
    int16_t Variable(int channel) const { return variables_[channel]; }
    uint16_t SampPeriod() const { return sampPeriod_; }

private:
    Answer Samples(uint32_t request, double nowMs) const;

    struct Recording {
        bool Started = false;
        double StartMs = 0;
        double DurationMs = 0;
        std::array<int16_t, kChannels> Variables{};
        uint16_t Count = 0;
        double PeriodSeconds = 0;
        int16_t TrigDelay = 0;
        MotionSnapshot Motion;
    };

    uint32_t resolutionNs_;
    std::array<int16_t, kChannels> variables_{1, 2, 0, 0, 0, 0};
    uint16_t sampPeriod_ = 1;
    int16_t trigDelay_ = 0;
    bool stopped_ = false;  // a 0 written to TraceStatus
    Recording rec_;
};

}  // namespace ordalis::sim
