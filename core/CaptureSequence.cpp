#include "core/CaptureSequence.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/DriveAccess.h"

namespace ordalis {

Sampling ComputeSampling(uint32_t traceTimeUs, uint16_t maxSamples, uint32_t resolutionNs, Sampling current) {
    Sampling s = current;
    if (maxSamples == 0 || resolutionNs == 0) {
        s.SampPeriod = 1;
        return s;
    }
    const double period = std::ceil(double(traceTimeUs) / maxSamples / resolutionNs * 1000.0);
    s.SampPeriod = static_cast<uint16_t>(std::clamp(period, 1.0, 65535.0));
    const uint64_t periodNs = uint64_t{s.SampPeriod} * resolutionNs;
    s.SampleInterval = static_cast<uint32_t>(periodNs / 1000);
    // Below 1 us per sample the division by the interval has no meaning: count in ns.
    const uint64_t n = s.SampleInterval > 0 ? traceTimeUs / s.SampleInterval : uint64_t{traceTimeUs} * 1000 / periodNs;
    s.SampleCount = static_cast<uint16_t>(std::clamp<uint64_t>(n, 1, maxSamples));
    return s;
}

uint16_t RecorderWaitMs(uint16_t maxSamples, uint16_t avidSamples, uint32_t resolutionNs, uint16_t sampPeriod) {
    // More recorded than the capacity (a drive's quirk) means nothing is left to wait for.
    const int64_t left = std::max<int64_t>(int64_t{maxSamples} - avidSamples, 0);
    const uint16_t d = static_cast<uint16_t>(left * resolutionNs * sampPeriod / 1000000);
    return d > 200 ? static_cast<uint16_t>(d - 200) : 0;
}

CaptureSequence::CaptureSequence(DriveAccess& drive) : drive_(drive), trace_(drive.Trace()) {
    ScopeSlots& s = drive.Scope();
    bindings_[0] = s.MaxSamplesDone.Bind([this](uint16_t st, const uint8_t*, uint8_t) { MaxSamplesDone(st); });
    bindings_[1] = s.TraceStartDone.Bind([this](uint16_t st, const uint8_t*, uint8_t) { TraceStartDone(st); });
    bindings_[2] = s.TraceStatusCheck1.Bind([this](uint16_t st, const uint8_t*, uint8_t) { TraceStatusCheck1(st); });
    bindings_[3] = s.AvidSamplesDone.Bind([this](uint16_t st, const uint8_t*, uint8_t) { AvidSamplesDone(st); });
    bindings_[4] = s.TraceStatusCheck2.Bind([this](uint16_t st, const uint8_t*, uint8_t) { TraceStatusCheck2(st); });
    bindings_[5] = s.SamplesDataDone.Bind(
        [this](uint16_t st, const uint8_t* data, uint8_t n) { SamplesDataDone(st, data, n); });
}

// ---------------------------------------------------------------- set-up

void CaptureSequence::SendSetup() {
    EndIfRunning();
    drive_.SendList(RunQueue, drive_.Lists().TraceSetupList);
}

void CaptureSequence::SendChannel(int channel, int16_t code) {
    if (channel < 0 || channel >= TraceChannels) return;
    EndIfRunning();
    trace_.TraceVariable[channel] = code;
    drive_.SendList(RunQueue, drive_.Lists().TraceVariableList(channel));
}

void CaptureSequence::SendTraceTime(uint32_t traceTimeUs) {
    EndIfRunning();
    traceTimeUs_ = traceTimeUs;
    sampling_ = ComputeSampling(traceTimeUs_, trace_.MaxSamples, trace_.SampleResolution, sampling_);
    trace_.SampPeriod = sampling_.SampPeriod;
    trace_.TrigDelay = static_cast<int16_t>(-(sampling_.SampleCount / 10));
    drive_.SendList(RunQueue, drive_.Lists().TraceTimeList);
}

void CaptureSequence::UpdateVelocityFactors() { info_.UpdateVelocityFactors(drive_.Mirror().GetI32(pid::EncoderLines)); }

// ---------------------------------------------------------------- capture

StartResult CaptureSequence::Start() {
    if (std::all_of(std::begin(trace_.TraceVariable), std::end(trace_.TraceVariable), [](int16_t c) { return c == 0; }))
        return StartResult::NoChannel;
    if (sampling_.SampleCount == 0) return StartResult::NoSampling;
    trace_.TraceStatus = TraceStatusStart;
    if (!drive_.SendList(RunQueue, drive_.Lists().TraceStartList)) return StartResult::NotSent;
    phase_ = CapturePhase::Recording;
    started_ = Clock::now();
    received_ = 0;
    Progress();
    return StartResult::Started;
}

double CaptureSequence::ElapsedMs() const {
    if (phase_ == CapturePhase::Idle) return 0;
    return std::chrono::duration<double, std::milli>(Clock::now() - started_).count();
}

bool CaptureSequence::Proceed(uint16_t status) {
    if (status == NoAnswer) {
        drive_.ReportNoAnswer();
        if (phase_ != CapturePhase::Idle) End(CaptureEnd::NoAnswer);
        return false;
    }
    return status == Answered;
}

bool CaptureSequence::EndOnRefusal(uint16_t status) {
    const bool refusal = status == Failed || (status >= 2 && status <= 255 && status != Retrying && status != NoAnswer);
    if (!refusal || phase_ == CapturePhase::Idle) return false;
    refused_ = status;
    End(CaptureEnd::Refused);
    return true;
}

void CaptureSequence::MaxSamplesDone(uint16_t status) {
    if (!Proceed(status)) return;
    sampling_ = ComputeSampling(traceTimeUs_, trace_.MaxSamples, trace_.SampleResolution, sampling_);
    trace_.SampPeriod = sampling_.SampPeriod;
}

void CaptureSequence::TraceStartDone(uint16_t status) {
    if (!Proceed(status)) return;
    if (phase_ == CapturePhase::Idle) return;  // a late answer after the end
    drive_.SetRunDelay(100);
}

void CaptureSequence::TraceStatusCheck1(uint16_t status) {
    if (!Proceed(status)) return;
    if (phase_ == CapturePhase::Idle) return;  // a late answer after the end
    if (trace_.TraceStatus == TraceStatusRecording) {
        drive_.SetRunDelay(50);
    } else if (trace_.TraceStatus == TraceStatusComplete) {
        drive_.SetRunNext(3);  // the recording is already complete: no wait
        PrepareTransfer();
    } else {
        drive_.SetRunNext(0);
        drive_.SetRunDelay(50);
    }
}

void CaptureSequence::AvidSamplesDone(uint16_t status) {
    if (!Proceed(status)) return;
    if (phase_ == CapturePhase::Idle) return;  // a late answer after the end
    const uint16_t wait = RecorderWaitMs(trace_.MaxSamples, trace_.AvidSamples, trace_.SampleResolution, trace_.SampPeriod);
    if (wait > 0) drive_.SetRunDelay(wait);
}

void CaptureSequence::TraceStatusCheck2(uint16_t status) {
    if (EndOnRefusal(status) || !Proceed(status)) return;
    if (phase_ == CapturePhase::Idle) return;  // a late answer after the end
    if (trace_.TraceStatus == TraceStatusComplete) {
        PrepareTransfer();
    } else {
        drive_.SetRunNext(0);
        drive_.SetRunDelay(50);
    }
}

void CaptureSequence::PrepareTransfer() {
    count_ = sampling_.SampleCount;
    transferTimeUs_ = traceTimeUs_;
    transferIntervalUs_ = sampling_.SampleInterval;
    received_ = 0;
    trace_.SamplesData = uint32_t{count_} << 16;
    setSize_ = 0;
    for (int k = 0; k < TraceChannels; ++k) {
        codes_[k] = trace_.TraceVariable[k];
        const uint16_t size = codes_[k] != 0 ? info_[codes_[k]].Size : 0;
        setSize_ = static_cast<uint16_t>(setSize_ + size);
        buffers_[k].assign(size_t{count_} * size, 0);
        fill_[k] = 0;
    }
    phase_ = CapturePhase::Transferring;
    transferStarted_ = Clock::now();
    Progress();
}

void CaptureSequence::SamplesDataDone(uint16_t status, const uint8_t* data, uint8_t length) {
    if (EndOnRefusal(status) || !Proceed(status)) return;
    if (phase_ == CapturePhase::Recording) {
        End(CaptureEnd::OutOfStep);
        return;
    }
    if (phase_ != CapturePhase::Transferring) return;  // the capture ended meanwhile
    lastLength_ = length;
    if (length == 0 || setSize_ == 0 || length % setSize_ != 0 || !data) {
        End(CaptureEnd::BadAnswer);
        return;
    }
    const int sets = length / setSize_;
    const uint8_t* p = data;
    for (int s = 0; s < sets; ++s) {
        for (int k = 0; k < TraceChannels; ++k) {
            if (codes_[k] == 0) continue;
            const size_t size = info_[codes_[k]].Size;
            std::vector<uint8_t>& buf = buffers_[k];
            if (size == 0 || buf.size() < size) {
                p += size;
                continue;
            }
            std::memcpy(buf.data() + fill_[k], p, size);
            p += size;
            // Surplus sets overwrite the last sample instead of running past the end.
            if (fill_[k] + 2 * size <= buf.size()) fill_[k] += size;
        }
    }
    received_ = static_cast<uint16_t>(std::min<int>(received_ + sets, 0xFFFF));
    if (received_ < count_) {
        trace_.SamplesData = (uint32_t{count_} << 16) + received_;
        drive_.SetRunNext(0);
        Progress();
        return;
    }
    BuildPicture();
    if (single_ || stopRequested_) {
        const CaptureEnd why = stopRequested_ ? CaptureEnd::Stopped : CaptureEnd::Single;
        stopRequested_ = false;
        End(why);
        return;
    }
    // Continuous: the RunQueue loads the list right after this answer.
    trace_.TraceStatus = TraceStatusStart;
    if (!drive_.SendList(RunQueue, drive_.Lists().TraceStartList)) {
        End(CaptureEnd::NoAnswer);
        return;
    }
    phase_ = CapturePhase::Recording;
    started_ = Clock::now();
    received_ = 0;
    Progress();
}

void CaptureSequence::BuildPicture() {
    CaptureResult r;
    r.TraceTimeUs = transferTimeUs_;
    r.SampleIntervalUs = transferIntervalUs_;
    r.SampleCount = count_;
    r.TransferMs = std::chrono::duration<double, std::milli>(Clock::now() - transferStarted_).count();
    r.Times.resize(count_);
    for (size_t i = 0; i < count_; ++i) r.Times[i] = double(i) * transferTimeUs_ / 1000000.0 / count_;
    for (int k = 0; k < TraceChannels; ++k) {
        r.Codes[k] = codes_[k];
        if (codes_[k] == 0) continue;
        const TraceInfo& ti = info_[codes_[k]];
        r.Factors[k] = ti.Factor;
        std::vector<double>& v = r.Values[k];
        v.resize(count_);
        for (size_t i = 0; i < count_; ++i)
            v[i] = (i + 1) * ti.Size <= buffers_[k].size() ? ti.Factor * ReadTraceSample(buffers_[k].data() + i * ti.Size, ti.Kind)
                                                           : 0.0;
    }
    last_ = std::move(r);
    if (OnPicture) OnPicture(last_);
}

void CaptureSequence::End(CaptureEnd why) {
    phase_ = CapturePhase::Idle;
    if (OnEnded) OnEnded(why);
}

void CaptureSequence::EndIfRunning() {
    if (phase_ != CapturePhase::Idle) End(CaptureEnd::Replaced);
}

void CaptureSequence::Progress() {
    if (OnProgress) OnProgress();
}

}  // namespace ordalis
