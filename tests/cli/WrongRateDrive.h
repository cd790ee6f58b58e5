#pragma once
// A drive on a test pseudo-terminal that hears requests at any rate but answers at its
// own: while the host listens at another rate its answers arrive as framing garbage
// (zero bytes, as the simulator writes them). The simulator's drives ignore requests at
// a wrong rate, so it cannot show an address that answers in a way the host cannot read.
#include <poll.h>
#include <termios.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "link/Codec.h"
#include "link/CommandRecord.h"
#include "link/ReceiveParser.h"
#include "model/ParameterMirror.h"
#include "tests/port/Pty.h"

namespace ordalis::clitest {

class WrongRateDrive {
public:
    WrongRateDrive(test::Pty& pty, uint8_t address, speed_t rate) : pty_(pty), address_(address), rate_(rate) {
        parser_.SetFrameHandler([this](uint8_t residue, const uint8_t* f, size_t length) {
            if (residue != 0 || length < 5 || f[1] != address_) return;
            const uint8_t command = f[3];
            const uint16_t id = length >= 7 ? static_cast<uint16_t>(f[4] | f[5] << 8) : 0;
            std::vector<uint8_t> data;
            if (command == CmdRead && id == pid::ModelName) data = {'W', 'R', '9', '0', '0', 0};
            std::vector<uint8_t> answer =
                EncodeAnswer(address_, 0, data.data(), static_cast<uint8_t>(data.size()), 0x3C);
            if (cfgetospeed(&Settings()) != rate_) std::fill(answer.begin(), answer.end(), uint8_t{0});
            (void)!::write(pty_.MasterFd(), answer.data(), answer.size());
        });
        thread_ = std::thread([this] { Run(); });
    }
    ~WrongRateDrive() {
        stop_ = true;
        thread_.join();
    }

private:
    const termios& Settings() {
        tcgetattr(pty_.MasterFd(), &t_);
        return t_;
    }
    void Run() {
        while (!stop_) {
            pollfd p{pty_.MasterFd(), POLLIN, 0};
            if (::poll(&p, 1, 10) <= 0) continue;
            if (!(p.revents & POLLIN)) {
                // Nobody has the slave open: the master reports a hang-up until someone does.
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                continue;
            }
            uint8_t buf[512];
            const ssize_t n = ::read(pty_.MasterFd(), buf, sizeof buf);
            if (n > 0) parser_.Feed(buf, static_cast<size_t>(n));
        }
    }

    test::Pty& pty_;
    const uint8_t address_;
    const speed_t rate_;
    termios t_{};
    ReceiveParser parser_{kRequestMark};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace ordalis::clitest
