// Host cost of one read transaction (encode, scramble, write, parse, dispatch, copy,
// callback) against the time the same transaction spends on the wire at 115200 baud 8N1.
// The counter host/wire is the fraction of the line time the host spends; it should
// stay well below 0.01.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "link/DriveLink.h"
#include "tests/support/FakePort.h"
#include "tests/support/FakeTimer.h"
#include "tests/support/RecordingPrompt.h"

namespace {

using namespace ordalis;

constexpr double kBaud = 115200.0;
constexpr double kBitsPerByte = 10.0;  // start, 8 data, stop

struct Ratio {
    double hostUs = 0;
    double wireUs = 0;
};
std::map<std::string, Ratio> g_ratios;  // last run of each benchmark

// The log window's own work per line (hex text plus prefix and label).
class TextLog : public FrameLog {
public:
    std::string buffer;
    void LogFrame(const std::string& prefix, const std::string& label, const uint8_t* bytes, size_t count,
                  uint8_t) override {
        buffer += prefix;
        buffer += label;
        buffer += ':';
        buffer += HexBytes(bytes, count);
        buffer += "\r\n";
        if (buffer.size() > 1000) buffer.clear();
    }
};

void ReadTransaction(benchmark::State& state, const char* name, uint8_t command, uint16_t id, uint8_t answerLen, bool logged) {
    test::FakePort port;
    test::FakeTimerFactory timers;
    test::RecordingPrompt prompt;
    DriveLink link(port, timers, prompt, 12345);
    link.SlaveAddress = 1;
    TextLog log;
    if (logged) link.SetFrameLog(&log);

    std::vector<uint8_t> field(answerLen);
    int answered = 0;
    const CommandRecord rec{command, id, static_cast<uint8_t>(command == CmdRead ? answerLen : 0), field.data(),
                            answerLen, [&](uint16_t, const uint8_t*, uint8_t) { ++answered; }};
    std::vector<uint8_t> data(answerLen);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7);
    const auto answer = EncodeAnswer(1, 0, data.data(), answerLen, 0x3C, 1);
    // The answer arrives in two chunks, as a UART driver typically delivers it.
    const size_t half = answer.size() / 2;

    size_t requestBytes = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        link.SendPollList(&rec, 1);
        requestBytes = port.written.back().size();
        port.written.clear();
        port.OnReceiveData(answer.data(), half);
        port.OnReceiveData(answer.data() + half, answer.size() - half);
    }
    const std::chrono::duration<double, std::micro> elapsed = std::chrono::steady_clock::now() - start;
    if (answered != static_cast<int>(state.iterations())) state.SkipWithError("transaction did not complete");

    const double wireUs = (double(requestBytes) + double(answer.size())) * kBitsPerByte / kBaud * 1e6;
    const double hostUs = elapsed.count() / double(state.iterations());
    state.counters["wire_us"] = wireUs;
    state.counters["host_ppm_of_wire"] = hostUs / wireUs * 1e6;
    g_ratios[name] = {hostUs, wireUs};
}

void BM_ReadParameter(benchmark::State& s) { ReadTransaction(s, "read parameter", CmdRead, 37, 2, false); }
void BM_ReadParameterLogged(benchmark::State& s) { ReadTransaction(s, "read parameter, logged", CmdRead, 37, 2, true); }
void BM_ReadModelName(benchmark::State& s) { ReadTransaction(s, "read model name (64)", CmdRead, 55, 64, false); }
void BM_TraceSamples255(benchmark::State& s) { ReadTransaction(s, "trace samples (255)", CmdTrace, 16, 255, false); }

BENCHMARK(BM_ReadParameter);
BENCHMARK(BM_ReadParameterLogged);
BENCHMARK(BM_ReadModelName);
BENCHMARK(BM_TraceSamples255);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("\nHost cost of a transaction as a share of its wire time (115200 baud 8N1, target < 1%%):\n");
    for (const auto& [name, r] : g_ratios)
        std::printf("  %-26s host %8.3f us  wire %9.1f us  host/wire %.4f%%\n", name.c_str(), r.hostUs, r.wireUs,
                    100.0 * r.hostUs / r.wireUs);
    return 0;
}
