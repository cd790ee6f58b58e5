#pragma once
// The session's write path for single parameters. Each write goes out as its own
// one-record list on the Lev2Queue, with a completion of its own, one at a time:
// - a write asked for while the Lev2Queue is busy waits instead of being dropped; a
//   parameter waits once, with its latest value, in the order it was first asked for;
// - a write the drive refuses (a condition code, or 132 after the retries) puts the
//   parameter back to the drive's last known value, is reported, and the parameter is
//   read back from the drive.
// The value sent is the one asked for, kept apart from the mirror, so a poll answer that
// lands in the mirror between the request and the send cannot change what is written.
#include <QObject>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

#include "core/DriveAccess.h"
#include "link/CommandRecord.h"

namespace ordalis {

struct Session;
class LinkTimer;
class TimerFactory;

class ParameterWriter {
public:
    struct Hooks {
        // False while nothing may go out (the wake-up at 110 baud, a lost link).
        std::function<bool()> canSend;
        // The drive refused a write of id with status; the mirror holds the last known value.
        std::function<void(uint16_t id, uint16_t status)> refused;
        // The mirror field of id was set back to the drive's value (refusal, read-back).
        std::function<void(uint16_t id)> restored;
        // A write or read-back got no answer after the re-sends.
        std::function<void()> noAnswer;
    };
    // How long a waiting write looks again while another list holds the Lev2Queue.
    static constexpr int kBusyRetryMs = 20;

    ParameterWriter(Session& state, TimerFactory& timers, QObject* context, Hooks hooks);
    ~ParameterWriter();
    ParameterWriter(const ParameterWriter&) = delete;
    ParameterWriter& operator=(const ParameterWriter&) = delete;

    // Compare with the mirror (skipped when always), range-check, store, then send at once
    // or, with the Lev2Queue busy, once it is free.
    WriteOutcome Write(uint16_t id, int64_t value, ValueRange range, bool always = false);
    // Queues one read of id; restored(id) follows its answer.
    void ReadBack(uint16_t id);
    // Forgets waiting and in-flight work (a new connection, a lost link).
    void Clear();
    // Puts the values still waiting or on their way back into the mirror, after a poll read
    // the drive's older values over them.
    void OverlayPending();
    bool Idle() const { return !inFlight_ && jobs_.empty(); }

private:
    enum class JobKind { Write, Read };
    struct Job {
        JobKind kind;
        uint16_t id;
        int64_t value;  // write: the value asked for
        int64_t prior;  // write: the mirror's value before the first request
    };

    void Pump();
    void PumpLater();
    void Completed(uint64_t serial, uint16_t status);
    void WriteDone(const Job& job, uint16_t status);
    void ReadDone(const Job& job, uint16_t status);
    bool Waiting(JobKind kind, uint16_t id) const;
    int64_t MirrorValue(uint16_t id) const;
    void Store(uint16_t id, int64_t value);

    Session& state_;
    QObject* context_;
    Hooks hooks_;
    std::unique_ptr<LinkTimer> busyTimer_;
    std::deque<Job> jobs_;
    std::optional<Job> inFlight_;
    uint64_t serial_ = 0;
    uint8_t data_[4] = {};
    CommandRecord record_;
    std::shared_ptr<char> alive_ = std::make_shared<char>();
};

}  // namespace ordalis
