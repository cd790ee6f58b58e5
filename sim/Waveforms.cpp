#include "sim/Waveforms.h"

#include <algorithm>
#include <cmath>

namespace ordalis::sim {

namespace {

constexpr double kPi = 3.14159265358979323846;
// Without the speed generator the motor swings gently back and forth, as if a pulse
// source moved it, so that every trace shows something.
constexpr double kSwingRpm = 60.0;
constexpr double kSwingHz = 1.0;
constexpr double kLagSeconds = 0.002;  // feedback trails the command

uint64_t Mix(uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// Deterministic noise in [-1, 1] for one sample of one code.
double Noise(const MotionSnapshot& m, int code, uint32_t index)
{
    const uint64_t h = Mix(m.Seed ^ Mix((uint64_t(code) << 32) | index));
    return static_cast<double>(h >> 11) / static_cast<double>(1ull << 52) - 1.0;
}

int64_t Clamp(double v, int64_t lo, int64_t hi)
{
    const double r = std::round(v);
    if (r < static_cast<double>(lo)) return lo;
    if (r > static_cast<double>(hi)) return hi;
    return static_cast<int64_t>(r);
}

// Angle wrapped into [-pi, pi).
double Wrap(double a)
{
    a = std::fmod(a + kPi, 2 * kPi);
    if (a < 0) a += 2 * kPi;
    return a - kPi;
}

double ElectricalAngle(const MotionSnapshot& m, double counts)
{
    return 2 * kPi * m.PolePairs * counts / m.CountsPerRev;
}

// Raw velocity unit: the host multiplies by 6 / counts-per-rev to show RPM.
double RawVelocity(const MotionSnapshot& m, double rpm) { return rpm * m.CountsPerRev / 6.0; }

}  // namespace

uint16_t TraceSampleSize(int code)
{
    if (code >= 1 && code <= 3) return 2;
    if (code >= 4 && code <= 11) return 4;
    if (code >= 12 && code <= 26) return 2;
    return 0;
}

double CommandRpm(const MotionSnapshot& m, double t)
{
    if (m.GeneratorOn) return m.GeneratorRpm;
    return kSwingRpm * std::sin(2 * kPi * kSwingHz * (m.StartSeconds + t));
}

double CommandCounts(const MotionSnapshot& m, double t)
{
    const double perRpmSecond = m.CountsPerRev / 60.0;
    if (m.GeneratorOn) return perRpmSecond * m.GeneratorRpm * t;
    const double w = 2 * kPi * kSwingHz;
    // Integral of the swing from the recording start.
    return perRpmSecond * kSwingRpm * (std::cos(w * m.StartSeconds) - std::cos(w * (m.StartSeconds + t))) / w;
}

int64_t TraceSample(int code, double t, const MotionSnapshot& m, uint32_t index)
{
    const double n = Noise(m, code, index);
    const double cmdRpm = CommandRpm(m, t);
    const double fbRpm = CommandRpm(m, t - kLagSeconds) + 0.5 * n;
    const double cmdPos = CommandCounts(m, t);
    const double fbPos = std::round(CommandCounts(m, t - kLagSeconds));
    const double theta = ElectricalAngle(m, cmdPos);
    const double thetaFb = ElectricalAngle(m, fbPos);
    const double omega = 2 * kPi * m.PolePairs * cmdRpm / 60.0;  // electrical rad/s
    const double amps = m.CurrentAmps;
    const double reactance = omega * m.LsHenry;
    const double volts = std::min(m.BusVolts, amps * std::hypot(m.RsOhm, reactance));
    const double phi = std::atan2(reactance, m.RsOhm);
    constexpr int64_t kI16Min = INT16_MIN, kI16Max = INT16_MAX, kI32Min = INT32_MIN, kI32Max = INT32_MAX;

    switch (code) {
    case 1: return Clamp(100 * amps * std::sin(theta), kI16Min, kI16Max);                  // command, phase A
    case 2: return Clamp(100 * (amps * std::sin(thetaFb) + 0.03 * n), kI16Min, kI16Max);  // feedback, phase A
    case 3: return Clamp(100 * (amps * std::cos(thetaFb) + 0.03 * n), kI16Min, kI16Max);  // feedback, phase B
    case 4:
    case 6: return Clamp(RawVelocity(m, cmdRpm), kI32Min, kI32Max);
    case 5: return Clamp(RawVelocity(m, fbRpm), kI32Min, kI32Max);
    case 7: return Clamp(RawVelocity(m, cmdRpm - fbRpm), kI32Min, kI32Max);
    case 8:
    case 10: return static_cast<int32_t>(static_cast<int64_t>(std::llround(cmdPos)));
    case 9: return static_cast<int32_t>(static_cast<int64_t>(fbPos));
    case 11: return Clamp(std::round(cmdPos) - fbPos, kI32Min, kI32Max);
    case 12: return Clamp(100 * m.BusVolts + 20 * std::sin(2 * kPi * 100 * t) + 5 * n, 0, UINT16_MAX);
    case 13: return Clamp(100 * (amps + 0.02 * n), kI16Min, kI16Max);  // I_q
    case 14: return Clamp(100 * 0.02 * n, kI16Min, kI16Max);           // I_d
    case 15: return Clamp(100 * volts * std::cos(phi), kI16Min, kI16Max);  // V_q
    case 16: return Clamp(-100 * volts * std::sin(phi), kI16Min, kI16Max); // V_d
    case 17: return Clamp(100 * volts * std::sin(theta + phi), kI16Min, kI16Max);
    case 18: return Clamp(100 * volts * std::cos(theta + phi), kI16Min, kI16Max);
    case 19: return Clamp(omega, kI16Min, kI16Max);
    case 20: {
        double a = std::fmod(theta, 2 * kPi);
        if (a < 0) a += 2 * kPi;
        return Clamp(a / (2 * kPi) * 65536.0, 0, UINT16_MAX);
    }
    case 21: return Clamp(100 * (amps * std::sin(thetaFb) + 0.03 * n), kI16Min, kI16Max);  // I_alfa
    case 22: return Clamp(100 * (amps * std::cos(thetaFb) + 0.03 * n), kI16Min, kI16Max);  // I_beta
    case 23:
    case 24:
    case 25:
    case 26: return Clamp(Wrap(theta + (code - 23) * kPi / 2) / kPi * 32768.0, kI16Min, kI16Max);
    default: return 0;
    }
}

void AppendTraceSample(std::vector<uint8_t>& out, int code, double t, const MotionSnapshot& m, uint32_t index)
{
    const uint16_t size = TraceSampleSize(code);
    const uint64_t u = static_cast<uint64_t>(TraceSample(code, t, m, index));
    for (uint16_t i = 0; i < size; ++i) out.push_back(static_cast<uint8_t>(u >> (8 * i)));
}

}  // namespace ordalis::sim
