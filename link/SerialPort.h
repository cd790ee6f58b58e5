#pragma once
// The link's view of a serial port. The real one wraps QSerialPort (QtSerialPort.h);
// tests use fakes or a pseudo-terminal.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace ordalis {

enum class PortOpenError { None, NoSuchPort, PortInUse, Other };

class SerialPort {
public:
    virtual ~SerialPort() = default;

    // "COM3": mapped to a device when opened; takes effect at the next open.
    virtual void SetCommName(const std::string& name) = 0;
    virtual std::string CommName() const = 0;
    // Applied at once when open, else at the next open. 110 is used for the wake-up byte.
    virtual void SetBaudRate(int32_t baud) = 0;
    virtual int32_t BaudRate() const = 0;
    // Opens exclusively, 8N1, no flow control, buffers purged.
    virtual PortOpenError Open() = 0;
    virtual void Close() = 0;  // discards pending bytes; no-op when closed
    virtual bool IsOpen() const = 0;
    // Queues the bytes without blocking and hands them to the system at once when it can
    // take them, so a request is on the line when its answer time-out starts; false when
    // closed or count is 0.
    virtual bool Write(const uint8_t* bytes, size_t count) = 0;
    // Hands over, through OnReceiveData and before returning, every byte the port already
    // holds (received but not yet delivered, or waiting in the operating system), without
    // blocking. Timers that act on the absence of bytes call it first: on a stalled thread
    // their event can run before the event that would deliver bytes which came in time.
    virtual void DrainReceived() = 0;

    // Received chunks, in arrival order, on the GUI thread.
    std::function<void(const uint8_t* bytes, size_t count)> OnReceiveData;
    // The device went away while open (USB adapter pulled); the port is already closed.
    std::function<void()> OnDeviceLost;
};

}  // namespace ordalis
