#include "link/DriveLink.h"

#include <algorithm>

namespace ordalis {

namespace {
constexpr int kParserResetMs = 20;
}

DriveLink::DriveLink(SerialPort& port, TimerFactory& timers, Prompt& prompt, uint32_t keySeed)
    : port_(port), prompt_(prompt), keys_(keySeed) {
    timer1_ = timers.CreateTimer();
    comOverTimer_ = timers.CreateTimer();
    waitTimer_ = timers.CreateTimer();
    runDelayTimer_ = timers.CreateTimer();
    timer1_->OnTimeout = [this] {
        timer1_->Stop();
        parser_.Reset();
    };
    comOverTimer_->OnTimeout = [this] { HandleTimeout(); };
    waitTimer_->OnTimeout = [this] {
        auto then = std::move(waitThen_);
        waitThen_ = nullptr;
        if (then) then();
    };
    runDelayTimer_->OnTimeout = [this] { RunDelayElapsed(); };
    parser_.SetFrameHandler(
        [this](uint8_t residue, const uint8_t* frame, size_t length) { HandleAnswer(residue, frame, length); });
    port_.OnReceiveData = [this](const uint8_t* bytes, size_t count) { ReceiveBytes(bytes, count); };
}

DriveLink::~DriveLink() { port_.OnReceiveData = nullptr; }

void DriveLink::SetFrameLog(FrameLog* log) { log_ = log; }

// ---------------------------------------------------------------- codec

void DriveLink::SendCommand(const CommandRecord& record, uint8_t level) {
    const uint8_t key = CommandIsScrambled(record.Command) ? keys_.Next() : kPlainKey;
    std::vector<uint8_t> plain;
    const std::vector<uint8_t> frame = EncodeRequest(record, SlaveAddress, key, &plain);
    logPrefix_ = LogTimestamp() + " Send   ";
    logLabel_ = CommandLabel(record);
    LogFrame(plain.data(), plain.size(), level);
    WriteFrame(frame.data(), frame.size());
}

void DriveLink::WriteFrame(const uint8_t* bytes, size_t count) {
    awaitingAnswer_ = true;
    port_.Write(bytes, count);  // a lost write shows up as an answer time-out
}

void DriveLink::LogFrame(const uint8_t* bytes, size_t count, uint8_t level) {
    if (log_) log_->LogFrame(logPrefix_, logLabel_, bytes, count, level);
}

void DriveLink::Message(const std::string& text) { prompt_.ShowMessage(text); }

// ---------------------------------------------------------------- receive

void DriveLink::ReceiveBytes(const uint8_t* bytes, size_t count) {
    if (held_) {
        heldBytes_.insert(heldBytes_.end(), bytes, bytes + count);
        return;
    }
    timer1_->Start(kParserResetMs);
    parser_.Feed(bytes, count);
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
    comOverTimer_->Start(queues_[level].answerTimeout);
}

void DriveLink::StopAnswerTimer() {
    heldTimerLevel_ = -1;
    comOverTimer_->Stop();
}

void DriveLink::WaitMs(int ms, std::function<void()> then) {
    waitThen_ = std::move(then);
    waitTimer_->Start(ms);
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

void DriveLink::SendFromQueue(uint8_t level) {
    QueueState& q = queues_[level];
    SendCommand(q.table[q.index], level);
    inFlightQueue_ = level;
    StartAnswerTimer(level);
    q.timeoutRetries = 0;
}

// The queue operations send at once only when nothing is on the wire; otherwise the
// loaded queue waits and the answer path (or the end of a time-out) sends it, so an
// answer is never taken for a command it does not belong to.
void DriveLink::SendRunList(const CommandRecord* list, int n) {
    if (n > TAB_MAX_CMD_NUM) {
        Message("Num max setting");
        return;
    }
    if (!list || n <= 0) return;
    QueueState& q = queues_[RunQueue];
    if (q.busy) {
        pendingRun_.assign(list, list + n);
        pendingRunSet_ = true;
        return;
    }
    LoadList(q, list, n);
    q.timeoutRetries = 0;
    if (!WireBusy()) SendFromQueue(RunQueue);
}

void DriveLink::SendPollList(const CommandRecord* list, int n) {
    if (n > TAB_MAX_CMD_NUM) {
        Message("Num max setting");
        return;
    }
    QueueState& q = queues_[PollQueue];
    if (q.busy || !list || n <= 0) return;
    LoadList(q, list, n);
    if (queues_[Lev2Queue].busy || queues_[RunQueue].busy || WireBusy()) return;
    SendFromQueue(PollQueue);
}

void DriveLink::AddPollList(const CommandRecord* list, int n) {
    QueueState& q = queues_[PollQueue];
    if (q.count + n > TAB_MAX_CMD_NUM) {
        Message("Num max setting");
        return;
    }
    if (!list || n <= 0) return;
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
    if (!WireBusy()) SendFromQueue(PollQueue);
}

void DriveLink::SendLev2List(const CommandRecord* list, int n) {
    if (n > TAB_MAX_CMD_NUM) {
        Message("Num max setting");
        return;
    }
    QueueState& q = queues_[Lev2Queue];
    if (q.busy || !list || n <= 0) return;
    LoadList(q, list, n);
    if (queues_[PollQueue].busy || queues_[RunQueue].busy || WireBusy()) return;
    SendFromQueue(Lev2Queue);
}

// The command in flight is abandoned too: an answer still arriving for it must not be
// taken for a record of the lists loaded next.
void DriveLink::ResetLink() {
    for (auto& q : queues_) FinishQueue(q);
    pendingRun_.clear();
    pendingRunSet_ = false;
    StopAnswerTimer();
    awaitingAnswer_ = false;
    runDelayTimer_->Stop();
    runDelayPending_ = false;
}

void DriveLink::StopRunQueue() {
    queues_[RunQueue].busy = false;
    const bool runOnWire = awaitingAnswer_ && inFlightQueue_ == RunQueue;
    if (runOnWire) {
        StopAnswerTimer();
        awaitingAnswer_ = false;
    }
    if (runDelayPending_) {
        runDelayTimer_->Stop();
        runDelayPending_ = false;
    }
    // Another queue's command keeps its time-out; a queue left waiting is served now.
    if (!WireBusy()) SendNext(-1, nullptr, 0);
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
    Message(level == Lev2Queue ? "Lev2CmdNum more than TAB_MAX_CMD_NUM" : "RunCmdNum more than TAB_MAX_CMD_NUM");
    q.count = TAB_MAX_CMD_NUM;
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

    QueueState& q = queues_[level];
    const uint8_t i = q.index;
    if (i < q.count) {
        // A copy: the callback may load a new list over the table.
        const CommandRecord rec = q.table[i];
        if (!error) {
            q.errorRetries = 0;
            q.index = static_cast<uint8_t>(i + 1);
            if (code == 0 && status == 0 && (rec.Command == CmdRead || rec.Command == CmdTrace) && n > 0 && rec.Data) {
                // Never more than the target holds, whatever length the drive claims.
                const size_t room = rec.Capacity ? rec.Capacity : rec.DataLen;
                const size_t copied = std::min<size_t>(n, room);
                std::copy_n(data, copied, rec.Data);
                if (rec.TextTarget) std::fill(rec.Data + copied, rec.Data + room, uint8_t{0});
            }
            if (rec.Callback) rec.Callback(code, data, n);
        } else if (q.errorRetries < q.errorRetryLimit) {
            ++q.errorRetries;
            if (level != RunQueue && rec.Callback) rec.Callback(Retrying, data, n);
        } else {
            q.errorRetries = 0;
            q.index = static_cast<uint8_t>(i + 1);
            if (level == RunQueue && q.index >= q.count) q.index = 0;
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

// Serves the next busy queue, Lev2 before Poll before Run. answeredQueue is the level
// whose answer was just handled, or -1 when called from elsewhere.
void DriveLink::SendNext(int answeredQueue, const uint8_t* data, uint8_t n) {
    if (WireBusy()) return;  // a callback already sent something
    if (Ready(queues_[Lev2Queue])) {
        SendFromQueue(Lev2Queue);
    } else if (Ready(queues_[PollQueue])) {
        SendFromQueue(PollQueue);
    } else if (Ready(queues_[RunQueue])) {
        if (answeredQueue != RunQueue) {
            SendFromQueue(RunQueue);
        } else if (runDelay_ != 0) {
            // The send happens when the delay timer fires; other queues' loads wait for it.
            runDelayData_.assign(data, data + n);
            runDelayPending_ = true;
            runDelayTimer_->Start(runDelay_);
            runDelay_ = 0;
        } else {
            SendRunRecord(data, n);
        }
    }
}

// A RunQueue record sent by the answer path after one of its own answers: its callback
// hears 4096 between the write and the start of the time-out.
void DriveLink::SendRunRecord(const uint8_t* data, uint8_t n) {
    QueueState& q = queues_[RunQueue];
    const CommandRecord rec = q.table[q.index];
    SendCommand(rec, RunQueue);
    inFlightQueue_ = RunQueue;
    if (rec.Callback) rec.Callback(Sent, data, n);
    if (awaitingAnswer_) {
        StartAnswerTimer(inFlightQueue_);
        queues_[inFlightQueue_].timeoutRetries = 0;
    }
}

void DriveLink::RunDelayElapsed() {
    runDelayPending_ = false;
    std::vector<uint8_t> data;
    data.swap(runDelayData_);
    if (awaitingAnswer_) return;
    if (Ready(queues_[RunQueue]))
        SendRunRecord(data.data(), static_cast<uint8_t>(data.size()));
    else
        SendNext(-1, nullptr, 0);
}

// ---------------------------------------------------------------- time-out

void DriveLink::HandleTimeout() {
    awaitingAnswer_ = false;
    for (auto& q : queues_) q.errorRetries = 0;

    const uint8_t level = inFlightQueue_;
    QueueState& q = queues_[level];
    const uint8_t i = q.index;
    if (!q.busy || i >= q.count) {
        SendNext(-1, nullptr, 0);
        return;
    }
    if (q.timeoutRetries < q.timeoutRetryLimit) {
        SendCommand(q.table[i], level);
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
    if (rec.Callback) rec.Callback(NoAnswer, nullptr, 0);
    // Queues that waited behind the one that gave up are served now instead of staying
    // stuck until the next ResetLink.
    SendNext(-1, nullptr, 0);
}

}  // namespace ordalis
