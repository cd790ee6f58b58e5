#pragma once
// The serial port of the running program: QSerialPort used asynchronously on
// the thread that owns it (the GUI thread). No call blocks.
#include <QByteArray>
#include <QObject>
#include <QSerialPort>

#include "link/SerialPort.h"
#include "link/qt/PortMap.h"

namespace ordalis {

class QtSerialPort : public QObject, public SerialPort {
public:
    explicit QtSerialPort(PortMap ports = PortMap(), QObject* parent = nullptr);
    ~QtSerialPort() override;

    // Takes effect at the next open.
    void SetPortMap(PortMap ports);

    void SetCommName(const std::string& name) override;
    std::string CommName() const override;
    void SetBaudRate(int32_t baud) override;
    int32_t BaudRate() const override;
    // Fails with Other when this port is already open (it stays open).
    PortOpenError Open() override;
    void Close() override;
    bool IsOpen() const override;
    bool Write(const uint8_t* bytes, size_t count) override;
    // Reads what Qt and the operating system hold with zero-time waits and delivers it,
    // with the bytes whose delivery is still queued, before returning.
    void DrainReceived() override;

private:
    void ReadArrived();
    void PostDelivery();
    void DeliverReceived();
    void DeliverNow();
    void ClearWaitTimeout();
    void ErrorOccurred(QSerialPort::SerialPortError error);

    QSerialPort* device_;  // child of this
    PortMap ports_;
    std::string commName_ = "COM3";
    int32_t baud_ = 9600;
    QByteArray received_;      // read from the device, not yet handed to OnReceiveData
    bool deliveryPosted_ = false;
    unsigned openCount_ = 0;   // tells a queued device-lost report from a later open
};

}  // namespace ordalis
