#include "link/qt/QtSerialPort.h"

#include "link/qt/LineHangup.h"

#include <QPointer>
#include <algorithm>

namespace ordalis {

namespace {

// OnReceiveData takes at most this many bytes per call.
constexpr qsizetype kMaxChunk = 65535;
// Zero-time reads per DrainReceived.
constexpr int kMaxDrainRounds = 64;

PortOpenError OpenErrorOf(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::NoError:
        return PortOpenError::None;
    case QSerialPort::DeviceNotFoundError:
        return PortOpenError::NoSuchPort;
    // Qt reports a port locked by another process, a busy device (EBUSY from
    // an exclusive open) and a denied access all as PermissionError; each one
    // means someone else has or guards the port.
    case QSerialPort::PermissionError:
        return PortOpenError::PortInUse;
    default:
        return PortOpenError::Other;
    }
}

}  // namespace

QtSerialPort::QtSerialPort(PortMap ports, QObject* parent)
    : QObject(parent), device_(new QSerialPort(this)), ports_(std::move(ports))
{
    connect(device_, &QSerialPort::readyRead, this, &QtSerialPort::ReadArrived);
    connect(device_, &QSerialPort::errorOccurred, this, &QtSerialPort::ErrorOccurred);
}

QtSerialPort::~QtSerialPort()
{
    // No callbacks out of a half-destroyed object.
    device_->disconnect(this);
    Close();
}

void QtSerialPort::SetPortMap(PortMap ports) { ports_ = std::move(ports); }

void QtSerialPort::SetCommName(const std::string& name) { commName_ = name; }

std::string QtSerialPort::CommName() const { return commName_; }

void QtSerialPort::SetBaudRate(int32_t baud)
{
    baud_ = baud;
    if (device_->isOpen())
        device_->setBaudRate(baud);
}

int32_t QtSerialPort::BaudRate() const { return baud_; }

PortOpenError QtSerialPort::Open()
{
    if (device_->isOpen())
        return PortOpenError::Other;
    device_->setPortName(QString::fromStdString(ports_.DevicePath(commName_)));
    device_->setBaudRate(baud_);
    device_->setDataBits(QSerialPort::Data8);
    device_->setParity(QSerialPort::NoParity);
    device_->setStopBits(QSerialPort::OneStop);
    device_->setFlowControl(QSerialPort::NoFlowControl);
    // QSerialPort opens exclusively (lock file and TIOCEXCL on Unix) and
    // leaves DTR and RTS as the driver sets them.
    if (!device_->open(QIODevice::ReadWrite)) {
        const PortOpenError result = OpenErrorOf(device_->error());
        device_->clearError();
        return result == PortOpenError::None ? PortOpenError::Other : result;
    }
    device_->clear(QSerialPort::AllDirections);
    received_.clear();
    ++openCount_;
    return PortOpenError::None;
}

void QtSerialPort::Close()
{
    received_.clear();
    if (!device_->isOpen())
        return;
    // Drop what the driver still holds instead of waiting for it to drain.
    device_->clear(QSerialPort::AllDirections);
    device_->close();
    device_->clearError();
}

bool QtSerialPort::IsOpen() const { return device_->isOpen(); }

bool QtSerialPort::Write(const uint8_t* bytes, size_t count)
{
    if (count == 0 || !device_->isOpen())
        return false;
    // Buffered by QSerialPort, then handed to the system at once (flush writes what the
    // device takes without waiting and reads nothing). Left to the next pass of the event
    // loop, a request would wait out a stall of the thread while its answer time-out
    // runs, and the answer would then be taken for late.
    if (device_->write(reinterpret_cast<const char*>(bytes), static_cast<qint64>(count)) !=
        static_cast<qint64>(count))
        return false;
    device_->flush();
    return true;
}

// A zero-time wait that found nothing to do reports a time-out; it is no fault of the port.
void QtSerialPort::ClearWaitTimeout()
{
    if (device_->isOpen() && device_->error() == QSerialPort::TimeoutError)
        device_->clearError();
}

void QtSerialPort::ReadArrived()
{
    received_.append(device_->readAll());
    PostDelivery();
}

void QtSerialPort::PostDelivery()
{
    if (received_.isEmpty() || deliveryPosted_)
        return;
    // Hand the bytes over from a queued call, not from inside readyRead:
    // QSerialPort emits no readyRead while one is being handled, so a handler
    // that waits in a nested event loop (a modal box, a pause) would never see
    // the bytes that arrive meanwhile.
    deliveryPosted_ = true;
    QMetaObject::invokeMethod(this, &QtSerialPort::DeliverReceived, Qt::QueuedConnection);
}

void QtSerialPort::DrainReceived()
{
    // Bytes the operating system holds that Qt has not read yet: a zero-time wait reads
    // them (readyRead lands them in received_ behind the bytes already there). Each round
    // reads one chunk; the cap keeps a line that never goes quiet from holding us here.
    for (int round = 0; round < kMaxDrainRounds && device_->isOpen(); ++round) {
        if (!device_->waitForReadyRead(0))
            break;
    }
    ClearWaitTimeout();
    // Read by Qt but not emitted (a readyRead was being handled further up).
    if (device_->isOpen())
        received_.append(device_->readAll());
    // A delivery already posted finds nothing left, or only later bytes.
    DeliverNow();
}

void QtSerialPort::DeliverReceived()
{
    deliveryPosted_ = false;
    DeliverNow();
}

void QtSerialPort::DeliverNow()
{
    QByteArray bytes;
    bytes.swap(received_);
    QPointer<QtSerialPort> self(this);
    for (qsizetype at = 0; at < bytes.size(); at += kMaxChunk) {
        if (!self || !OnReceiveData)
            return;
        const qsizetype n = std::min(kMaxChunk, bytes.size() - at);
        OnReceiveData(reinterpret_cast<const uint8_t*>(bytes.constData() + at),
                      static_cast<size_t>(n));
    }
}

void QtSerialPort::ErrorOccurred(QSerialPort::SerialPortError error)
{
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError &&
        error != QSerialPort::WriteError)
        return;
    if (!device_->isOpen())
        return;
    // Qt reports a read that found nothing as a read error. That happens on a healthy
    // line when a drain (or a nested event loop) took the bytes before Qt's own read
    // notifier ran: only a line that really hung up is a lost device.
    if (error == QSerialPort::ReadError && !LineHungUp(device_->handle())) {
        device_->clearError();
        return;
    }
    // The device is gone (adapter pulled, far end of a pseudo-terminal
    // closed). Close at once: Qt 6.4 keeps reporting ReadError from a
    // pseudo-terminal whose master has gone, in a tight loop, until the port
    // is closed. Bytes read before the loss are still delivered.
    received_.append(device_->readAll());
    PostDelivery();
    device_->close();
    device_->clearError();
    const unsigned lostOpen = openCount_;
    // Report from a queued call, so the handler may delete or reopen the port.
    QMetaObject::invokeMethod(
        this,
        [this, lostOpen] {
            if (lostOpen != openCount_ || device_->isOpen())
                return;
            if (OnDeviceLost)
                OnDeviceLost();
        },
        Qt::QueuedConnection);
}

}  // namespace ordalis
