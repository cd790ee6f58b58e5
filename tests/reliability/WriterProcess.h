#pragma once
// A child process whose standard output the test reads through a pipe, with deadlines.
#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace ordalis::test {

class WriterProcess {
public:
    // Starts program with args; false from Started() when it could not be started.
    WriterProcess(const std::string& program, const std::vector<std::string>& args);
    ~WriterProcess();  // kills and reaps a child still running
    WriterProcess(const WriterProcess&) = delete;
    WriterProcess& operator=(const WriterProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    // Output until it holds `count` bytes, the child closes it, or the deadline passes.
    std::string Read(size_t count, std::chrono::milliseconds deadline);
    // All output up to the child's end (or the deadline).
    std::string ReadToEnd(std::chrono::milliseconds deadline) { return Read(std::string::npos, deadline); }
    // SIGKILL, then reaps the child.
    void Kill();
    // Waits for the child's end; its wait status, or -1 past the deadline.
    int Wait(std::chrono::milliseconds deadline);

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string buffered_;
};

}  // namespace ordalis::test
