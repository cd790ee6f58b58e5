#pragma once
// Faults injected into the answers on request, drawn from one seeded generator so that a
// run repeats exactly: dropped answers, a flipped byte, a fixed latency, answers split
// into chunks with short gaps, noise bytes between frames, and an unplug after N answers.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace ordalis::sim {

struct FaultOptions {
    double Drop = 0;       // share of answers never sent
    double Corrupt = 0;    // share of answers with one byte flipped
    double Noise = 0;      // share of answers preceded by a few noise bytes
    double DelayMs = 0;    // latency before every answer
    bool Chunk = false;    // answers written in 2..4 pieces with gaps of 0.1..1.5 ms
    long UnplugAfter = -1; // close the line after this many answers (-1: never)
};

// "drop=0.1,corrupt=0.05,delay=30,chunk,noise=0.02,unplug-after=50". False and a
// message for an unknown key or a bad value.
bool ParseFaults(const std::string& list, FaultOptions& out, std::string& error);

// One write to the line: bytes, then a pause before the next piece.
struct Piece {
    std::vector<uint8_t> Bytes;
    double GapAfterMs = 0;
};

struct AnswerPlan {
    bool Dropped = false;
    int CorruptedAt = -1;     // index into the frame, -1 when intact
    double DelayMs = 0;
    std::vector<Piece> Pieces;  // noise (if any) first, then the frame
};

class FaultInjector {
public:
    FaultInjector(FaultOptions options, uint64_t seed) : opt_(options), rng_(seed ^ 0xFA17u) {}
    const FaultOptions& Options() const { return opt_; }

    // frame: the answer as encoded; syncCount: its leading 0xF0 bytes.
    AnswerPlan Plan(std::vector<uint8_t> frame, int syncCount);

private:
    bool Chance(double p);
    int Uniform(int lo, int hi);

    FaultOptions opt_;
    std::mt19937_64 rng_;
};

}  // namespace ordalis::sim
