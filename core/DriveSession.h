#pragma once
// One connection to one drive, without widgets: the connect operation (wake-up byte at
// 110 baud, probe at 9600, baud switch), identify, read-back of 24 or 34 parameters, the
// fault check, the 300 ms status poll that doubles as the link watchdog, and the lost
// link. It reports through signals; the ones that lead to a modal window (LinkLost,
// Message, ReadBackFailed) are emitted from the event loop, never from inside a link
// callback. Windows reach the drive through its DriveAccess side.
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>

#include "core/DriveAccess.h"
#include "core/ParameterWriter.h"
#include "core/Session.h"

namespace ordalis {

class LinkTimer;
class TimerFactory;
class UiPrompt;

class DriveSession : public QObject, public DriveAccess {
    Q_OBJECT
public:
    enum class Phase {
        Idle,         // no drive; also after a lost link
        Connecting,   // wake-up, probe and baud switch
        ReadingBack,  // identified; the read-back list runs
        Connected,    // read back; polling when the poll timer runs
    };
    static constexpr int kPollIntervalMs = 300;
    static constexpr int kReadBackPauseMs = 100;

    DriveSession(Session& state, TimerFactory& timers, UiPrompt& prompt, QObject* parent = nullptr);
    ~DriveSession() override;

    Session& State() { return state_; }
    DriveLink& Link() { return state_.link; }
    Phase CurrentPhase() const { return phase_; }

    // --- connect operation
    // Starts the sequence; a sequence already running is dropped first. The poll stops.
    void ConnectDrive(uint8_t port, int32_t baud, uint8_t address);
    // The stored link's selection; false (nothing happens) when it has none.
    bool ConnectSelection();
    // From ConnectDrive until ProbeList is queued, and during the baud switch.
    bool IsConnecting() const { return waking_ || switching_; }
    // Drops a running sequence (the port is about to be taken over by someone else).
    void Cancel();

    // --- status poll (RdErrorIntval)
    void StartPoll();
    void StopPoll();
    bool IsPolling() const;
    void RdErrorIntvalTimer();
    LinkTimer& PollTimer() { return *pollTimer_; }

    // --- DriveAccess
    const ParameterMirror& Mirror() const override { return state_.mirror; }
    const CommandLists& Lists() const override { return state_.lists; }
    uint8_t Language() const override { return state_.settings.LanguageIndex; }
    UiPrompt& Prompt() override { return prompt_; }
    DialogSlots& Dialogs() override { return state_.callbacks; }
    ScopeSlots& Scope() override { return state_.callbacks; }
    FileSlots& Files() override { return state_.callbacks; }
    WriteOutcome WriteParameter(uint16_t id, int64_t value, ValueRange range) override;
    WriteOutcome WriteParameterAlways(uint16_t id, int64_t value) override;
    void ReportRefusedWrite(uint16_t id, uint16_t status) override;
    bool SendList(QueueLevel level, const CommandList& list) override;
    PollRegistration RegisterPoll(PollKind kind, std::function<void()> onPolled) override;
    bool StoreAndSend(std::initializer_list<StoredValue> values, const CommandList& list) override;
    void ReportNoAnswer() override { NoAnswer(); }
    void SetGeneratorRunning(bool running) override;
    bool GeneratorRunning() const override { return generatorRunning_; }
    TraceBlock& Trace() override { return state_.trace; }
    void SetRunDelay(uint16_t ms) override { state_.link.SetRunDelay(ms); }
    void SetRunNext(uint8_t offset) override { state_.link.SetRunNext(offset); }
    uint8_t Address() const override { return state_.link.SlaveAddress; }
    PollRegistration WatchRestored(std::function<void(uint16_t id)> onRestored) override;
    PollRegistration WatchDriveReady(std::function<void(const QString& modelName)> onReady) override;
    // No write waits or is on its way.
    bool WritesIdle() const { return writer_.Idle(); }

    // Completion procedures of the probe, read-back and poll lists (bound to their slots).
    void BaudSwitchStep(uint16_t status);
    void IdentifyDone(uint16_t status);
    void ReadBackStep(uint16_t status);
    void PollStatusDone(uint16_t status);
    void PollParaDone(uint16_t status);

signals:
    // A connection starts (ConnectDrive): the poll is stopped, a finished read-back's
    // pending panel must not come back.
    void ConnectStarted();
    void ReadBackStarted(int total);
    // One more record answered. The first one opens the progress display.
    void ReadBackProgress(int done, int total);
    // Every record answered (the progress display closes 700 ms later).
    void ReadBackDone(const QString& modelName);
    // The read-back stopped at a refused record: the message names it.
    void ReadBackFailed(const QString& message);
    // Read back without a fault: the oscilloscope gains can be filled; for the LQ/TR
    // family the model panel is set up and the poll runs.
    void DriveReady(const QString& modelName);
    void StatusPolled();
    void ParametersPolled();
    // The drive stopped answering (once per loss): the connection-failure dialog.
    void LinkLost();
    // A message for the user (the fault code after a read-back, a port that would not open).
    void Message(const QString& text);
    // The speed generator was switched on or off (see SetGeneratorRunning).
    void GeneratorRunningChanged(bool running);
    // The drive refused a write of parameter id (status: its condition code, or 132); the
    // user is told through the prompt and the parameter is read back.
    void WriteRefused(uint16_t id, uint16_t status);
    // A list that changes a setting the drive keeps in its EEPROM was queued.
    void SettingsWritten();

private:
    struct PollRequest {
        uint64_t id;
        PollKind kind;
        std::function<void()> onPolled;
    };

    void After(int ms, std::function<void()> step);
    bool OpenPort();
    void NoAnswer();
    void Tell(const QString& text);
    void FinishReadBack();
    bool Wants(PollKind kind) const;
    void Notify(PollKind kind);
    bool CanSend(QueueLevel level) const;
    void WriteRefusedNow(uint16_t id, uint16_t status);
    // Tells of a queued write of a stored setting (SettingsWritten); returns outcome.
    WriteOutcome Written(uint16_t id, WriteOutcome outcome);

    Session& state_;
    UiPrompt& prompt_;
    std::unique_ptr<LinkTimer> stepTimer_;
    std::unique_ptr<LinkTimer> pollTimer_;
    std::function<void()> step_;
    Phase phase_ = Phase::Idle;
    int32_t targetBaud_ = 9600;
    bool waking_ = false;
    bool switching_ = false;
    bool lostPending_ = false;
    bool generatorRunning_ = false;

    // Read-back in progress: its list and how many records have been answered or failed.
    const CommandList* readBackList_ = nullptr;
    int readBackPos_ = 0;
    bool readBackEnded_ = false;

    std::list<PollRequest> polls_;
    uint64_t nextPollId_ = 0;

    // Functions called by id, so one may end its own or another's watch while called.
    template <typename... Args>
    struct Watchers {
        std::list<std::pair<uint64_t, std::function<void(Args...)>>> list;
        void Call(Args... args) const;
    };
    template <typename... Args>
    PollRegistration Watch(Watchers<Args...>& w, std::function<void(Args...)> fn);
    Watchers<uint16_t> restoredWatchers_;
    Watchers<const QString&> readyWatchers_;
    ParameterWriter writer_;

    CompletionSlot::Binding baudSwitchBinding_, identifyBinding_, readBackBinding_, pollStatusBinding_,
        pollParaBinding_;
    NotifySlot::Binding linkLostBinding_;
};

}  // namespace ordalis
