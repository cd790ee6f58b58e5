// Whole captures through the real link and Qt serial port against the drive simulator
// over a pseudo-terminal: the frames of the exchange in order, the decoded curves, the
// continuous mode and Stop, a capture at 9600 baud, a drive lost mid-transfer, and the
// CSV export read back.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <string>

#include "core/CaptureExport.h"
#include "core/CaptureSequence.h"
#include "tests/sim/LinkOverSim.h"

namespace ordalis {
namespace {

using simtest::LinkOverSim;
using simtest::RunUntil;

// The trace ids of the 0x60 requests sent, in order ("S15" a set, "G15" a get).
class TraceFrames : public FrameLog {
public:
    std::vector<std::string> sent;
    void LogFrame(const std::string& prefix, const std::string&, const uint8_t* b, size_t n, uint8_t) override {
        if (prefix.find("Send") == std::string::npos || n < 6 || b[3] != CmdTrace) return;
        const bool set = b[2] > 3;  // length covers command and id; more is data
        sent.push_back((set ? "S" : "G") + std::to_string(b[4] | b[5] << 8));
    }
    // Consecutive repeats folded: "G15 x3".
    std::vector<std::string> Folded() const {
        std::vector<std::string> out;
        for (size_t i = 0; i < sent.size();) {
            size_t j = i;
            while (j < sent.size() && sent[j] == sent[i]) ++j;
            out.push_back(j - i > 1 ? sent[i] + " x" + std::to_string(j - i) : sent[i]);
            i = j;
        }
        return out;
    }
};

struct CaptureSim {
    LinkOverSim bus;
    TraceFrames frames;
    std::unique_ptr<CaptureSequence> capture;
    std::vector<CaptureEnd> ends;
    int pictures = 0;

    explicit CaptureSim(std::vector<std::string> args) : bus(std::move(args)) {}

    bool Open(int32_t baud) {
        if (!bus.Start() || !bus.Connect(baud, 1)) return false;
        bus.session.link.SetFrameLog(&frames);
        capture = std::make_unique<CaptureSequence>(bus.drive);
        capture->OnEnded = [this](CaptureEnd e) { ends.push_back(e); };
        capture->OnPicture = [this](const CaptureResult&) { ++pictures; };
        capture->SendSetup();
        const bool ok = bus.RunIdle() && bus.session.trace.MaxSamples > 0;
        frames.sent.clear();
        return ok;
    }
    // One channel list at a time: a list queued while another runs replaces it.
    bool Channels(std::initializer_list<int16_t> codes) {
        std::vector<int16_t> all(codes);
        all.resize(TraceChannels, 0);
        bool ok = true;
        for (int k = 0; k < TraceChannels; ++k) {
            capture->SendChannel(k, all[static_cast<size_t>(k)]);
            ok = ok && bus.RunIdle();
        }
        frames.sent.clear();
        return ok;
    }
    bool Ended(std::chrono::milliseconds deadline = std::chrono::seconds(30)) {
        return RunUntil([&] { return !ends.empty(); }, deadline);
    }
};


TEST(CaptureSim, TwoChannelsAt115200InTheOrderOfTheExchange) {
    CaptureSim sim({"--drive", "1:LQ340", "--pace"});
    ASSERT_TRUE(sim.Open(115200)) << sim.bus.sim.Output();
    EXPECT_EQ(sim.bus.session.trace.SampleResolution, 50000u);
    EXPECT_EQ(sim.capture->CurrentSampling().SampleCount, 500);
    sim.capture->SetSingle(true);
    ASSERT_EQ(sim.capture->Start(), StartResult::Started);
    ASSERT_TRUE(sim.Ended());
    EXPECT_EQ(sim.ends, std::vector<CaptureEnd>{CaptureEnd::Single});
    EXPECT_EQ(sim.pictures, 1);
    // Start, status until complete (25 ms recording, read after the 100 ms wait), then
    // 500 samples of 4 bytes in answers of 63 sets: 8 requests.
    EXPECT_EQ(sim.frames.Folded(), (std::vector<std::string>{"S15", "G15", "S16 x8"}));
    const CaptureResult& r = sim.capture->Last();
    ASSERT_EQ(r.Values[0].size(), 500u);
    ASSERT_EQ(r.Values[1].size(), 500u);
    const auto [lo, hi] = std::minmax_element(r.Values[1].begin(), r.Values[1].end());
    EXPECT_GT(*lo, -3.0);  // feedback current of a 2.8 A drive, in A
    EXPECT_LT(*hi, 3.0);
    EXPECT_DOUBLE_EQ(r.Times[499], 499 * 0.025 / 500);
}

TEST(CaptureSim, SixChannelsWithALongerRecording) {
    CaptureSim sim({"--drive", "1:LQ340"});
    ASSERT_TRUE(sim.Open(115200)) << sim.bus.sim.Output();
    ASSERT_TRUE(sim.Channels({1, 4, 8, 12, 13, 2}));  // 16 bytes a set
    EXPECT_EQ(sim.bus.session.trace.MaxSamples, 375);
    sim.capture->SendTraceTime(250000);
    ASSERT_TRUE(sim.bus.RunIdle());
    sim.frames.sent.clear();
    const uint16_t n = sim.capture->CurrentSampling().SampleCount;
    sim.capture->SetSingle(true);
    ASSERT_EQ(sim.capture->Start(), StartResult::Started);
    ASSERT_TRUE(sim.Ended());
    ASSERT_EQ(sim.pictures, 1);
    const auto folded = sim.frames.Folded();
    ASSERT_GE(folded.size(), 4u);
    EXPECT_EQ(folded[0], "S15");
    EXPECT_EQ(folded[1].substr(0, 3), "G15");  // recording: 0x1000, then the wait
    EXPECT_EQ(std::count(sim.frames.sent.begin(), sim.frames.sent.end(), "G14"), 1);
    EXPECT_EQ(folded.back(), "S16 x" + std::to_string((n + 14) / 15));  // 15 sets of 16 bytes an answer
    for (int k = 0; k < TraceChannels; ++k) EXPECT_EQ(sim.capture->Last().Values[k].size(), n) << k;
    for (double v : sim.capture->Last().Values[3]) EXPECT_NEAR(v, 24.0, 0.3);  // bus voltage
}

TEST(CaptureSim, ContinuousRestartsUntilStopAfterThePicture) {
    CaptureSim sim({"--drive", "1:LQ340"});
    ASSERT_TRUE(sim.Open(115200)) << sim.bus.sim.Output();
    bool stopDuringTransfer = false;
    sim.capture->OnProgress = [&] {
        // Stop while the second capture's samples come in: it still finishes its picture.
        if (sim.pictures == 1 && sim.capture->Phase() == CapturePhase::Transferring &&
            sim.capture->SamplesReceived() > 0 && !stopDuringTransfer) {
            stopDuringTransfer = true;
            sim.capture->Stop();
        }
    };
    ASSERT_EQ(sim.capture->Start(), StartResult::Started);
    ASSERT_TRUE(sim.Ended());
    EXPECT_TRUE(stopDuringTransfer);
    EXPECT_EQ(sim.pictures, 2);
    EXPECT_EQ(sim.ends, std::vector<CaptureEnd>{CaptureEnd::Stopped});
    EXPECT_EQ(std::count(sim.frames.sent.begin(), sim.frames.sent.end(), "S15"), 2);
    EXPECT_TRUE(RunUntil([&] { return !sim.bus.session.link.AnyBusy(); }));
}

// A full sample answer is on the line about 280 ms at 9600 baud, longer than the 200 ms
// time-out: the whole capture completes without a re-sent request.
TEST(CaptureSim, CaptureAt9600Completes) {
    CaptureSim sim({"--drive", "1:LQ340", "--pace", "--sync", "1"});
    ASSERT_TRUE(sim.Open(9600)) << sim.bus.sim.Output();
    sim.capture->SetSingle(true);
    ASSERT_EQ(sim.capture->Start(), StartResult::Started);
    ASSERT_TRUE(sim.Ended(std::chrono::seconds(60)));
    EXPECT_EQ(sim.ends, std::vector<CaptureEnd>{CaptureEnd::Single});
    EXPECT_EQ(sim.pictures, 1);
    EXPECT_EQ(sim.bus.connectionFailures, 0);
    EXPECT_EQ(std::count(sim.frames.sent.begin(), sim.frames.sent.end(), "S16"), 8);  // none re-sent
}

TEST(CaptureSim, DriveLostMidTransferEndsInTheFailureDialog) {
    // Connect 3 answers, set-up 10, start and status 2, then two sample answers; the line
    // goes 20 ms after the last, while the third (23 ms on the paced line) is under way.
    CaptureSim sim({"--drive", "1:LQ340", "--pace", "--fault", "unplug-after=17"});
    ASSERT_TRUE(sim.Open(115200)) << sim.bus.sim.Output();
    ASSERT_EQ(sim.capture->Start(), StartResult::Started);
    ASSERT_TRUE(sim.Ended());
    EXPECT_EQ(sim.ends, std::vector<CaptureEnd>{CaptureEnd::NoAnswer});
    EXPECT_EQ(sim.pictures, 0);
    EXPECT_GT(sim.capture->SamplesReceived(), 0);  // lost during the transfer
    EXPECT_TRUE(RunUntil([&] { return sim.bus.connectionFailures == 1; }));
}

TEST(CaptureSim, CsvReadsBackAsTheCapture) {
    CaptureSim sim({"--drive", "1:LQ340"});
    ASSERT_TRUE(sim.Open(115200)) << sim.bus.sim.Output();
    ASSERT_TRUE(sim.Channels({12, 1}));
    sim.capture->SetSingle(true);
    ASSERT_EQ(sim.capture->Start(), StartResult::Started);
    ASSERT_TRUE(sim.Ended());
    ASSERT_EQ(sim.pictures, 1);
    const CaptureResult& r = sim.capture->Last();

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("capture.csv"));
    const CaptureOrigin origin{QDateTime(QDate(2026, 12, 11), QTime(12, 0)), QStringLiteral("LQ340"), 1, 1};
    ASSERT_TRUE(WriteCaptureCsv(path, r, origin, sim.capture->Info()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines[0], QStringLiteral("# Date,2026-12-11T12:00:00"));
    EXPECT_EQ(lines[1], QStringLiteral("# Drive,LQ340,address 1"));
    EXPECT_TRUE(lines.contains(QStringLiteral("# 1,Bus Voltage,V,12,0.01")));
    EXPECT_TRUE(lines.contains(QStringLiteral("# 2,Commanded Current,A,1,0.01")));
    const int first = static_cast<int>(lines.indexOf(QStringLiteral("Time (s),1 Bus Voltage (V),2 Commanded Current (A)"))) + 1;
    ASSERT_GT(first, 0);
    ASSERT_EQ(lines.size() - first, r.SampleCount);
    double sum = 0;
    for (int i = 0; i < r.SampleCount; ++i) {
        const QStringList f = lines[first + i].split(u',');
        ASSERT_EQ(f.size(), 3);
        EXPECT_NEAR(f[0].toDouble(), r.Times[i], 1e-12);
        EXPECT_NEAR(f[1].toDouble(), r.Values[0][i], 1e-9);
        EXPECT_NEAR(f[2].toDouble(), r.Values[1][i], 1e-9);
        sum += f[1].toDouble();
    }
    // The simulator's bus: 24 V with a small 100 Hz ripple.
    EXPECT_NEAR(sum / r.SampleCount, 24.0, 0.1);
}

}  // namespace
}  // namespace ordalis
