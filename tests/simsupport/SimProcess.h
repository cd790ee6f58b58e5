#pragma once
// Runs build/bin/ordalis-drive-sim for a test: starts it with the given arguments and a
// link in a fresh temporary folder, waits for its "ready" line with a deadline, and stops
// it by its process id (SIGTERM, then a wait). The folder is removed afterwards.
#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace ordalis::testing {

class SimProcess {
public:
    // args: everything but --link, which the helper adds.
    explicit SimProcess(std::vector<std::string> args);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Starts the simulator and waits for "ready". False (see Output()) when it exits,
    // fails to start or is not ready before the deadline.
    bool Start(std::chrono::milliseconds deadline = std::chrono::seconds(10));
    // SIGTERM and wait (SIGKILL after the deadline). Returns the exit status, -1 if killed.
    int Stop(std::chrono::milliseconds deadline = std::chrono::seconds(10));
    // Waits for the simulator to end by itself (after an unplug); false at the deadline.
    bool WaitExit(std::chrono::milliseconds deadline, int* status = nullptr);
    bool Running() const { return pid_ > 0; }

    const std::string& LinkPath() const { return linkPath_; }
    const std::string& Dir() const { return dir_; }  // the temporary folder, for logs and state
    std::string Output();  // what the simulator printed so far (stdout and stderr)
    pid_t Pid() const { return pid_; }

    static std::string BinaryPath();

private:
    void Drain(int timeoutMs);
    bool Reap(bool block, int* status);

    std::vector<std::string> args_;
    std::string dir_;
    std::string linkPath_;
    std::string output_;
    pid_t pid_ = -1;
    int outFd_ = -1;
};

}  // namespace ordalis::testing
