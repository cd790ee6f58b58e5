#include "link/DriveLink.h"

#include <algorithm>
#include <iostream>

namespace ordalis {

namespace {
constexpr int kParserResetMs = 20;
// How often a time-out may wait another frame gap for a frame under way: enough for the
// longest answer (260 bytes) at 9600 baud.
constexpr int kFrameGraces = 16;
// Time-out rule: an answer time-out never ends before the request and the longest answer
// it can bring (a trace answer carries up to 255 data bytes) have had time to cross the
// line at the port's current rate (10 bits a byte), plus kWireMarginMs for the drive's
// turnaround; the queue's own time-out (200 ms, 100 ms in the search) stands where it
// is longer. At 9600 baud a full sample answer alone takes about 275 ms.
constexpr int kWireMarginMs = 50;
constexpr size_t kAnswerOverhead = kMaxFrame - 255;

size_t LongestAnswer(const CommandRecord& r) {
    const size_t data = std::max<size_t>({size_t{1}, r.DataLen, r.Capacity});
    return kAnswerOverhead + std::min<size_t>(data, 255);
}
}  // namespace

DriveLink::DriveLink(SerialPort& port, TimerFactory& timers, Prompt&, uint32_t keySeed)
    : port_(port), timers_(timers), keys_(keySeed) {
    timer1_ = timers.CreateTimer();
    comOverTimer_ = timers.CreateTimer();
    runDelayTimer_ = timers.CreateTimer();
    timer1_->OnTimeout = [this] { ParserResetFired(); };
    comOverTimer_->OnTimeout = [this] { AnswerTimerFired(); };
    runDelayTimer_->OnTimeout = [this] { RunDelayElapsed(); };
    parser_.SetFrameHandler(
        [this](uint8_t residue, const uint8_t* frame, size_t length) { HandleAnswer(residue, frame, length); });
    port_.OnReceiveData = [this](const uint8_t* bytes, size_t count) { ReceiveBytes(bytes, count); };
}

DriveLink::~DriveLink() { port_.OnReceiveData = nullptr; }

void DriveLink::SetFrameLog(FrameLog* log) { log_ = log; }

// ---------------------------------------------------------------- codec

bool DriveLink::SendCommand(const CommandRecord& record, uint8_t level) {
    if (!RequestFits(record)) return false;
    const uint8_t key = CommandIsScrambled(record.Command) ? keys_.Next() : kPlainKey;
    std::vector<uint8_t> plain;
    const std::vector<uint8_t> frame = EncodeRequest(record, SlaveAddress, key, &plain);
    logPrefix_ = LogTimestamp() + " Send   ";
    logLabel_ = CommandLabel(record);
    LogFrame(plain.data(), plain.size(), level);
    wireBytes_ = frame.size() + LongestAnswer(record);
    WriteFrame(frame.data(), frame.size());
    return true;
}

void DriveLink::WriteFrame(const uint8_t* bytes, size_t count) {
    awaitingAnswer_ = true;
    ++framesSent_;
    port_.Write(bytes, count);  // a lost write shows up as an answer time-out
}

void DriveLink::LogFrame(const uint8_t* bytes, size_t count, uint8_t level) {
    if (log_) log_->LogFrame(logPrefix_, logLabel_, bytes, count, level);
}

// Programming errors (lists above the table size): never a modal box from inside the link,
// where it would open from a timer and stack.
void DriveLink::Report(const std::string& text) { std::cerr << "DriveLink: " << text << std::endl; }

// ---------------------------------------------------------------- receive

void DriveLink::ReceiveBytes(const uint8_t* bytes, size_t count) {
    if (held_) {
        heldBytes_.insert(heldBytes_.end(), bytes, bytes + count);
        return;
    }
    bytesReceived_ += count;
    timer1_->Start(kParserResetMs);
    parser_.Feed(bytes, count);
    // The reset may have run inside a callback (a modal box) while the rest of the chunk
    // waited in the parser: a frame begun by those bytes gets its own 20 ms.
    if (parser_.State() != 0 && !timer1_->IsActive()) timer1_->Start(kParserResetMs);
}

// The port hands bytes over one event after they arrived, and a stalled thread runs the
// due timer first: take them in before calling the line silent.
void DriveLink::ParserResetFired() {
    port_.DrainReceived();
    if (timer1_->IsActive()) return;  // bytes came in: ReceiveBytes started the 20 ms again
    parser_.Reset();
}

void DriveLink::Hold() { held_ = true; }

void DriveLink::Release(bool discardReceived) {
    if (!held_) return;
    held_ = false;
    std::vector<uint8_t> kept;
    kept.swap(heldBytes_);
    if (heldTimerLevel_ >= 0) {
        const uint8_t level = static_cast<uint8_t>(heldTimerLevel_);
        heldTimerLevel_ = -1;
        StartAnswerTimer(level);
    }
    if (!discardReceived && !kept.empty()) ReceiveBytes(kept.data(), kept.size());
}

// ---------------------------------------------------------------- timers

void DriveLink::StartAnswerTimer(uint8_t level) {
    if (held_) {
        heldTimerLevel_ = level;  // started by Release, once the port is usable again
        return;
    }
    graceLeft_ = kFrameGraces;
    graceMark_ = bytesReceived_;
    comOverTimer_->Start(AnswerTimeoutMs(level));
}

int DriveLink::AnswerTimeoutMs(uint8_t level) const {
    const int queueMs = queues_[level].answerTimeout;
    const int32_t baud = port_.BaudRate();
    if (baud <= 0) return queueMs;
    const int wireMs = static_cast<int>((int64_t(wireBytes_) * 10 * 1000 + baud - 1) / baud) + kWireMarginMs;
    return std::max(queueMs, wireMs);
}

void DriveLink::StopAnswerTimer() {
    heldTimerLevel_ = -1;
    comOverTimer_->Stop();
}

// An answer that came in time may still wait in the port behind this timer event (a stall
// longer than the time-out): taken in first, it voids the time-out. Bytes of a frame under
// way that came since the last look buy one frame gap more.
void DriveLink::AnswerTimerFired() {
    const uint64_t sent = framesSent_;
    port_.DrainReceived();
    if (!awaitingAnswer_ || framesSent_ != sent || comOverTimer_->IsActive()) return;
    if (parser_.State() != 0 && bytesReceived_ != graceMark_ && graceLeft_ > 0) {
        --graceLeft_;
        graceMark_ = bytesReceived_;
        comOverTimer_->Start(kParserResetMs);
        return;
    }
    HandleTimeout();
}

// Each wait has its own timer; a timer whose wait has run is reused by a later one.
void DriveLink::WaitMs(int ms, std::function<void()> then) {
    Wait* w = nullptr;
    for (const auto& x : waits_)
        if (!x->then && !x->timer->IsActive()) w = x.get();
    if (!w) {
        waits_.push_back(std::make_unique<Wait>());
        w = waits_.back().get();
        w->timer = timers_.CreateTimer();
        w->timer->OnTimeout = [w] {
            auto next = std::move(w->then);
            w->then = nullptr;
            if (next) next();
        };
    }
    w->then = std::move(then);
    w->timer->Start(ms);
}

// ---------------------------------------------------------------- loading

bool DriveLink::AnyBusy() const {
    return std::any_of(queues_.begin(), queues_.end(), [](const QueueState& q) { return q.busy; });
}

void DriveLink::FinishQueue(QueueState& q) {
    q.busy = false;
    q.index = 0;
    q.count = 0;
}

void DriveLink::LoadList(QueueState& q, const CommandRecord* list, int n) {
    std::copy(list, list + n, q.table.begin());
    q.count = static_cast<uint8_t>(n);
    q.index = 0;
    q.busy = true;
}

// A busy queue with nothing left to send (index moved past the end from outside the
// answer path) is finished here rather than sending a stale table entry.
bool DriveLink::Ready(QueueState& q) {
    if (q.busy && q.index >= q.count) FinishQueue(q);
    return q.busy;
}

bool DriveLink::SendFromQueue(uint8_t level) {
    QueueState& q = queues_[level];
    if (!SendCommand(q.table[q.index], level)) return false;
    inFlightQueue_ = level;
    StartAnswerTimer(level);
    q.timeoutRetries = 0;
    return true;
}

// A record the codec refuses is never sent: it ends with 132, like a record whose error
// retries are used up, and its list goes on.
void DriveLink::SkipRefused(uint8_t level) {
    QueueState& q = queues_[level];
    const CommandRecord rec = q.table[q.index];
    q.index = static_cast<uint8_t>(q.index + 1);
    if (q.index >= q.count) FinishQueue(q);
    if (rec.Callback) rec.Callback(Failed, nullptr, 0);
}

// SendRunList and AddPollList send at once when the wire is free. Otherwise the queue is
// served first once the answer in flight (or its time-out) has been handled, so the answer
// is never taken for the new command and the list is not held back behind a whole cycle.
void DriveLink::SendAtOnceOrAfterTheAnswer(uint8_t level) {
    if (WireBusy()) {
        if (std::find(firstAfterAnswer_.begin(), firstAfterAnswer_.end(), level) == firstAfterAnswer_.end())
            firstAfterAnswer_.push_back(level);
        return;
    }
    if (SendFromQueue(level)) return;
    SkipRefused(level);
    SendNext(-1, nullptr, 0);
}

void DriveLink::SendRunList(const CommandRecord* list, int n) {
    if (n > TAB_MAX_CMD_NUM) {
        Report("Num max setting");
        return;
    }
    if (!list || n <= 0 || linkLost_) return;
    QueueState& q = queues_[RunQueue];
    if (q.busy) {
        pendingRun_.assign(list, list + n);
        pendingRunSet_ = true;
        return;
    }
    LoadList(q, list, n);
    q.timeoutRetries = 0;
    runRepeated_ = false;
    SendAtOnceOrAfterTheAnswer(RunQueue);
}

void DriveLink::SendPollList(const CommandRecord* list, int n) {
    if (n > TAB_MAX_CMD_NUM) {
        Report("Num max setting");
        return;
    }
    QueueState& q = queues_[PollQueue];
    if (q.busy || !list || n <= 0 || linkLost_) return;
    LoadList(q, list, n);
    if (queues_[Lev2Queue].busy || queues_[RunQueue].busy || WireBusy()) return;
    SendNext(-1, nullptr, 0);
}

void DriveLink::AddPollList(const CommandRecord* list, int n) {
    QueueState& q = queues_[PollQueue];
    if (q.count + n > TAB_MAX_CMD_NUM) {
        Report("Num max setting");
        return;
    }
    if (!list || n <= 0 || linkLost_) return;
    if (q.busy) {
        pendingPollAppend_.assign(list, list + n);
        pendingPollPos_ = q.count;
        pendingPollSet_ = true;
        return;
    }
    std::copy(list, list + n, q.table.begin() + q.count);
    q.timeoutRetries = 0;
    q.count = static_cast<uint8_t>(q.count + n);
    q.busy = true;
    SendAtOnceOrAfterTheAnswer(PollQueue);
}

void DriveLink::SendLev2List(const CommandRecord* list, int n) {
    if (n > TAB_MAX_CMD_NUM) {
        Report("Num max setting");
        return;
    }
    QueueState& q = queues_[Lev2Queue];
    if (q.busy || !list || n <= 0 || linkLost_) return;
    LoadList(q, list, n);
    if (queues_[PollQueue].busy || queues_[RunQueue].busy || WireBusy()) return;
    SendNext(-1, nullptr, 0);
}

void DriveLink::DropPending() {
    pendingRun_.clear();
    pendingRunSet_ = false;
    pendingPollAppend_.clear();
    pendingPollSet_ = false;
    firstAfterAnswer_.clear();
}

// The command in flight is abandoned too: an answer still arriving for it must not be
// taken for a record of the lists loaded next.
void DriveLink::ResetLink() {
    for (auto& q : queues_) FinishQueue(q);
    DropPending();
    StopAnswerTimer();
    awaitingAnswer_ = false;
    runDelayTimer_->Stop();
    runDelayPending_ = false;
    stoppedRunOnWire_ = false;
    runRepeated_ = false;
    linkLost_ = false;
}

void DriveLink::StopRunQueue() {
    QueueState& q = queues_[RunQueue];
    q.busy = false;
    pendingRun_.clear();
    pendingRunSet_ = false;
    firstAfterAnswer_.erase(std::remove(firstAfterAnswer_.begin(), firstAfterAnswer_.end(), RunQueue),
                            firstAfterAnswer_.end());
    // Its command stays on the wire with its time-out: whatever is sent before its answer
    // came would take that answer for its own.
    if (awaitingAnswer_ && inFlightQueue_ == RunQueue && !stoppedRunOnWire_ && q.index < q.count) {
        stoppedRunOnWire_ = true;
        stoppedRunRecord_ = q.table[q.index];
    }
    if (runDelayPending_) {
        runDelayTimer_->Stop();
        runDelayPending_ = false;
    }
    SendNext(-1, nullptr, 0);
}

void DriveLink::SetRunNext(uint8_t offset) {
    QueueState& q = queues_[RunQueue];
    int next = q.index + offset - 1;
    if (q.index + offset == 0) next = q.count - 1;
    if (next > q.count || next < 0) next = 0;
    q.index = static_cast<uint8_t>(next);
}

// ---------------------------------------------------------------- answer path

void DriveLink::CheckCount(uint8_t level) {
    QueueState& q = queues_[level];
    if (q.count <= TAB_MAX_CMD_NUM) return;
    Report(level == Lev2Queue ? "Lev2CmdNum more than TAB_MAX_CMD_NUM" : "RunCmdNum more than TAB_MAX_CMD_NUM");
    q.count = TAB_MAX_CMD_NUM;
}

// Read answers are copied with their own length, never beyond what the target holds; a
// text target is cleared behind the copied bytes.
void DriveLink::CopyAnswer(const CommandRecord& rec, const uint8_t* data, uint8_t n) {
    if ((rec.Command != CmdRead && rec.Command != CmdTrace) || n == 0 || !rec.Data) return;
    const size_t room = rec.Capacity ? rec.Capacity : rec.DataLen;
    const size_t copied = std::min<size_t>(n, room);
    std::copy_n(data, copied, rec.Data);
    if (rec.TextTarget) std::fill(rec.Data + copied, rec.Data + room, uint8_t{0});
}

void DriveLink::HandleAnswer(uint8_t residue, const uint8_t* answer, size_t frameLength) {
    StopAnswerTimer();
    if (!awaitingAnswer_ || frameLength < 5) return;
    awaitingAnswer_ = false;

    const uint8_t status = answer[3];
    const uint8_t n = static_cast<uint8_t>(frameLength - 5);
    const uint8_t* data = answer + 4;
    const uint8_t code = (status == 1 && n > 0) ? data[0] : 0;
    const bool error = residue != 0 || code == 1;

    const uint8_t level = inFlightQueue_;
    logPrefix_ = LogTimestamp() + " Recv   ";
    LogFrame(answer, frameLength, level);

    if (level == RunQueue && stoppedRunOnWire_) {
        HandleStoppedRunAnswer(error, code, status, data, n);
        SendNext(-1, nullptr, 0);
        return;
    }

    QueueState& q = queues_[level];
    const uint8_t i = q.index;
    if (i < q.count) {
        // A copy: the callback may load a new list over the table.
        const CommandRecord rec = q.table[i];
        if (!error) {
            q.errorRetries = 0;
            q.index = static_cast<uint8_t>(i + 1);
            if (code == 0 && status == 0) CopyAnswer(rec, data, n);
            if (rec.Callback) rec.Callback(code, data, n);
        } else if (q.errorRetries < q.errorRetryLimit) {
            ++q.errorRetries;
            if (level != RunQueue && rec.Callback) rec.Callback(Retrying, data, n);
        } else {
            q.errorRetries = 0;
            q.index = static_cast<uint8_t>(i + 1);
            // A RunQueue list whose last record is refused starts over from its first record,
            // once; refused again, the list ends.
            if (level == RunQueue && q.index >= q.count && !runRepeated_) {
                runRepeated_ = true;
                q.index = 0;
            }
            if (rec.Callback) rec.Callback(Failed, data, n);
        }
    }

    if (level == RunQueue && pendingRunSet_) {
        const size_t count = std::min<size_t>(pendingRun_.size(), TAB_MAX_CMD_NUM);
        std::copy_n(pendingRun_.begin(), count, q.table.begin());
        q.index = 0;
        q.count = static_cast<uint8_t>(count);
        pendingRun_.clear();
        pendingRunSet_ = false;
        runRepeated_ = false;
    }
    if (level == PollQueue && pendingPollSet_) {
        const size_t room = TAB_MAX_CMD_NUM - std::min<size_t>(pendingPollPos_, TAB_MAX_CMD_NUM);
        const size_t count = std::min(pendingPollAppend_.size(), room);
        std::copy_n(pendingPollAppend_.begin(), count, q.table.begin() + pendingPollPos_);
        q.count = static_cast<uint8_t>(pendingPollPos_ + count);
        pendingPollAppend_.clear();
        pendingPollSet_ = false;
    }
    CheckCount(level);
    if (q.index >= q.count) FinishQueue(q);

    SendNext(level, data, n);
}

// The late answer of the command StopRunQueue left on the wire: copied and reported like
// any answer, but the stopped list is not continued and nothing is re-sent.
void DriveLink::HandleStoppedRunAnswer(bool error, uint8_t code, uint8_t status, const uint8_t* data, uint8_t n) {
    stoppedRunOnWire_ = false;
    const CommandRecord rec = stoppedRunRecord_;
    if (error) {
        if (rec.Callback) rec.Callback(Failed, data, n);
        return;
    }
    if (code == 0 && status == 0) CopyAnswer(rec, data, n);
    if (rec.Callback) rec.Callback(code, data, n);
}

// The queue served next: one waiting to go right after the answer, else Lev2, Poll, Run.
int DriveLink::NextLevel() {
    while (!firstAfterAnswer_.empty()) {
        const uint8_t level = firstAfterAnswer_.front();
        firstAfterAnswer_.erase(firstAfterAnswer_.begin());
        if (Ready(queues_[level])) return level;
    }
    for (const uint8_t level : {Lev2Queue, PollQueue, RunQueue})
        if (Ready(queues_[level])) return level;
    return -1;
}

// Serves the next busy queue. answeredQueue is the level whose answer was just handled,
// or -1 when called from elsewhere. Refused records are skipped until one is sent.
void DriveLink::SendNext(int answeredQueue, const uint8_t* data, uint8_t n) {
    while (!WireBusy() && !linkLost_) {  // a callback may already have sent something
        const int level = NextLevel();
        if (level < 0) return;
        if (level == RunQueue && answeredQueue == RunQueue) {
            if (runDelay_ != 0) {
                // The send happens when the delay timer fires; other queues' loads wait for it.
                runDelayData_.assign(data, data + n);
                runDelayPending_ = true;
                runDelayTimer_->Start(runDelay_);
                runDelay_ = 0;
                return;
            }
            if (SendRunRecord(data, n)) return;
        } else if (SendFromQueue(static_cast<uint8_t>(level))) {
            return;
        }
        SkipRefused(static_cast<uint8_t>(level));
    }
}

// A RunQueue record sent by the answer path after one of its own answers: its callback
// hears 4096 between the write and the start of the time-out.
bool DriveLink::SendRunRecord(const uint8_t* data, uint8_t n) {
    QueueState& q = queues_[RunQueue];
    const CommandRecord rec = q.table[q.index];
    if (!SendCommand(rec, RunQueue)) return false;
    inFlightQueue_ = RunQueue;
    if (rec.Callback) rec.Callback(Sent, data, n);
    if (awaitingAnswer_) {
        StartAnswerTimer(inFlightQueue_);
        queues_[inFlightQueue_].timeoutRetries = 0;
    }
    return true;
}

void DriveLink::RunDelayElapsed() {
    runDelayPending_ = false;
    std::vector<uint8_t> data;
    data.swap(runDelayData_);
    if (awaitingAnswer_ || linkLost_) return;
    const uint8_t n = static_cast<uint8_t>(data.size());
    if (Ready(queues_[RunQueue])) {
        if (SendRunRecord(data.data(), n)) return;
        SkipRefused(RunQueue);
    }
    SendNext(RunQueue, data.data(), n);
}

// ---------------------------------------------------------------- time-out

void DriveLink::HandleTimeout() {
    awaitingAnswer_ = false;
    for (auto& q : queues_) q.errorRetries = 0;

    const uint8_t level = inFlightQueue_;
    if (level == RunQueue && stoppedRunOnWire_) {
        // The stopped list's command stayed unanswered: not sent again, not reported.
        stoppedRunOnWire_ = false;
        StopAnswerTimer();
        SendNext(-1, nullptr, 0);
        return;
    }
    QueueState& q = queues_[level];
    const uint8_t i = q.index;
    if (!q.busy || i >= q.count) {
        SendNext(-1, nullptr, 0);
        return;
    }
    if (q.timeoutRetries < q.timeoutRetryLimit) {
        SendCommand(q.table[i], level);  // it went out before, so it fits
        StartAnswerTimer(level);
        ++q.timeoutRetries;
        return;
    }
    StopAnswerTimer();
    q.busy = false;
    if (level == PollQueue) {
        q.index = 0;
        q.count = 0;
    }
    const CommandRecord rec = q.table[i];
    LoseLink();
    if (rec.Callback) rec.Callback(NoAnswer, nullptr, 0);
}

// No answer after the re-sends: the drive is taken for gone. Queues waiting behind and
// pending lists are dropped and nothing more goes out until ResetLink, so one dead drive
// gives one 131 (one failure dialog), not one per waiting queue.
void DriveLink::LoseLink() {
    linkLost_ = true;
    for (auto& q : queues_)
        if (q.busy) FinishQueue(q);
    DropPending();
    runDelayTimer_->Stop();
    runDelayPending_ = false;
}

}  // namespace ordalis
