#include "wizard/Connector.h"

#include <QString>

#include "core/Session.h"
#include "app/ShellHooks.h"
#include "core/UiPrompt.h"
#include "link/LinkTimer.h"
#include "wizard/WizardText.h"

namespace ordalis {

namespace {
constexpr int32_t kWakeBaud = 110;
constexpr int32_t kProbeBaud = 9600;
constexpr uint16_t kBaudRateParam = 53;
}  // namespace

Connector::Connector(Session& session, ShellHooks& shell, UiPrompt& prompt, TimerFactory& timers)
    : session_(session), shell_(shell), prompt_(prompt), stepTimer_(timers.CreateTimer()) {
    stepTimer_->OnTimeout = [this] {
        auto step = std::move(step_);
        step_ = nullptr;
        if (step) step();
    };
    session_.callbacks.BaudSwitchStep = [this](uint16_t status, const uint8_t* data, uint8_t length) {
        BaudSwitchStep(status, data, length);
    };
}

Connector::~Connector() {
    session_.callbacks.BaudSwitchStep = nullptr;
    stepTimer_->Stop();
}

void Connector::After(int ms, std::function<void()> step) {
    step_ = std::move(step);
    stepTimer_->Start(ms);
}

void Connector::Cancel() {
    stepTimer_->Stop();
    step_ = nullptr;
    waking_ = false;
    if (switching_) {
        switching_ = false;
        session_.link.Release(true);
    }
}

bool Connector::OpenPort() {
    const PortOpenError error = session_.Port().Open();
    if (error == PortOpenError::None) return true;
    prompt_.ShowText(
        PortOpenErrorText(session_, QString::fromStdString(session_.Port().CommName()), error));
    return false;
}

void Connector::ConnectDrive(uint8_t port, int32_t baud, uint8_t address) {
    Cancel();
    DriveLink& link = session_.link;
    SerialPort& serial = session_.Port();
    // Nothing may go out at 110 baud but the wake-up byte: stop a re-send of whatever
    // was in flight before the port changes under it.
    link.ResetLink();
    link.SlaveAddress = address;
    targetBaud_ = baud;
    serial.SetCommName("COM" + std::to_string(port));
    serial.SetBaudRate(kWakeBaud);
    serial.Close();
    if (!OpenPort()) return;
    waking_ = true;
    // At 110 baud the start bit and eight zero bits hold the line low for about 82 ms,
    // which the drive takes as the wake-up; it then listens at 9600.
    After(50, [this] {
        const uint8_t zero = 0x00;
        session_.Port().Write(&zero, 1);
        After(110, [this] {
            waking_ = false;
            session_.Port().SetBaudRate(kProbeBaud);
            session_.mirror.SetI32(kBaudRateParam, targetBaud_);
            session_.link.ResetLink();
            session_.link.SendRunList(session_.lists.ProbeList);
        });
    });
}

void Connector::BaudSwitchStep(uint16_t status, const uint8_t*, uint8_t) {
    if (status == NoAnswer) {
        shell_.ShowConnectionFailure();
        return;
    }
    if (status != Sent) return;
    // The write of the new rate has just gone out at the old rate. The drive answers at
    // the old rate and then listens at the new one: keep what arrives meanwhile and start
    // the answer time-out only once the port runs at the new rate.
    session_.progressCounter = 0;
    switching_ = true;
    session_.link.Hold();
    After(200, [this] {
        SerialPort& serial = session_.Port();
        if (targetBaud_ == serial.BaudRate()) {
            switching_ = false;
            session_.link.Release(false);
            return;
        }
        serial.Close();
        serial.SetBaudRate(targetBaud_);
        if (!OpenPort()) {
            // The answer time-out that follows ends in the failure dialog.
            switching_ = false;
            session_.link.Release(true);
            return;
        }
        After(100, [this] {
            switching_ = false;
            // The answer to the write came at the old rate before the switch: it is
            // handled as usual, and the next record goes out at the new rate.
            session_.link.Release(false);
        });
    });
}

}  // namespace ordalis
