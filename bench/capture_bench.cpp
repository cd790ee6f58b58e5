// A capture of two 16-bit channels x the recorder's capacity (1000 samples) through the
// real link and Qt serial port against the paced simulator, at 115200 and at 9600 baud.
// The transfer (first sample request to the last answer) is set against the wire bound
// of the same bytes: every request and answer frame of the transfer at 10 bits a byte.
// The simulator paces only its answers (the program's requests cross the pseudo-terminal
// at once), so the answers' own bound is printed as well: against the paced line that is
// the one the ratio should approach. Goal: at most 1.1 x the bound. Prints figures;
// asserts nothing.
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "core/CaptureSequence.h"
#include "core/DriveSession.h"
#include "core/Session.h"
#include "core/UiPrompt.h"
#include "link/Codec.h"
#include "link/qt/QtSerialPort.h"
#include "link/qt/QtTimers.h"
#include "tests/simsupport/SimProcess.h"

namespace {

using namespace ordalis;

class SilentPrompt : public UiPrompt {
public:
    int ExecModal(QDialog&) override { return 0; }
    void ShowText(const QString& text) override { std::fprintf(stderr, "prompt: %s\n", qPrintable(text)); }
};

bool RunUntil(const std::function<bool()>& done, std::chrono::seconds deadline) {
    const auto until = std::chrono::steady_clock::now() + deadline;
    QEventLoop loop;
    QTimer tick;
    tick.setInterval(2);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (done() || std::chrono::steady_clock::now() >= until) loop.quit();
    });
    tick.start();
    if (!done()) loop.exec();
    return done();
}

struct Figures {
    bool ok = false;
    double transferMs = 0;
    double boundMs = 0;
    double answersMs = 0;
    int requests = 0;
};

Figures CaptureAt(int32_t baud, int rounds) {
    Figures f;
    testing::SimProcess sim({"--drive", "1:LQ340", "--pace", "--sync", "1", "--keys", "plain"});
    if (!sim.Start()) {
        std::fprintf(stderr, "simulator: %s\n", sim.Output().c_str());
        return f;
    }
    PortMap map;
    map.Set("COM1", QString::fromStdString(sim.LinkPath()));
    QtSerialPort port(map);
    QtTimerFactory timers;
    SilentPrompt prompt;
    Session session(port, timers, prompt, 0x5151);
    DriveSession drive(session, timers, prompt);
    bool identified = false;
    session.callbacks.IdentifyDone = [&](uint16_t s, const uint8_t*, uint8_t) { identified = identified || s == Answered; };
    drive.ConnectDrive(1, baud, 1);
    if (!RunUntil([&] { return identified && !drive.IsConnecting(); }, std::chrono::seconds(20))) return f;
    session.callbacks.IdentifyDone = nullptr;

    CaptureSequence capture(drive);
    capture.SelectTraceTime(500000);  // 10 x 50 us a sample: N = 1000, the capacity
    capture.SendSetup();
    if (!RunUntil([&] { return !session.link.AnyBusy(); }, std::chrono::seconds(20))) return f;
    capture.SetSingle(true);
    const uint16_t n = capture.CurrentSampling().SampleCount;
    const int setSize = 4;
    // Frames of one transfer: each request (first index, N) and its answer of whole sets.
    CommandRecord request = session.lists.TraceStartList.Records[4];
    const size_t requestBytes = EncodeRequest(request, 1, kPlainKey, nullptr).size();
    const int setsPerAnswer = 255 / setSize;
    size_t bytes = 0, answerBytes = 0;
    for (int first = 0; first < n; first += setsPerAnswer) {
        const int sets = std::min(setsPerAnswer, n - first);
        const std::vector<uint8_t> data(size_t(sets * setSize), 0);
        const size_t answer = EncodeAnswer(1, 0, data.data(), uint8_t(data.size()), kPlainKey, 1).size();
        bytes += requestBytes + answer;
        answerBytes += answer;
        ++f.requests;
    }
    f.boundMs = double(bytes) * 10.0 * 1000.0 / baud;
    f.answersMs = double(answerBytes) * 10.0 * 1000.0 / baud;

    double total = 0;
    for (int r = 0; r < rounds; ++r) {
        bool ended = false;
        capture.OnEnded = [&](CaptureEnd) { ended = true; };
        if (capture.Start() != StartResult::Started) return f;
        if (!RunUntil([&] { return ended; }, std::chrono::seconds(60)) || capture.Last().SampleCount != n) return f;
        total += capture.Last().TransferMs;
        RunUntil([&] { return !session.link.AnyBusy(); }, std::chrono::seconds(5));
    }
    f.transferMs = total / rounds;
    f.ok = true;
    port.Close();
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::printf("capture of 2 channels x 1000 samples through the paced simulator\n");
    std::printf("%8s %9s %12s %10s %7s %12s %7s\n", "baud", "requests", "transfer ms", "wire ms", "ratio",
                "answers ms", "ratio");
    for (const auto& [baud, rounds] : {std::pair{115200, 5}, std::pair{9600, 2}}) {
        const Figures f = CaptureAt(baud, rounds);
        if (!f.ok) {
            std::printf("%8d  capture failed\n", baud);
            continue;
        }
        std::printf("%8d %9d %12.1f %10.1f %7.3f %12.1f %7.3f\n", baud, f.requests, f.transferMs, f.boundMs,
                    f.transferMs / f.boundMs, f.answersMs, f.transferMs / f.answersMs);
    }
    return 0;
}
