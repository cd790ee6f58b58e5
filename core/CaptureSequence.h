#pragma once
// One oscilloscope capture through the drive's trace recorder, without widgets: the
// recorder set-up lists, the sampling arithmetic, the capture exchange on the RunQueue
// (start, wait for the recorder, fetch the sample sets) with its waits as RunQueue delays,
// and the decoding of the samples into physical values. The oscilloscope window and the
// command-line tool drive it the same way:
//
//   CaptureSequence capture(drive);          // binds the six trace completion slots
//   capture.OnPicture = [](const CaptureResult& r) { ... };  // each completed capture
//   capture.OnEnded = [](CaptureEnd why) { ... };
//   capture.SendSetup();                     // TraceSetupList: resolution, channels, capacity
//   capture.Start(/*single=*/true);          // TraceStartList until the picture
//
// Everything runs on the thread of the drive link; callbacks run from link completions.
#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

#include "model/CallbackSlot.h"
#include "model/TraceBlock.h"
#include "model/TraceInfo.h"

namespace ordalis {

class DriveAccess;

// The trace times the user can choose, in microseconds.
constexpr std::array<uint32_t, 8> TraceTimesUs = {25000, 50000, 125000, 250000, 500000, 1250000, 2500000, 5000000};

struct Sampling {
    uint16_t SampPeriod = 0;      // basic periods between two samples
    uint32_t SampleInterval = 0;  // microseconds
    uint16_t SampleCount = 0;     // N
};

// SampPeriod := ceil(T / maxSamples / resolution x 1000); interval := SampPeriod x
// resolution div 1000; N := T div interval. Without a capacity or a resolution (0) only
// SampPeriod becomes 1 and the rest stays as `current`. An interval below 1 us counts N in
// nanoseconds; N never exceeds the capacity and is never 0 once a capacity is known.
Sampling ComputeSampling(uint32_t traceTimeUs, uint16_t maxSamples, uint32_t resolutionNs, Sampling current);

// Remaining recording time less 200 ms, in ms, when that exceeds 200 ms (else 0): the
// wait after AvidSamples.
uint16_t RecorderWaitMs(uint16_t maxSamples, uint16_t avidSamples, uint32_t resolutionNs, uint16_t sampPeriod);

enum class CapturePhase : uint8_t {
    Idle,
    Recording,     // started; waiting for the recorder to complete
    Transferring,  // fetching sample sets
};

enum class CaptureEnd : uint8_t {
    Single,      // picture drawn in single mode
    Stopped,     // picture drawn after a stop request
    BadAnswer,   // a sample answer whose length does not fit the channel set: no picture
    NoAnswer,    // the drive stopped answering (the failure dialog is on its way)
    Replaced,    // another recorder list was queued (channel, trace time, set-up)
    Refused,     // a recorder or sample request failed or was refused: see RefusedStatus()
    OutOfStep,   // a sample answer came while the recorder was still recording
};

enum class StartResult : uint8_t {
    Started,
    NoChannel,   // every channel is off: nothing sent
    NoSampling,  // the recorder's capacity is not known yet: nothing sent
    NotSent,     // nothing may go out now (no drive, or a lost link)
};

// One completed capture, decoded.
struct CaptureResult {
    uint32_t TraceTimeUs = 0;
    uint32_t SampleIntervalUs = 0;
    uint16_t SampleCount = 0;
    std::array<int16_t, TraceChannels> Codes{};      // as recorded; 0 = off
    std::array<double, TraceChannels> Factors{};
    std::array<std::vector<double>, TraceChannels> Values;  // physical values, empty when off
    std::vector<double> Times;                       // seconds: i x T / N
    double TransferMs = 0;                           // first sample request to last answer
};

class CaptureSequence {
public:
    explicit CaptureSequence(DriveAccess& drive);
    CaptureSequence(const CaptureSequence&) = delete;
    CaptureSequence& operator=(const CaptureSequence&) = delete;

    // Listeners (any may be empty).
    std::function<void()> OnProgress;                    // phase or sample count changed
    std::function<void(const CaptureResult&)> OnPicture;  // all N samples are in
    std::function<void(CaptureEnd)> OnEnded;

    // --- recorder set-up (RunQueue); each ends a running capture
    void SendSetup();
    // Channel 0..5 takes `code` (0 = off), then the recorder gets it and the sampling is
    // read and sent again.
    void SendChannel(int channel, int16_t code);
    // A new trace time: sampling, trigger delay (a tenth of the samples before it), sent.
    void SendTraceTime(uint32_t traceTimeUs);
    // The trace time MaxSamplesDone computes with, without sending anything.
    void SelectTraceTime(uint32_t traceTimeUs) { traceTimeUs_ = traceTimeUs; }
    uint32_t TraceTime() const { return traceTimeUs_; }

    // --- capture
    StartResult Start();
    // Looked at after each picture: single mode ends there, continuous mode starts again.
    void SetSingle(bool single) { single_ = single; }
    bool Single() const { return single_; }
    // Ends the capture after its next picture (a stop without a capture waits for one).
    void Stop() { stopRequested_ = true; }
    bool StopRequested() const { return stopRequested_; }

    // Velocity codes in RPM from the mirror's encoder lines (parameter 129).
    void UpdateVelocityFactors();
    const TraceInfoTable& Info() const { return info_; }

    CapturePhase Phase() const { return phase_; }
    Sampling CurrentSampling() const { return sampling_; }
    uint16_t SamplesReceived() const { return received_; }
    uint16_t SetSize() const { return setSize_; }
    uint16_t TransferCount() const { return count_; }            // N of the transfer under way
    uint8_t LastAnswerLength() const { return lastLength_; }     // of the last sample answer
    uint16_t RefusedStatus() const { return refused_; }          // status behind CaptureEnd::Refused
    double ElapsedMs() const;  // since the capture started
    const CaptureResult& Last() const { return last_; }

    // Completion procedures, bound to the trace slots (public for tests).
    void MaxSamplesDone(uint16_t status);
    void TraceStartDone(uint16_t status);
    void TraceStatusCheck1(uint16_t status);
    void AvidSamplesDone(uint16_t status);
    void TraceStatusCheck2(uint16_t status);
    void SamplesDataDone(uint16_t status, const uint8_t* data, uint8_t length);

private:
    using Clock = std::chrono::steady_clock;

    // 131 ends the capture with the failure dialog; every other status but 0 is ignored.
    bool Proceed(uint16_t status);
    // A failed record (132) or a drive code ends a running capture: the RunQueue will not
    // come back to it. True when the status ended it.
    bool EndOnRefusal(uint16_t status);
    void PrepareTransfer();
    void BuildPicture();
    void End(CaptureEnd why);
    void EndIfRunning();
    void Progress();

    DriveAccess& drive_;
    TraceBlock& trace_;
    TraceInfoTable info_;
    uint32_t traceTimeUs_ = TraceTimesUs[0];
    Sampling sampling_;
    bool single_ = false;
    bool stopRequested_ = false;
    uint16_t refused_ = 0;
    CapturePhase phase_ = CapturePhase::Idle;
    Clock::time_point started_{}, transferStarted_{};

    // The transfer under way, as PrepareTransfer sized it: a channel changed meanwhile
    // never changes how an answer is split.
    std::array<int16_t, TraceChannels> codes_{};
    std::array<std::vector<uint8_t>, TraceChannels> buffers_;
    std::array<size_t, TraceChannels> fill_{};
    uint16_t setSize_ = 0;
    uint16_t received_ = 0;
    uint16_t count_ = 0;        // N of the transfer
    uint8_t lastLength_ = 0;
    uint32_t transferTimeUs_ = 0;
    uint32_t transferIntervalUs_ = 0;
    CaptureResult last_;

    std::array<CompletionSlot::Binding, 6> bindings_;
};

}  // namespace ordalis
