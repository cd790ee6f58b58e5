#pragma once
// Synthetic signals for the trace recorder. Every variable code gets a waveform that
// fits the others: position is the integral of velocity, the electrical angle follows
// the position, phase currents and voltages are sines of that angle. Values are pure
// functions of time and a seed, so a sample fetched twice reads the same.
#include <cstdint>
#include <vector>

namespace ordalis::sim {

// The drive's state when a recording starts.
struct MotionSnapshot {
    bool GeneratorOn = false;
    double GeneratorRpm = 0;   // speed generator (parameter 154), when on
    double CountsPerRev = 4000;
    double PolePairs = 50;
    double BusVolts = 24;
    double CurrentAmps = 2;    // phase current amplitude
    double LsHenry = 0.0018;
    double RsOhm = 0.85;
    double StartSeconds = 0;   // drive time at the start of the recording
    uint64_t Seed = 0;
};

// Bytes per sample of a variable code (0 for code 0 and unknown codes).
uint16_t TraceSampleSize(int code);
constexpr int kTraceCodes = 27;  // codes 0..26

// Raw sample of a variable code at t seconds after the trigger, as the drive stores it.
int64_t TraceSample(int code, double t, const MotionSnapshot& m, uint32_t index);
// Appends the sample little-endian in its size.
void AppendTraceSample(std::vector<uint8_t>& out, int code, double t, const MotionSnapshot& m, uint32_t index);

// Commanded motion, used by the waveforms and shown for tests.
double CommandRpm(const MotionSnapshot& m, double t);
double CommandCounts(const MotionSnapshot& m, double t);

}  // namespace ordalis::sim
