// The connect operation of DriveSession: wakes the drive with a zero byte at 110 baud,
// queues ProbeList at 9600 baud and switches the port to the chosen rate once the drive
// has been told it (BaudSwitchStep). The waits run as single-shot timers, so the window
// stays responsive while the bytes keep their timing.
#include <string>

#include "core/Deferred.h"
#include "core/DriveSession.h"
#include "core/Texts.h"
#include "link/LinkTimer.h"

namespace ordalis {

namespace {
constexpr int32_t kWakeBaud = 110;
constexpr int32_t kProbeBaud = 9600;
}  // namespace

void DriveSession::After(int ms, std::function<void()> step) {
    step_ = std::move(step);
    stepTimer_->Start(ms);
}

// The port is about to be taken over: a connection being set up or read back ends here,
// with nothing left on the wire that could time out into a failure dialog later.
void DriveSession::Cancel() {
    stepTimer_->Stop();
    step_ = nullptr;
    waking_ = false;
    if (switching_) {
        switching_ = false;
        state_.link.Release(true);
    }
    if (phase_ == Phase::Connecting || phase_ == Phase::ReadingBack) {
        readBackEnded_ = true;
        state_.link.ResetLink();
        state_.link.SetRunDelay(0);
        phase_ = Phase::Idle;
    }
}

bool DriveSession::OpenPort() {
    SerialPort& port = state_.Port();
    const PortOpenError error = port.Open();
    if (error == PortOpenError::None) return true;
    Tell(PortOpenErrorText(state_, QString::fromStdString(port.CommName()), error));
    return false;
}

bool DriveSession::ConnectSelection() {
    const auto selection = state_.settings.linkRecord.Selection();
    if (!selection) return false;
    ConnectDrive(selection->port, selection->baud, selection->address);
    return true;
}

void DriveSession::ConnectDrive(uint8_t port, int32_t baud, uint8_t address) {
    Cancel();
    // Nothing may go out at 110 baud but the wake-up byte: the poll stops, and whatever
    // was in flight (a read-back, a re-send) is abandoned before the port changes under it.
    StopPoll();
    readBackEnded_ = true;
    readBackList_ = nullptr;
    phase_ = Phase::Connecting;
    SetGeneratorRunning(false);  // known again once the new drive is read back
    emit ConnectStarted();
    DriveLink& link = state_.link;
    SerialPort& serial = state_.Port();
    link.ResetLink();
    link.SetRunDelay(0);
    link.SlaveAddress = address;
    targetBaud_ = baud;
    serial.SetCommName("COM" + std::to_string(port));
    serial.SetBaudRate(kWakeBaud);
    serial.Close();
    if (!OpenPort()) {
        phase_ = Phase::Idle;
        return;
    }
    waking_ = true;
    // At 110 baud the start bit and eight zero bits hold the line low for about 82 ms,
    // which the drive takes as the wake-up; it then listens at 9600.
    After(50, [this] {
        const uint8_t zero = 0x00;
        state_.Port().Write(&zero, 1);
        After(110, [this] {
            waking_ = false;
            state_.Port().SetBaudRate(kProbeBaud);
            state_.mirror.SetI32(pid::BaudRate, targetBaud_);
            state_.link.ResetLink();
            state_.link.SendRunList(state_.lists.ProbeList);
        });
    });
}

void DriveSession::BaudSwitchStep(uint16_t status) {
    if (status == ordalis::NoAnswer) {
        NoAnswer();
        return;
    }
    if (status != Sent) return;
    // The write of the new rate has just gone out at the old rate. The drive answers at
    // the old rate and then listens at the new one: keep what arrives meanwhile and start
    // the answer time-out only once the port runs at the new rate.
    state_.progressCounter = 0;
    switching_ = true;
    state_.link.Hold();
    After(200, [this] {
        SerialPort& serial = state_.Port();
        if (targetBaud_ == serial.BaudRate()) {
            switching_ = false;
            state_.link.Release(false);
            return;
        }
        serial.Close();
        serial.SetBaudRate(targetBaud_);
        if (!OpenPort()) {
            // The answer time-out that follows ends in the failure dialog.
            switching_ = false;
            state_.link.Release(true);
            return;
        }
        After(100, [this] {
            switching_ = false;
            // The answer to the write came at the old rate before the switch: it is
            // handled as usual, and the next record goes out at the new rate.
            state_.link.Release(false);
        });
    });
}

}  // namespace ordalis
