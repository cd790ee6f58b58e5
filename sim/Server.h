#pragma once
// The simulator's event loop: reads requests from the pseudo-terminal together with the
// line speed they arrived at, hands them to the bus, and writes the answers with the
// faults, latency and pacing asked for. Runs until SIGINT/SIGTERM or an unplug.
#include <chrono>
#include <cstdio>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "sim/Bus.h"
#include "sim/Faults.h"
#include "sim/Options.h"
#include "sim/PtyLine.h"

namespace ordalis::sim {

class Server {
public:
    explicit Server(SimOptions options);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Builds the bus (state file, overrides) and opens the line; prints the paths and
    // "ready" on stdout. False and a message on failure.
    bool Start(std::string& error);
    // Serves until a signal or an unplug; returns the exit code.
    int Run();

private:
    // One write to the line: a piece of an answer or noise.
    struct Item {
        std::vector<uint8_t> Bytes;
        int32_t Rate = 0;
        double NotBeforeMs = 0;   // the answer's latency
        double GapBeforeMs = 0;   // pause after the previous piece
        bool FrameEnd = false;    // last piece of an answer
        uint8_t Address = 0;
        bool Started = false;
        double StartMs = 0;
        size_t Written = 0;
    };

    using Clock = std::chrono::steady_clock;

    double NowMs() const;
    double MsOf(Clock::time_point t) const;
    void Log(double nowMs, int32_t rate, const std::string& text);
    void Stamp(const char* what, Clock::time_point t);
    // woke: when the poll reported the bytes, the closest time to their arrival.
    void ReadLine(Clock::time_point woke);
    void Queue(const Outgoing& answer, double nowMs);
    // Writes what is due; returns the time of the next due write, or a negative value.
    double WriteDue(double nowMs);
    bool ApplyOverrides(std::string& error);

    SimOptions opt_;
    Bus bus_;
    FaultInjector faults_;
    PtyLine line_;
    std::FILE* log_ = nullptr;
    std::FILE* stamps_ = nullptr;
    bool requestAwaited_ = true;  // an answer ended and no byte has been read since
    std::deque<Item> out_;
    double lineFreeMs_ = 0;  // when the last piece finished on the wire
    long answersWritten_ = 0;
    double unplugAtMs_ = -1;
    Clock::time_point start_;
};

}  // namespace ordalis::sim
