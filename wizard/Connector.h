#pragma once
// The connect operation: wakes the drive with a zero byte at 110 baud, queues ProbeList
// at 9600 baud and switches the port to the chosen rate once the drive has been told it
// (BaudSwitchStep). The waits run as single-shot timers, so the window stays responsive
// while the bytes keep their timing.
#include <cstdint>
#include <functional>
#include <memory>

namespace ordalis {

struct Session;
class ShellHooks;
class UiPrompt;
class TimerFactory;
class LinkTimer;

class Connector {
public:
    Connector(Session& session, ShellHooks& shell, UiPrompt& prompt, TimerFactory& timers);
    ~Connector();
    Connector(const Connector&) = delete;
    Connector& operator=(const Connector&) = delete;

    // Starts the sequence; a sequence already running is dropped first.
    void ConnectDrive(uint8_t port, int32_t baud, uint8_t address);
    // True from ConnectDrive until ProbeList is queued, and during the baud switch.
    bool IsConnecting() const { return waking_ || switching_; }
    // Drops a running sequence (the port is about to be taken over by someone else).
    void Cancel();

    void BaudSwitchStep(uint16_t status, const uint8_t* data, uint8_t length);

private:
    void After(int ms, std::function<void()> step);
    bool OpenPort();

    Session& session_;
    ShellHooks& shell_;
    UiPrompt& prompt_;
    std::unique_ptr<LinkTimer> stepTimer_;
    std::function<void()> step_;
    int32_t targetBaud_ = 9600;
    bool waking_ = false;
    bool switching_ = false;
};

}  // namespace ordalis
