// Identify, read-back, fault check, the status poll, the lost link and the window side
// (DriveAccess). The connect operation itself is in ConnectSequence.cpp.
#include "core/DriveSession.h"

#include <algorithm>
#include <iterator>
#include <limits>

#include "core/Deferred.h"
#include "core/EepromSave.h"
#include "core/Texts.h"
#include "core/UiPrompt.h"
#include "core/WriteTexts.h"
#include "link/Codec.h"
#include "link/LinkTimer.h"
#include "model/ModelFamily.h"

namespace ordalis {

namespace {

void StoreValue(ParameterMirror& mirror, const ParamInfo& p, int64_t value) {
    switch (p.Type) {
        case ParamType::I16: mirror.SetI16(p.Id, static_cast<int16_t>(value)); break;
        case ParamType::U16: mirror.SetU16(p.Id, static_cast<uint16_t>(value)); break;
        case ParamType::I32: mirror.SetI32(p.Id, static_cast<int32_t>(value)); break;
        case ParamType::Text: break;
    }
}

}  // namespace

// ---------------------------------------------------------------- poll registration

PollRegistration::PollRegistration(PollRegistration&& o) noexcept : release_(std::move(o.release_)) {
    o.release_ = nullptr;
}

PollRegistration& PollRegistration::operator=(PollRegistration&& o) noexcept {
    if (this != &o) {
        Release();
        release_ = std::move(o.release_);
        o.release_ = nullptr;
    }
    return *this;
}

void PollRegistration::Release() {
    auto release = std::move(release_);
    release_ = nullptr;
    if (release) release();
}

// ---------------------------------------------------------------- session

DriveSession::DriveSession(Session& state, TimerFactory& timers, UiPrompt& prompt, QObject* parent)
    : QObject(parent),
      state_(state),
      prompt_(prompt),
      stepTimer_(timers.CreateTimer()),
      pollTimer_(timers.CreateTimer()),
      writer_(state, timers, this,
              {[this] { return !waking_ && !state_.link.IsLinkLost(); },
               [this](uint16_t id, uint16_t status) { WriteRefusedNow(id, status); },
               [this](uint16_t id) { restoredWatchers_.Call(id); }, [this] { NoAnswer(); }}) {
    stepTimer_->OnTimeout = [this] {
        auto step = std::move(step_);
        step_ = nullptr;
        if (step) step();
    };
    pollTimer_->OnTimeout = [this] {
        pollTimer_->Start(kPollIntervalMs);
        RdErrorIntvalTimer();
    };
    DriveCallbacks& cb = state_.callbacks;
    linkLostBinding_ = cb.LinkLost.Bind([this] { NoAnswer(); });
    baudSwitchBinding_ = cb.BaudSwitchStep.Bind([this](uint16_t s, const uint8_t*, uint8_t) { BaudSwitchStep(s); });
    identifyBinding_ = cb.IdentifyDone.Bind([this](uint16_t s, const uint8_t*, uint8_t) { IdentifyDone(s); });
    readBackBinding_ = cb.ReadBackStep.Bind([this](uint16_t s, const uint8_t*, uint8_t) { ReadBackStep(s); });
    pollStatusBinding_ = cb.PollStatusDone.Bind([this](uint16_t s, const uint8_t*, uint8_t) { PollStatusDone(s); });
    pollParaBinding_ = cb.PollParaDone.Bind([this](uint16_t s, const uint8_t*, uint8_t) { PollParaDone(s); });
    // Writes asked of the previous connection never reach the next drive.
    connect(this, &DriveSession::ConnectStarted, this, [this] { writer_.Clear(); });
    connect(this, &DriveSession::DriveReady, this, [this](const QString& model) { readyWatchers_.Call(model); });
}

DriveSession::~DriveSession() {
    stepTimer_->Stop();
    pollTimer_->Stop();
}

void DriveSession::Tell(const QString& text) {
    RunDeferred(this, [this, text] { emit Message(text); });
}

// Every "no answer after the re-sends" ends here: the poll stops and the failure dialog
// is asked for once, after the link's time-out handling has returned.
void DriveSession::NoAnswer() {
    StopPoll();
    writer_.Clear();
    phase_ = Phase::Idle;
    readBackEnded_ = true;
    if (lostPending_) return;
    lostPending_ = true;
    RunDeferred(this, [this] {
        lostPending_ = false;
        emit LinkLost();
    });
}

// ---------------------------------------------------------------- identify and read-back

void DriveSession::IdentifyDone(uint16_t status) {
    if (status == ordalis::NoAnswer) {
        NoAnswer();
        return;
    }
    if (status != Answered) return;
    const std::string name = state_.mirror.ModelName();
    if (IsHv120(name))
        readBackList_ = &state_.lists.ReadBackList24;
    else if (IsLqTrFamily(name))
        readBackList_ = &state_.lists.ReadBackList34;
    else
        return;  // an unknown model: silent, nothing read back
    phase_ = Phase::ReadingBack;
    readBackPos_ = 0;
    readBackEnded_ = false;
    emit ReadBackStarted(readBackList_->Count);
    state_.link.SendRunList(*readBackList_);
}

void DriveSession::ReadBackStep(uint16_t status) {
    if (status == ordalis::NoAnswer) {
        NoAnswer();
        return;
    }
    if (readBackEnded_ || !readBackList_ || status == Sent) return;
    // Every status but these ends a record of the list: it tells which one failed.
    const int record = readBackPos_++;
    if (status != Answered) {
        // A refused record (132) or a drive condition code: say which one and leave the
        // read-back, rather than leave the progress display waiting for a count it will
        // never reach. Panel and tool bar stay off: part of the mirror is stale.
        readBackEnded_ = true;
        const uint16_t id = record < readBackList_->Count ? readBackList_->Records[record].ParamId : 0;
        state_.link.StopRunQueue();
        state_.link.SetRunDelay(0);
        phase_ = Phase::Idle;
        const QString text = Text(state_, kReadBackFailed).arg(ParameterForMessage(id));
        RunDeferred(this, [this, text] { emit ReadBackFailed(text); });
        return;
    }

    ++state_.progressCounter;
    const int total = readBackList_->Count;
    if (state_.progressCounter == 1 && total > 1) {
        // The progress display opens with the first answer; the next request waits 100 ms.
        state_.link.SetRunDelay(kReadBackPauseMs);
    }
    emit ReadBackProgress(state_.progressCounter, total);
    if (state_.progressCounter == total) FinishReadBack();
}

void DriveSession::FinishReadBack() {
    readBackEnded_ = true;
    state_.link.SetRunDelay(0);
    phase_ = Phase::Connected;
    const std::string name = state_.mirror.ModelName();
    const QString model = QString::fromStdString(name);
    // A generator left running (by an earlier session, or before a lost link) shows at once.
    SetGeneratorRunning(IsLqTrFamily(name) && state_.mirror.GetI16(pid::WorkMode) == WorkModeGeneratorOn);
    emit ReadBackDone(model);
    if (IsLqTrFamily(name) && state_.mirror.Bit(pid::StatusWord, StatusBit::OtherFault)) {
        const QString code =
            QString::number(state_.mirror.GetU16(pid::FaultCode), 16).toUpper().rightJustified(2, u'0');
        Tell(QStringLiteral("Error:EC=") + code);
        return;
    }
    emit DriveReady(model);
    if (IsLqTrFamily(name)) StartPoll();
}

// ---------------------------------------------------------------- poll

void DriveSession::StartPoll() { pollTimer_->Start(kPollIntervalMs); }

void DriveSession::StopPoll() { pollTimer_->Stop(); }

bool DriveSession::IsPolling() const { return pollTimer_->IsActive(); }

bool DriveSession::Wants(PollKind kind) const {
    return std::any_of(polls_.begin(), polls_.end(), [kind](const PollRequest& r) { return r.kind == kind; });
}

void DriveSession::Notify(PollKind kind) {
    // By id: a refresh may end its own or another window's registration.
    std::vector<uint64_t> ids;
    for (const PollRequest& r : polls_)
        if (r.kind == kind) ids.push_back(r.id);
    for (uint64_t id : ids) {
        const auto it = std::find_if(polls_.begin(), polls_.end(), [id](const PollRequest& r) { return r.id == id; });
        if (it == polls_.end() || !it->onPolled) continue;
        const std::function<void()> call = it->onPolled;
        call();
    }
}

void DriveSession::RdErrorIntvalTimer() {
    // A cycle that takes longer than the interval (slow line, re-sends) is not piled up:
    // the tick that finds it still running adds nothing.
    if (waking_ || state_.link.Queue(PollQueue).busy) return;
    state_.link.SendPollList(Wants(PollKind::Monitor) ? state_.lists.PollMonitorList : state_.lists.PollStatusList);
    if (Wants(PollKind::Parameters)) state_.link.AddPollList(state_.lists.PollParaList);
}

void DriveSession::PollStatusDone(uint16_t status) {
    if (status == Answered) {
        writer_.OverlayPending();
        Notify(PollKind::Monitor);
        emit StatusPolled();
    } else if (status == ordalis::NoAnswer) {
        NoAnswer();
    }
}

void DriveSession::PollParaDone(uint16_t status) {
    if (status == Answered) {
        writer_.OverlayPending();
        Notify(PollKind::Parameters);
        emit ParametersPolled();
    } else if (status == ordalis::NoAnswer) {
        NoAnswer();
    }
}

PollRegistration DriveSession::RegisterPoll(PollKind kind, std::function<void()> onPolled) {
    const uint64_t id = ++nextPollId_;
    polls_.push_back({id, kind, std::move(onPolled)});
    return PollRegistration([this, id] {
        polls_.remove_if([id](const PollRequest& r) { return r.id == id; });
    });
}

template <typename... Args>
void DriveSession::Watchers<Args...>::Call(Args... args) const {
    std::vector<uint64_t> ids;
    for (const auto& w : list) ids.push_back(w.first);
    for (uint64_t id : ids) {
        const auto it = std::find_if(list.begin(), list.end(), [id](const auto& w) { return w.first == id; });
        if (it == list.end() || !it->second) continue;
        const auto call = it->second;
        call(args...);
    }
}

template <typename... Args>
PollRegistration DriveSession::Watch(Watchers<Args...>& w, std::function<void(Args...)> fn) {
    const uint64_t id = ++nextPollId_;
    w.list.emplace_back(id, std::move(fn));
    return PollRegistration([&w, id] { w.list.remove_if([id](const auto& e) { return e.first == id; }); });
}

PollRegistration DriveSession::WatchRestored(std::function<void(uint16_t id)> onRestored) {
    return Watch(restoredWatchers_, std::move(onRestored));
}

PollRegistration DriveSession::WatchDriveReady(std::function<void(const QString& modelName)> onReady) {
    return Watch(readyWatchers_, std::move(onReady));
}

// ---------------------------------------------------------------- window writes

WriteOutcome DriveSession::WriteParameter(uint16_t id, int64_t value, ValueRange range) {
    return Written(id, writer_.Write(id, value, range));
}

WriteOutcome DriveSession::WriteParameterAlways(uint16_t id, int64_t value) {
    return Written(id, writer_.Write(id, value, {std::numeric_limits<int64_t>::min(),
                                                 std::numeric_limits<int64_t>::max()}, true));
}

WriteOutcome DriveSession::Written(uint16_t id, WriteOutcome outcome) {
    if (outcome == WriteOutcome::Queued && ChangesStoredSettings(state_.lists.WriteParamList(id))) emit SettingsWritten();
    return outcome;
}

void DriveSession::ReportRefusedWrite(uint16_t id, uint16_t status) {
    WriteRefusedNow(id, status);
    writer_.ReadBack(id);
}

// Called from a link completion: the message box opens once that has returned.
void DriveSession::WriteRefusedNow(uint16_t id, uint16_t status) {
    emit WriteRefused(id, status);
    RunDeferred(this, [this, id, status] { prompt_.ShowText(WriteRefusedText(Language(), id, status)); });
}

// Nothing but the wake-up byte may go out until the port runs at 9600 again; after a lost
// link nothing goes out until a new connection; a busy Poll or Lev2 queue drops a load.
bool DriveSession::CanSend(QueueLevel level) const {
    if (waking_ || state_.link.IsLinkLost()) return false;
    return level == RunQueue || !state_.link.Queue(level).busy;
}

bool DriveSession::SendList(QueueLevel level, const CommandList& list) {
    if (!CanSend(level)) return false;
    switch (level) {
        case RunQueue: state_.link.SendRunList(list); break;
        case PollQueue: state_.link.SendPollList(list); break;
        case Lev2Queue: state_.link.SendLev2List(list); break;
    }
    if (ChangesStoredSettings(list)) emit SettingsWritten();
    return true;
}

bool DriveSession::StoreAndSend(std::initializer_list<StoredValue> values, const CommandList& list) {
    if (!CanSend(Lev2Queue)) return false;
    for (const StoredValue& v : values)
        if (const ParamInfo* p = FindParameter(v.id)) StoreValue(state_.mirror, *p, v.value);
    return SendList(Lev2Queue, list);
}

void DriveSession::SetGeneratorRunning(bool running) {
    if (generatorRunning_ == running) return;
    generatorRunning_ = running;
    emit GeneratorRunningChanged(running);
}

}  // namespace ordalis
