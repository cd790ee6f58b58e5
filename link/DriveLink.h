#pragma once
// The drive link: request encoding, the receive parser and the three command queues
// (RunQueue 0, PollQueue 1, Lev2Queue 2). One command is on the wire at a time; an
// answer is matched to the command most recently sent. Everything runs on one thread;
// timers come from a TimerFactory so tests can fire them by hand.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/Codec.h"
#include "link/CommandRecord.h"
#include "link/FrameLog.h"
#include "link/LinkTimer.h"
#include "link/Prompt.h"
#include "link/ReceiveParser.h"
#include "link/SerialPort.h"

namespace ordalis {

enum QueueLevel : uint8_t { RunQueue = 0, PollQueue = 1, Lev2Queue = 2 };

struct QueueState {
    std::array<CommandRecord, TAB_MAX_CMD_NUM> table{};
    uint8_t count = 0;
    uint8_t index = 0;
    bool busy = false;
    uint8_t errorRetries = 0;
    uint8_t errorRetryLimit = 3;
    uint8_t timeoutRetries = 0;
    uint8_t timeoutRetryLimit = 3;
    uint8_t answerTimeout = 200;  // ms
};

class DriveLink {
public:
    // Creates its timers from `timers` and takes over port.OnReceiveData (chunks go to
    // ReceiveBytes). keySeed seeds the scrambling keys once. The link shows nothing through
    // `prompt`: its only messages are programming errors, written to standard error.
    DriveLink(SerialPort& port, TimerFactory& timers, Prompt& prompt, uint32_t keySeed);
    ~DriveLink();
    DriveLink(const DriveLink&) = delete;
    DriveLink& operator=(const DriveLink&) = delete;

    void SetFrameLog(FrameLog* log);  // nullptr: nothing is logged

    // --- codec ---
    uint8_t SlaveAddress = 0;
    // Logs and writes the record's frame; false (nothing logged or written) when the codec
    // refuses the record (data too long for the length byte).
    bool SendCommand(const CommandRecord& record, uint8_t level);
    void WriteFrame(const uint8_t* bytes, size_t count);
    const std::string& LogPrefix() const { return logPrefix_; }
    const std::string& LogLabel() const { return logLabel_; }

    // --- receive parser (fed from the port; Timer1 is the 20 ms reset, which first takes
    // in what the port holds: bytes that came meanwhile restart it instead) ---
    void ReceiveBytes(const uint8_t* bytes, size_t count);
    LinkTimer& ParserResetTimer() { return *timer1_; }

    // --- queues ---
    // A list loaded while a command awaits its answer (or a run delay runs) is not sent at
    // once: the answer path or the end of a time-out sends it, Lev2 before Poll before Run,
    // except that a SendRunList or AddPollList that would have sent at once goes right after
    // the answer in flight. Lists above 100 records are refused ("Num max setting" on
    // standard error). A record the codec refuses is skipped with 132 to its callback.
    void SendRunList(const CommandRecord* list, int n);
    void SendPollList(const CommandRecord* list, int n);
    void AddPollList(const CommandRecord* list, int n);
    void SendLev2List(const CommandRecord* list, int n);
    void SendRunList(const CommandList& l) { SendRunList(l.Records, l.Count); }
    void SendPollList(const CommandList& l) { SendPollList(l.Records, l.Count); }
    void AddPollList(const CommandList& l) { AddPollList(l.Records, l.Count); }
    void SendLev2List(const CommandList& l) { SendLev2List(l.Records, l.Count); }
    // Empties all queues, drops the pending run list and poll append, abandons the command
    // in flight (a late answer is dropped) and ends a lost link.
    void ResetLink();
    // Stops the RunQueue (table and index stay) and drops its pending list. Its command on
    // the wire is still answered: the answer is copied and its callback runs (132 for an
    // error answer), the list does not go on; unanswered, it is not sent again and nothing
    // is reported. Queues waiting behind it go after that answer or time-out.
    void StopRunQueue();
    void SetRunDelay(uint16_t ms) { runDelay_ = ms; }
    void SetRunTimeout(uint8_t ms) { queues_[RunQueue].answerTimeout = ms; }
    void SetRunRetries(uint8_t n) { queues_[RunQueue].timeoutRetryLimit = n; }
    void SetRunNext(uint8_t offset);
    // Calls `then` after ms milliseconds from a single-shot timer (no nested event loop).
    // Waits are independent: each continuation runs once, at its own time.
    void WaitMs(int ms, std::function<void()> then);
    // Fires the RunQueue send held back by the run delay.
    LinkTimer& RunDelayTimer() { return *runDelayTimer_; }
    bool RunDelayPending() const { return runDelayPending_; }

    void HandleAnswer(uint8_t residue, const uint8_t* answer, size_t frameLength);
    // The time-out proper (re-send or 131). The answer timer's event first takes in what
    // the port holds: an answer handled meanwhile makes the time-out void, and a frame
    // under way gets the 20 ms frame gap (a few times, while bytes keep coming).
    void HandleTimeout();
    LinkTimer& AnswerTimer() { return *comOverTimer_; }
    // The time-out of the command in flight on this queue: the queue's own, or longer
    // where the longest answer of the request needs more time on the wire (see .cpp).
    int AnswerTimeoutMs(uint8_t level) const;

    // Holds the link while a caller reconfigures the port (baud switch): received bytes
    // are kept, and an answer time-out the queues want to start is deferred. Release
    // feeds the kept bytes (unless discardReceived) and starts the deferred time-out.
    void Hold();
    void Release(bool discardReceived);
    bool IsHeld() const { return held_; }

    // --- state, for views and tests ---
    bool AwaitingAnswer() const { return awaitingAnswer_; }
    uint8_t InFlightQueue() const { return inFlightQueue_; }
    const QueueState& Queue(uint8_t level) const { return queues_[level]; }
    bool AnyBusy() const;
    // After a 131 the link is lost: nothing goes out and every load is ignored until
    // ResetLink, so a dead drive is reported once.
    bool IsLinkLost() const { return linkLost_; }
    SerialPort& Port() { return port_; }

private:
    struct Wait {
        std::unique_ptr<LinkTimer> timer;
        std::function<void()> then;
    };

    void ParserResetFired();
    void AnswerTimerFired();
    void StartAnswerTimer(uint8_t level);
    void StopAnswerTimer();
    bool WireBusy() const { return awaitingAnswer_ || runDelayPending_; }
    bool Ready(QueueState& q);
    int NextLevel();
    bool SendFromQueue(uint8_t level);
    void SendAtOnceOrAfterTheAnswer(uint8_t level);
    void SendNext(int answeredQueue, const uint8_t* data, uint8_t n);
    bool SendRunRecord(const uint8_t* data, uint8_t n);
    void SkipRefused(uint8_t level);
    void RunDelayElapsed();
    void HandleStoppedRunAnswer(bool error, uint8_t code, uint8_t status, const uint8_t* data, uint8_t n);
    void LoseLink();
    void DropPending();
    void LoadList(QueueState& q, const CommandRecord* list, int n);
    void CheckCount(uint8_t level);
    static void FinishQueue(QueueState& q);
    static void CopyAnswer(const CommandRecord& rec, const uint8_t* data, uint8_t n);
    static void Report(const std::string& text);
    void LogFrame(const uint8_t* bytes, size_t count, uint8_t level);

    SerialPort& port_;
    TimerFactory& timers_;
    FrameLog* log_ = nullptr;
    KeySource keys_;
    ReceiveParser parser_{kAnswerMark};
    std::unique_ptr<LinkTimer> timer1_;        // parser reset, 20 ms after the last chunk
    std::unique_ptr<LinkTimer> comOverTimer_;  // answer time-out
    std::unique_ptr<LinkTimer> runDelayTimer_; // run delay before a RunQueue send
    std::vector<std::unique_ptr<Wait>> waits_; // WaitMs; a fired one is reused

    std::vector<uint8_t> runDelayData_;       // answer data for the 4096 callback after the delay

    std::array<QueueState, 3> queues_{};
    bool awaitingAnswer_ = false;
    uint8_t inFlightQueue_ = 0;
    uint16_t runDelay_ = 0;
    bool runDelayPending_ = false;  // a RunQueue send waits for the run delay
    bool linkLost_ = false;         // a 131 ended a queue; silent until ResetLink
    uint64_t framesSent_ = 0;
    uint64_t bytesReceived_ = 0;
    uint64_t graceMark_ = 0;        // bytesReceived_ when the time-out last looked
    int graceLeft_ = 0;             // frame-gap extensions left for the command in flight
    size_t wireBytes_ = 0;          // request plus its longest answer, for the time-out
    // Queues loaded while the wire was busy that would have sent at once; served first,
    // in the order they were loaded.
    std::vector<uint8_t> firstAfterAnswer_;
    // The RunQueue command on the wire when StopRunQueue ran: its answer is still handled.
    bool stoppedRunOnWire_ = false;
    CommandRecord stoppedRunRecord_;
    bool runRepeated_ = false;      // the running RunQueue list already started over once

    std::vector<CommandRecord> pendingRun_;
    bool pendingRunSet_ = false;
    std::vector<CommandRecord> pendingPollAppend_;
    uint8_t pendingPollPos_ = 0;
    bool pendingPollSet_ = false;

    bool held_ = false;
    int heldTimerLevel_ = -1;
    std::vector<uint8_t> heldBytes_;

    std::string logPrefix_;
    std::string logLabel_;
};

}  // namespace ordalis
