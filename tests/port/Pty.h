#pragma once
// A pseudo-terminal for port tests: the port under test opens the slave,
// the test plays the device on the master.
#include <QByteArray>
#include <QString>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace ordalis::test {

class Pty {
public:
    Pty()
    {
        termios raw{};
        cfmakeraw(&raw);
        char name[128] = {};
        int slave = -1;
        if (openpty(&master_, &slave, name, &raw, nullptr) != 0)
            return;
        // Only the port under test keeps the slave open.
        ::close(slave);
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
        slavePath_ = QString::fromLocal8Bit(name);
    }
    ~Pty() { CloseMaster(); }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool Ok() const { return master_ >= 0; }
    int MasterFd() const { return master_; }
    const QString& SlavePath() const { return slavePath_; }

    bool Send(const QByteArray& bytes)
    {
        return ::write(master_, bytes.constData(), bytes.size()) == bytes.size();
    }

    // Reads what the port wrote until `count` bytes are in, or the deadline passes.
    QByteArray Receive(qsizetype count, int deadlineMs = 5000)
    {
        QByteArray got;
        (void)QTest::qWaitFor(
            [&] {
                char buf[4096];
                ssize_t n;
                while ((n = ::read(master_, buf, sizeof buf)) > 0)
                    got.append(buf, n);
                return got.size() >= count;
            },
            deadlineMs);
        return got;
    }

    // The slave's line settings, as the device side sees them.
    termios Settings() const
    {
        termios t{};
        tcgetattr(master_, &t);
        return t;
    }

    void CloseMaster()
    {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }

private:
    int master_ = -1;
    QString slavePath_;
};

}  // namespace ordalis::test
