#include "tests/simsupport/SimProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace ordalis::testing {

namespace {
using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point until)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}
}  // namespace

std::string SimProcess::BinaryPath() { return ORDALIS_SIM_PATH; }

SimProcess::SimProcess(std::vector<std::string> args) : args_(std::move(args))
{
    std::string pattern = (std::filesystem::temp_directory_path() / "ordalis-sim.XXXXXX").string();
    if (::mkdtemp(pattern.data())) dir_ = pattern;
    linkPath_ = dir_ + "/ttyDRIVE";
}

SimProcess::~SimProcess()
{
    if (pid_ > 0) Stop();
    if (outFd_ >= 0) ::close(outFd_);
    if (!dir_.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
}

bool SimProcess::Start(std::chrono::milliseconds deadline)
{
    if (dir_.empty() || pid_ > 0) return false;
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return false;
    std::vector<std::string> argv = {BinaryPath(), "--link", linkPath_};
    argv.insert(argv.end(), args_.begin(), args_.end());
    std::vector<char*> cargv;
    for (std::string& a : argv) cargv.push_back(a.data());
    cargv.push_back(nullptr);

    pid_ = ::fork();
    if (pid_ < 0) return false;
    if (pid_ == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::dup2(pipeFds[1], STDERR_FILENO);
        ::execv(cargv[0], cargv.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    outFd_ = pipeFds[0];
    ::fcntl(outFd_, F_SETFL, O_NONBLOCK);

    const auto until = Clock::now() + deadline;
    while (output_.find("\nready\n") == std::string::npos && output_.rfind("ready\n", 0) != 0) {
        if (Reap(false, nullptr)) return false;
        if (Clock::now() >= until) return false;
        Drain(std::min(MsLeft(until), 100));
    }
    return true;
}

void SimProcess::Drain(int timeoutMs)
{
    if (outFd_ < 0) return;
    pollfd p{outFd_, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0) return;
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(outFd_, buf, sizeof buf);
        if (n <= 0) {
            if (n == 0) {
                ::close(outFd_);
                outFd_ = -1;
            }
            return;
        }
        output_.append(buf, static_cast<size_t>(n));
    }
}

std::string SimProcess::Output()
{
    Drain(0);
    return output_;
}

bool SimProcess::Reap(bool block, int* status)
{
    if (pid_ <= 0) return true;
    int st = 0;
    const pid_t r = ::waitpid(pid_, &st, block ? 0 : WNOHANG);
    if (r != pid_) return false;
    pid_ = -1;
    Drain(0);
    if (status) *status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return true;
}

bool SimProcess::WaitExit(std::chrono::milliseconds deadline, int* status)
{
    const auto until = Clock::now() + deadline;
    while (!Reap(false, status)) {
        if (Clock::now() >= until) return false;
        Drain(std::min(MsLeft(until), 20));
        if (outFd_ < 0) ::usleep(5000);  // output closed: the process is on its way out
    }
    return true;
}

int SimProcess::Stop(std::chrono::milliseconds deadline)
{
    if (pid_ <= 0) return 0;
    ::kill(pid_, SIGTERM);
    int status = -1;
    if (WaitExit(deadline, &status)) return status;
    ::kill(pid_, SIGKILL);
    Reap(true, nullptr);
    return -1;
}

}  // namespace ordalis::testing
