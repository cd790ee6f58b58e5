#include "link/qt/QtSerialPort.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <poll.h>

#include "link/qt/PortMap.h"
#include "tests/port/Pty.h"

namespace ordalis {
namespace {

using test::Pty;

QByteArray Pattern(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
    return bytes;
}

// A port named "COM7", mapped to a fresh pseudo-terminal's slave through a
// [ports] section, as the program would read it from its cfg.ini.
class PortOverPty : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty_.Ok());
        ASSERT_TRUE(dir_.isValid());
        const QString ini = dir_.filePath(QStringLiteral("cfg.ini"));
        QFile file(ini);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[ports]\nCOM7=" + pty_.SlavePath().toLocal8Bit() + "\n");
        file.close();
        map_ = PortMap::FromIni(ini);
        port_ = std::make_unique<QtSerialPort>(map_);
        port_->SetCommName("COM7");
        port_->OnReceiveData = [this](const uint8_t* bytes, size_t count) {
            ++chunks_;
            received_.append(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(count));
        };
        port_->OnDeviceLost = [this] { ++lost_; };
    }

    bool Write(const QByteArray& bytes)
    {
        return port_->Write(reinterpret_cast<const uint8_t*>(bytes.constData()),
                            static_cast<size_t>(bytes.size()));
    }

    Pty pty_;
    QTemporaryDir dir_;
    PortMap map_;
    std::unique_ptr<QtSerialPort> port_;
    QByteArray received_;
    int chunks_ = 0;
    int lost_ = 0;
    int errorSignals_ = 0;
};

TEST_F(PortOverPty, BytesTravelBothWaysInOrder)
{
    ASSERT_EQ(port_->Open(), PortOpenError::None);
    ASSERT_TRUE(port_->IsOpen());

    const QByteArray out = Pattern(5000);
    EXPECT_TRUE(Write(out.left(1)));
    EXPECT_TRUE(Write(out.mid(1)));
    EXPECT_EQ(pty_.Receive(out.size()), out);

    const QByteArray in = Pattern(9000);
    for (int at = 0; at < in.size(); at += 1500)
        ASSERT_TRUE(pty_.Send(in.mid(at, 1500)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return received_.size() >= in.size(); }, 5000));
    EXPECT_EQ(received_, in);
    EXPECT_GE(chunks_, 1);
    EXPECT_EQ(lost_, 0);
}

TEST_F(PortOverPty, WriteRefusesEmptyOrClosed)
{
    EXPECT_FALSE(Write("\x01"));
    ASSERT_EQ(port_->Open(), PortOpenError::None);
    EXPECT_FALSE(port_->Write(reinterpret_cast<const uint8_t*>("x"), 0));
    port_->Close();
    EXPECT_FALSE(port_->IsOpen());
    EXPECT_FALSE(Write("\x01"));
    port_->Close();  // closing a closed port does nothing
    EXPECT_FALSE(port_->IsOpen());
}

TEST_F(PortOverPty, LineIs8N1WithoutFlowControl)
{
    ASSERT_EQ(port_->Open(), PortOpenError::None);
    const termios t = pty_.Settings();
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), 0u);
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B9600));
    EXPECT_EQ(port_->BaudRate(), 9600);
}

TEST_F(PortOverPty, BaudRateReachesTheLineAtOnceOrAtOpen)
{
    struct Case { int32_t baud; speed_t speed; };
    const Case cases[] = {{110, B110}, {9600, B9600}, {19200, B19200}, {57600, B57600},
                          {115200, B115200}, {110, B110}};

    // While open: each change shows on the device side at once.
    ASSERT_EQ(port_->Open(), PortOpenError::None);
    for (const Case& c : cases) {
        port_->SetBaudRate(c.baud);
        EXPECT_EQ(port_->BaudRate(), c.baud);
        const termios t = pty_.Settings();
        EXPECT_EQ(cfgetospeed(&t), c.speed) << c.baud;
        EXPECT_EQ(cfgetispeed(&t), c.speed) << c.baud;
    }

    // While closed: kept for the next open (the wake-up byte goes out at 110).
    for (const Case& c : {Case{115200, B115200}, Case{110, B110}}) {
        port_->Close();
        port_->SetBaudRate(c.baud);
        ASSERT_EQ(port_->Open(), PortOpenError::None);
        const termios t = pty_.Settings();
        EXPECT_EQ(cfgetospeed(&t), c.speed) << c.baud;
    }
    EXPECT_TRUE(Write(QByteArray(1, '\0')));
    EXPECT_EQ(pty_.Receive(1), QByteArray(1, '\0'));
}

TEST_F(PortOverPty, OpenFailuresTellMissingFromInUse)
{
    QtSerialPort missing(map_);
    missing.SetCommName((dir_.path() + QStringLiteral("/no-such-tty")).toStdString());
    EXPECT_EQ(missing.Open(), PortOpenError::NoSuchPort);
    EXPECT_FALSE(missing.IsOpen());

    ASSERT_EQ(port_->Open(), PortOpenError::None);
    QtSerialPort second(map_);
    second.SetCommName("com7");
    EXPECT_EQ(second.Open(), PortOpenError::PortInUse);
    EXPECT_FALSE(second.IsOpen());

    // Opening an open port fails and leaves it open and working.
    EXPECT_EQ(port_->Open(), PortOpenError::Other);
    EXPECT_TRUE(port_->IsOpen());
    EXPECT_TRUE(Write("ok"));
    EXPECT_EQ(pty_.Receive(2), QByteArray("ok"));

    // Once closed, the device is free for the other port.
    port_->Close();
    EXPECT_EQ(second.Open(), PortOpenError::None);
}

TEST_F(PortOverPty, BytesArrivingWhileAHandlerWaitsAreDelivered)
{
    // A receive handler that waits in a nested event loop (a modal box, a
    // pause) still gets the bytes that arrive meanwhile.
    bool nestedDelivery = false;
    int depth = 0;
    port_->OnReceiveData = [&](const uint8_t* bytes, size_t count) {
        received_.append(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(count));
        if (depth > 0) {
            nestedDelivery = true;
            return;
        }
        if (!received_.startsWith("first") || received_.contains("second"))
            return;
        ++depth;
        pty_.Send("second");
        (void)QTest::qWaitFor([&] { return received_.contains("second"); }, 5000);
        --depth;
    };
    ASSERT_EQ(port_->Open(), PortOpenError::None);
    ASSERT_TRUE(pty_.Send("first"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return received_.contains("second"); }, 5000)) << received_.constData();
    EXPECT_TRUE(nestedDelivery) << received_.constData();
    EXPECT_EQ(received_, QByteArray("firstsecond"));
}

// What the port holds is handed over by DrainReceived before it returns, without the event
// loop: bytes whose delivery is still queued first, then those Qt or the system still hold.
TEST_F(PortOverPty, DrainReceivedDeliversWhatThePortHoldsInOrder)
{
    port_->DrainReceived();  // closed: nothing to do
    ASSERT_EQ(port_->Open(), PortOpenError::None);
    auto* device = port_->findChild<QSerialPort*>();
    ASSERT_NE(device, nullptr);
    // Waits, without running events, until the system holds bytes for the port.
    const auto systemHolds = [&] {
        pollfd p{static_cast<int>(device->handle()), POLLIN, 0};
        return ::poll(&p, 1, 5000) == 1;
    };

    ASSERT_TRUE(pty_.Send("ab"));
    ASSERT_TRUE(systemHolds());
    port_->DrainReceived();
    EXPECT_EQ(received_, QByteArray("ab"));

    // Inside Qt's readyRead the port has read "cd" and queued its delivery; "ef" waits in
    // the system. A drain there hands over both, in order.
    bool drained = false;
    QObject::connect(device, &QSerialPort::readyRead, [&] {
        if (drained || !received_.endsWith("ab")) return;
        drained = true;
        pty_.Send("ef");
        ASSERT_TRUE(systemHolds());
        port_->DrainReceived();
        EXPECT_EQ(received_, QByteArray("abcdef"));
    });
    ASSERT_TRUE(pty_.Send("cd"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return drained; }, 5000));
    ASSERT_TRUE(pty_.Send("gh"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return received_.size() >= 8; }, 5000));
    EXPECT_EQ(received_, QByteArray("abcdefgh"));
    EXPECT_EQ(device->error(), QSerialPort::NoError);
    EXPECT_EQ(lost_, 0);
}

// Used to close a healthy port as unplugged: bytes arrive, and in the same pass of the
// event loop, before Qt's read notifier for them runs, an event drains the port or writes
// a request (the link's answer path). The notifier then found nothing to read; Qt reported
// that as a read error and the port took it for a lost device (then 131, failure dialog).
TEST_F(PortOverPty, AStaleReadNotifierDoesNotCloseThePort)
{
    ASSERT_EQ(port_->Open(), PortOpenError::None);
    for (const char* way : {"drain", "write"}) {
        SCOPED_TRACE(way);
        received_.clear();
        for (int round = 0; round < 20 && port_->IsOpen(); ++round) {
            ASSERT_TRUE(pty_.Send(QByteArray("\xF0\xE0\x5F\x01\x02\x00\x12\x34\x56", 9)));
            QMetaObject::invokeMethod(
                port_.get(),
                [this, way] {
                    if (QByteArray(way) == "drain")
                        port_->DrainReceived();
                    else
                        Write("U");
                },
                Qt::QueuedConnection);
            QTest::qWait(20);
        }
        EXPECT_TRUE(port_->IsOpen());
        EXPECT_EQ(lost_, 0);
        EXPECT_EQ(received_.size(), 20 * 9);
    }
}

TEST_F(PortOverPty, FarEndGoneClosesOnceWithoutErrorFlood)
{
    ASSERT_EQ(port_->Open(), PortOpenError::None);
    auto* device = port_->findChild<QSerialPort*>();
    ASSERT_NE(device, nullptr);
    QObject::connect(device, &QSerialPort::errorOccurred, [this](QSerialPort::SerialPortError e) {
        if (e != QSerialPort::NoError)
            ++errorSignals_;
    });

    ASSERT_TRUE(pty_.Send("tail"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return received_ == "tail"; }, 5000));
    pty_.CloseMaster();
    ASSERT_TRUE(QTest::qWaitFor([&] { return lost_ > 0; }, 5000));
    EXPECT_FALSE(port_->IsOpen());

    // Left open, the port would report an error on every pass of the event loop.
    for (int i = 0; i < 2000; ++i)
        QCoreApplication::processEvents();
    EXPECT_LE(errorSignals_, 2);
    EXPECT_EQ(lost_, 1);
    EXPECT_FALSE(Write("x"));
}

TEST_F(PortOverPty, DeviceLostHandlerMayDestroyThePort)
{
    bool called = false;
    port_->OnDeviceLost = [&] {
        called = true;
        port_.reset();
    };
    ASSERT_EQ(port_->Open(), PortOpenError::None);
    pty_.CloseMaster();
    ASSERT_TRUE(QTest::qWaitFor([&] { return called; }, 5000));
    EXPECT_EQ(port_, nullptr);
}

TEST_F(PortOverPty, ReopenAfterCloseReceivesOnlyNewBytes)
{
    ASSERT_EQ(port_->Open(), PortOpenError::None);
    port_->Close();
    // Sent while closed: purged by the next open.
    ASSERT_TRUE(pty_.Send("stale"));
    ASSERT_EQ(port_->Open(), PortOpenError::None);
    ASSERT_TRUE(pty_.Send("fresh"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return received_.size() >= 5; }, 5000));
    EXPECT_EQ(received_, QByteArray("fresh"));
}

}  // namespace
}  // namespace ordalis
