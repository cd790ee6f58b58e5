#include "tests/reliability/WriterProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

extern char** environ;

namespace ordalis::test {

using Clock = std::chrono::steady_clock;

WriterProcess::WriterProcess(const std::string& program, const std::vector<std::string>& args) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) pid_ = pid;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    out_ = fds[0];
}

WriterProcess::~WriterProcess() {
    Kill();
    if (out_ >= 0) close(out_);
}

std::string WriterProcess::Read(size_t count, std::chrono::milliseconds deadline) {
    const auto end = Clock::now() + deadline;
    while (out_ >= 0 && (count == std::string::npos || buffered_.size() < count)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        if (left <= 0) break;
        pollfd p{out_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
        char chunk[4096];
        const ssize_t n = read(out_, chunk, sizeof chunk);
        if (n <= 0) break;  // the child closed its output (ended)
        buffered_.append(chunk, static_cast<size_t>(n));
    }
    std::string out;
    const size_t take = count == std::string::npos ? buffered_.size() : std::min(count, buffered_.size());
    out = buffered_.substr(0, take);
    buffered_.erase(0, take);
    return out;
}

void WriterProcess::Kill() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
}

int WriterProcess::Wait(std::chrono::milliseconds deadline) {
    if (pid_ <= 0) return -1;
    const auto end = Clock::now() + deadline;
    for (;;) {
        int status = 0;
        const pid_t r = waitpid(pid_, &status, WNOHANG);
        if (r == pid_) {
            pid_ = -1;
            return status;
        }
        if (r < 0 || Clock::now() >= end) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));  // polling the child's end, bounded by the deadline
    }
}

}  // namespace ordalis::test
