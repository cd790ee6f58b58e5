#pragma once
// What a drive window may do with the drive: read the mirror, write a parameter, send a
// command list, bind its completion slots, learn the language, prompt the user, and ask
// for a poll while it is visible. A window never builds a frame, touches the port or asks
// the main window for anything.
#include <QString>
#include <cstdint>
#include <functional>
#include <initializer_list>

#include "link/CommandRecord.h"
#include "link/DriveLink.h"
#include "model/CommandLists.h"
#include "model/ParameterMirror.h"
#include "model/TraceBlock.h"

namespace ordalis {

class UiPrompt;

// What the status poll reads in addition to the link watchdog (137, 138).
enum class PollKind {
    Monitor,     // the status monitor: the whole status list (voltage, temperature, inputs)
    Parameters,  // the parameter-setting window: Cp, Ci, Ls, Rs after the status
};

// Keeps a poll request or a watch alive; it ends when this object goes.
class [[nodiscard]] PollRegistration {
public:
    PollRegistration() = default;
    PollRegistration(PollRegistration&& o) noexcept;
    PollRegistration& operator=(PollRegistration&& o) noexcept;
    PollRegistration(const PollRegistration&) = delete;
    PollRegistration& operator=(const PollRegistration&) = delete;
    ~PollRegistration() { Release(); }
    void Release();
    bool Active() const { return release_ != nullptr; }

private:
    friend class DriveSession;
    explicit PollRegistration(std::function<void()> release) : release_(std::move(release)) {}
    std::function<void()> release_;
};

// The outcome of WriteParameter, in the order the checks run.
enum class WriteOutcome {
    Unchanged,   // equal to the mirror: nothing stored, nothing sent
    OutOfRange,  // outside [min, max]: nothing stored, nothing sent; the caller tells the user
    Unknown,     // not a writable parameter of the mirror
    NotSent,     // nothing stored: no write can go out now (a connection is being set up,
                 // or the link is lost)
    Queued,      // stored; its one-record write is on the Lev2Queue, or waits there while
                 // the queue is busy and goes out as soon as it is free
};

struct ValueRange {
    int64_t min;
    int64_t max;
};

// A value to store into the mirror before a list writes it from there.
struct StoredValue {
    uint16_t id;
    int64_t value;
};

class DriveAccess {
public:
    virtual ~DriveAccess() = default;

    virtual const ParameterMirror& Mirror() const = 0;
    virtual const CommandLists& Lists() const = 0;
    virtual uint8_t Language() const = 0;
    virtual UiPrompt& Prompt() = 0;
    // The completion slots a window may bind; the session's own stay out of reach.
    virtual DialogSlots& Dialogs() = 0;
    virtual ScopeSlots& Scope() = 0;
    virtual FileSlots& Files() = 0;

    // Compare with the mirror, range-check, store, queue the one-record write. While the
    // Lev2Queue is busy the write waits and goes out once it is free (a parameter waits
    // once, with its latest value, in the order first asked for). A write the drive
    // refuses is reported to the user, the parameter is read back, and WatchRestored
    // watchers hear of it.
    virtual WriteOutcome WriteParameter(uint16_t id, int64_t value, ValueRange range) = 0;
    // The same without the comparison or a range: stored and written even when the mirror
    // holds the value already (a button that always writes, such as clearing the faults).
    // (The defaults of this and the three below suit a fake drive that takes no writes.)
    virtual WriteOutcome WriteParameterAlways(uint16_t, int64_t) { return WriteOutcome::NotSent; }
    // For a window whose own list wrote parameter id and got a refusal (a condition code
    // 2..255, or 132 after the retries): tells the user as WriteParameter's refusals are
    // told (WriteRefusedText), reads the parameter back and lets WatchRestored watchers
    // refresh.
    virtual void ReportRefusedWrite(uint16_t, uint16_t) {}
    // Queues a list on the named queue; false when nothing may go out now (a connection
    // is being set up, the link is lost, or the Poll/Lev2 queue is still busy).
    virtual bool SendList(QueueLevel level, const CommandList& list) = 0;
    // While the registration lives, every status poll includes the kind's reads and
    // onPolled runs after each completed cycle that read them.
    virtual PollRegistration RegisterPoll(PollKind kind, std::function<void()> onPolled) = 0;

    // Stores the values into the mirror and queues list, whose records write them and call
    // their own completion slots, on the Lev2Queue. False, and nothing stored, when no
    // write can go out now (as SendList).
    virtual bool StoreAndSend(std::initializer_list<StoredValue> values, const CommandList& list) = 0;
    // For a window's own completion slot on 131: what CommonCallback does (the poll stops,
    // the connection-failure dialog opens once).
    virtual void ReportNoAnswer() = 0;
    // The drive's speed generator as last switched by a window or found by the read-back;
    // the main window shows it while it runs.
    virtual void SetGeneratorRunning(bool running) = 0;
    virtual bool GeneratorRunning() const = 0;
    // The oscilloscope's capture: the trace block its lists point into and the RunQueue's
    // pacing from inside a completion procedure (its 131s go to ReportNoAnswer).
    virtual TraceBlock& Trace() = 0;
    virtual void SetRunDelay(uint16_t ms) = 0;
    virtual void SetRunNext(uint8_t offset) = 0;
    // The slave address of the connected drive (for exports).
    virtual uint8_t Address() const = 0;
    // While the registration lives, onRestored(id) runs whenever the session put the
    // mirror field of id back to the drive's value on its own: at a refused write (the
    // last value the drive was known to hold) and when its read-back answers.
    virtual PollRegistration WatchRestored(std::function<void(uint16_t id)>) { return {}; }
    // While the registration lives, onReady(modelName) runs after each complete read-back
    // without a fault (the mirror holds the drive's settings), before the poll starts.
    virtual PollRegistration WatchDriveReady(std::function<void(const QString& modelName)>) { return {}; }
};

}  // namespace ordalis
