#include "core/ParameterWriter.h"

#include <algorithm>

#include "core/Deferred.h"
#include "core/Session.h"
#include "link/LinkTimer.h"

namespace ordalis {

ParameterWriter::ParameterWriter(Session& state, TimerFactory& timers, QObject* context, Hooks hooks)
    : state_(state), context_(context), hooks_(std::move(hooks)), busyTimer_(timers.CreateTimer()) {
    busyTimer_->OnTimeout = [this] { Pump(); };
}

ParameterWriter::~ParameterWriter() { busyTimer_->Stop(); }

int64_t ParameterWriter::MirrorValue(uint16_t id) const {
    const ParamInfo* p = FindParameter(id);
    if (!p) return 0;
    switch (p->Type) {
        case ParamType::I16: return state_.mirror.GetI16(id);
        case ParamType::U16: return state_.mirror.GetU16(id);
        case ParamType::I32: return state_.mirror.GetI32(id);
        case ParamType::Text: break;
    }
    return 0;
}

void ParameterWriter::Store(uint16_t id, int64_t value) {
    const ParamInfo* p = FindParameter(id);
    if (!p) return;
    switch (p->Type) {
        case ParamType::I16: state_.mirror.SetI16(id, static_cast<int16_t>(value)); break;
        case ParamType::U16: state_.mirror.SetU16(id, static_cast<uint16_t>(value)); break;
        case ParamType::I32: state_.mirror.SetI32(id, static_cast<int32_t>(value)); break;
        case ParamType::Text: break;
    }
}

bool ParameterWriter::Waiting(JobKind kind, uint16_t id) const {
    return std::any_of(jobs_.begin(), jobs_.end(), [&](const Job& j) { return j.kind == kind && j.id == id; });
}

WriteOutcome ParameterWriter::Write(uint16_t id, int64_t value, ValueRange range, bool always) {
    const ParamInfo* p = FindParameter(id);
    if (!p || p->Type == ParamType::Text) return WriteOutcome::Unknown;
    if (!always && MirrorValue(id) == value) return WriteOutcome::Unchanged;
    if (value < range.min || value > range.max) return WriteOutcome::OutOfRange;
    // A write that cannot go out is not stored either: the mirror keeps matching the drive.
    if (!hooks_.canSend()) return WriteOutcome::NotSent;
    const int64_t prior = MirrorValue(id);
    Store(id, value);
    const auto waiting =
        std::find_if(jobs_.begin(), jobs_.end(), [&](const Job& j) { return j.kind == JobKind::Write && j.id == id; });
    if (waiting != jobs_.end())
        waiting->value = value;  // keeps its place: sent once, with the latest value
    else
        jobs_.push_back({JobKind::Write, id, value, prior});
    Pump();
    return WriteOutcome::Queued;
}

void ParameterWriter::ReadBack(uint16_t id) {
    if (!FindParameter(id) || Waiting(JobKind::Read, id)) return;
    jobs_.push_back({JobKind::Read, id, 0, 0});
    Pump();
}

void ParameterWriter::Clear() {
    jobs_.clear();
    inFlight_.reset();
    ++serial_;  // a late completion of the forgotten record is ignored
    busyTimer_->Stop();
}

void ParameterWriter::OverlayPending() {
    if (inFlight_ && inFlight_->kind == JobKind::Write) Store(inFlight_->id, inFlight_->value);
    for (const Job& j : jobs_)
        if (j.kind == JobKind::Write) Store(j.id, j.value);
}

void ParameterWriter::PumpLater() {
    std::weak_ptr<char> alive = alive_;
    RunDeferred(context_, [this, alive] {
        if (!alive.expired()) Pump();
    });
}

// One record of ours on the Lev2Queue at a time; the next goes when it has completed.
void ParameterWriter::Pump() {
    const QueueState& lev2 = state_.link.Queue(Lev2Queue);
    if (inFlight_) {
        if (lev2.busy) return;
        inFlight_.reset();  // the link was reset under it: it will not complete
    }
    if (jobs_.empty()) return;
    if (!hooks_.canSend()) {
        Clear();
        return;
    }
    if (lev2.busy) {
        // Another list holds the queue and tells us nothing when it ends: look again soon.
        if (!busyTimer_->IsActive()) busyTimer_->Start(kBusyRetryMs);
        return;
    }
    const Job job = jobs_.front();
    jobs_.pop_front();
    const ParamInfo* p = FindParameter(job.id);
    const uint64_t serial = ++serial_;
    std::weak_ptr<char> alive = alive_;
    CompletionCallback done = [this, alive, serial](uint16_t status, const uint8_t*, uint8_t) {
        if (!alive.expired()) Completed(serial, status);
    };
    if (job.kind == JobKind::Write) {
        const auto v = static_cast<uint32_t>(job.value);
        for (int i = 0; i < 4; ++i) data_[i] = static_cast<uint8_t>(v >> (8 * i));
        record_ = {CmdWrite, job.id, p->Width, data_, p->Width, std::move(done)};
    } else {
        const FieldRef f = state_.mirror.Field(job.id);
        record_ = {CmdRead, job.id, p->ReadLen, f.Data, f.Capacity, std::move(done)};
    }
    inFlight_ = job;
    state_.link.SendLev2List(&record_, 1);
}

void ParameterWriter::Completed(uint64_t serial, uint16_t status) {
    if (!inFlight_ || serial != serial_ || status == Retrying || status == Sent) return;
    const Job job = *inFlight_;
    if (status == NoAnswer) {
        Clear();
        if (hooks_.noAnswer) hooks_.noAnswer();
        return;
    }
    inFlight_.reset();
    if (job.kind == JobKind::Write)
        WriteDone(job, status);
    else
        ReadDone(job, status);
    // The Lev2Queue is still busy until this completion has returned.
    if (!jobs_.empty()) PumpLater();
}

void ParameterWriter::WriteDone(const Job& job, uint16_t status) {
    const auto next = std::find_if(jobs_.begin(), jobs_.end(),
                                   [&](const Job& j) { return j.kind == JobKind::Write && j.id == job.id; });
    if (status == Answered) {
        // The drive holds it now, whatever a poll read before the write put in the mirror.
        if (next == jobs_.end()) Store(job.id, job.value);
        else next->prior = job.value;
        return;
    }
    if (next != jobs_.end()) {
        next->prior = job.prior;  // a newer value is on its way and decides
    } else {
        Store(job.id, job.prior);
        if (hooks_.restored) hooks_.restored(job.id);
        if (!Waiting(JobKind::Read, job.id)) jobs_.push_back({JobKind::Read, job.id, 0, 0});
    }
    if (hooks_.refused) hooks_.refused(job.id, status);
}

void ParameterWriter::ReadDone(const Job& job, uint16_t status) {
    if (status != Answered) return;  // the mirror keeps the last value known
    const auto next = std::find_if(jobs_.begin(), jobs_.end(),
                                   [&](const Job& j) { return j.kind == JobKind::Write && j.id == job.id; });
    if (next != jobs_.end()) {
        next->prior = MirrorValue(job.id);
        Store(job.id, next->value);
        return;
    }
    if (hooks_.restored) hooks_.restored(job.id);
}

}  // namespace ordalis
