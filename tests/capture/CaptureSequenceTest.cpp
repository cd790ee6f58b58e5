// The capture exchange step by step against a recording fake drive: which list goes out,
// the RunQueue delays and repeats each recorder answer leads to, how sample answers are
// split into the channels, and how the capture ends.
#include <gtest/gtest.h>

#include <cstring>

#include "core/CaptureSequence.h"
#include "core/TraceVariables.h"
#include "tests/capture/FakeDrive.h"

namespace ordalis {
namespace {

using Log = std::vector<std::string>;

struct CaptureTest : ::testing::Test {
    test::FakeDriveAccess drive;
    CaptureSequence capture{drive};
    std::vector<CaptureEnd> ends;
    int pictures = 0;

    CaptureTest() {
        capture.OnEnded = [this](CaptureEnd e) { ends.push_back(e); };
        capture.OnPicture = [this](const CaptureResult&) { ++pictures; };
        // What TraceSetupList reads from an LQ340: 50 us resolution, 1000 samples.
        drive.trace.SampleResolution = 50000;
        drive.trace.MaxSamples = 1000;
        capture.MaxSamplesDone(Answered);
        drive.Take();
    }
    // Runs the start of a capture up to the first sample request (recorder already done).
    void StartAndComplete() {
        ASSERT_EQ(capture.Start(), StartResult::Started);
        capture.TraceStartDone(Answered);
        drive.trace.TraceStatus = TraceStatusComplete;
        capture.TraceStatusCheck1(Answered);
    }
    // One answer of `sets` sample sets; channel k's sample i holds 100 x k + i.
    void Answer(int sets, int first) {
        std::vector<uint8_t> bytes;
        for (int s = 0; s < sets; ++s)
            for (int k = 0; k < TraceChannels; ++k) {
                const int code = drive.trace.TraceVariable[k];
                if (code == 0) continue;
                const int32_t v = 100 * (k + 1) + first + s;
                for (int b = 0; b < capture.Info()[code].Size; ++b) bytes.push_back(uint8_t(v >> (8 * b)));
            }
        capture.SamplesDataDone(Answered, bytes.data(), static_cast<uint8_t>(bytes.size()));
    }
};

TEST_F(CaptureTest, MaxSamplesComputesTheSamplingTheNextRecordSends) {
    EXPECT_EQ(drive.trace.SampPeriod, 1);
    EXPECT_EQ(capture.CurrentSampling().SampleCount, 500);
    capture.SelectTraceTime(5000000);
    capture.MaxSamplesDone(Answered);
    EXPECT_EQ(drive.trace.SampPeriod, 100);
    EXPECT_EQ(capture.CurrentSampling().SampleInterval, 5000u);
    EXPECT_EQ(capture.CurrentSampling().SampleCount, 1000);
}

TEST_F(CaptureTest, TraceTimeChangeSendsPeriodAndTriggerDelay) {
    capture.SendTraceTime(500000);
    EXPECT_EQ(drive.Take(), (Log{"run TraceTimeList"}));
    EXPECT_EQ(drive.trace.SampPeriod, 10);
    EXPECT_EQ(drive.trace.TrigDelay, -100);
}

TEST_F(CaptureTest, RecorderStatesLeadToTheirWaits) {
    ASSERT_EQ(capture.Start(), StartResult::Started);
    EXPECT_EQ(drive.trace.TraceStatus, TraceStatusStart);
    EXPECT_EQ(drive.Take(), (Log{"run TraceStartList"}));
    capture.TraceStartDone(Answered);
    EXPECT_EQ(drive.Take(), (Log{"delay 100"}));
    drive.trace.TraceStatus = 0;  // not started yet: ask again
    capture.TraceStatusCheck1(Answered);
    EXPECT_EQ(drive.Take(), (Log{"next 0", "delay 50"}));
    drive.trace.TraceStatus = TraceStatusRecording;
    capture.TraceStatusCheck1(Answered);
    EXPECT_EQ(drive.Take(), (Log{"delay 50"}));
    drive.trace.SampPeriod = 10;
    drive.trace.AvidSamples = 0;
    capture.AvidSamplesDone(Answered);
    EXPECT_EQ(drive.Take(), (Log{"delay 300"}));
    capture.TraceStatusCheck2(Answered);  // still recording
    EXPECT_EQ(drive.Take(), (Log{"next 0", "delay 50"}));
    EXPECT_EQ(capture.Phase(), CapturePhase::Recording);
    drive.trace.TraceStatus = TraceStatusComplete;
    capture.TraceStatusCheck2(Answered);
    EXPECT_EQ(capture.Phase(), CapturePhase::Transferring);
    EXPECT_EQ(drive.trace.SamplesData, 500u << 16);
}

TEST_F(CaptureTest, CompleteAtOnceSkipsTheWaitForTheRecorder) {
    ASSERT_EQ(capture.Start(), StartResult::Started);
    drive.Take();
    drive.trace.TraceStatus = TraceStatusComplete;
    capture.TraceStatusCheck1(Answered);
    EXPECT_EQ(drive.Take(), (Log{"next 3"}));
    EXPECT_EQ(capture.Phase(), CapturePhase::Transferring);
}

TEST_F(CaptureTest, TwoCurrentChannelsSplit252BytesInto63Sets) {
    StartAndComplete();
    drive.Take();
    EXPECT_EQ(capture.SetSize(), 4);
    Answer(63, 0);
    EXPECT_EQ(capture.SamplesReceived(), 63);
    EXPECT_EQ(drive.trace.SamplesData, (500u << 16) + 63);
    EXPECT_EQ(drive.Take(), (Log{"next 0"}));
    for (int first = 63; first < 500; first += 63) Answer(std::min(63, 500 - first), first);
    ASSERT_EQ(pictures, 1);
    const CaptureResult& r = capture.Last();
    ASSERT_EQ(r.Values[0].size(), 500u);
    EXPECT_TRUE(r.Values[2].empty());
    EXPECT_DOUBLE_EQ(r.Values[0][0], 1.00);    // 100 x 0.01 A
    EXPECT_DOUBLE_EQ(r.Values[1][499], 6.99);  // 699 x 0.01 A
    EXPECT_DOUBLE_EQ(r.Times[1], 0.025 / 500);
}

TEST_F(CaptureTest, SurplusSetsNeverRunPastABufferAndMixedSizesSplitInOrder) {
    drive.trace.TraceVariable[1] = 4;   // channel 2: 32-bit velocity
    drive.trace.TraceVariable[2] = 12;  // channel 3: unsigned 16-bit bus voltage
    drive.trace.MaxSamples = 10;
    capture.SelectTraceTime(25000);
    capture.MaxSamplesDone(Answered);  // N = 10
    StartAndComplete();
    EXPECT_EQ(capture.SetSize(), 8);
    Answer(8, 0);
    Answer(5, 8);  // three sets more than N: they overwrite the last sample
    ASSERT_EQ(pictures, 1);
    const CaptureResult& r = capture.Last();
    ASSERT_EQ(r.Values[1].size(), 10u);
    EXPECT_DOUBLE_EQ(r.Values[0][3], 1.03);
    EXPECT_DOUBLE_EQ(r.Values[1][3], 203);     // factor 1 until the velocity factors are set
    EXPECT_DOUBLE_EQ(r.Values[2][9], 3.12);    // the last surplus set (index 12)
    EXPECT_DOUBLE_EQ(r.Values[2][8], 3.08);
}

TEST_F(CaptureTest, KindsAndFactors) {
    drive.mirror.SetI32(pid::EncoderLines, 1000);
    capture.UpdateVelocityFactors();
    drive.trace.TraceVariable[0] = 4;   // velocity, signed 32-bit, 6 / 4000
    drive.trace.TraceVariable[1] = 12;  // bus voltage, unsigned 16-bit, 0.01
    drive.trace.TraceVariable[2] = 1;   // current, signed 16-bit, 0.01
    drive.trace.MaxSamples = 1;
    capture.MaxSamplesDone(Answered);
    StartAndComplete();
    const uint8_t set[] = {0x18, 0xFC, 0xFF, 0xFF, 0xF0, 0xD8, 0x9C, 0xFF};  // -1000, 55536, -100
    capture.SamplesDataDone(Answered, set, sizeof set);
    ASSERT_EQ(pictures, 1);
    EXPECT_DOUBLE_EQ(capture.Last().Values[0][0], -1000 * 6.0 / 4000);
    EXPECT_DOUBLE_EQ(capture.Last().Values[1][0], 555.36);
    EXPECT_DOUBLE_EQ(capture.Last().Values[2][0], -1.00);
}

TEST_F(CaptureTest, AnswerThatDoesNotFitTheSetEndsWithoutPicture) {
    StartAndComplete();
    const uint8_t odd[6] = {};
    capture.SamplesDataDone(Answered, odd, 6);
    EXPECT_EQ(pictures, 0);
    EXPECT_EQ(ends, std::vector<CaptureEnd>{CaptureEnd::BadAnswer});
    capture.SamplesDataDone(Answered, odd, 4);  // a late answer after the end is ignored
    EXPECT_EQ(capture.SamplesReceived(), 0);
}

TEST_F(CaptureTest, ChannelChangedDuringTransferKeepsTheSizedBuffers) {
    StartAndComplete();
    Answer(63, 0);
    drive.trace.TraceVariable[0] = 8;  // 32-bit now; the transfer was sized for 16-bit
    capture.SendChannel(0, 8);
    EXPECT_EQ(ends, std::vector<CaptureEnd>{CaptureEnd::Replaced});
    std::vector<uint8_t> big(248, 0xAB);  // the answer already in flight
    capture.SamplesDataDone(Answered, big.data(), 248);
    EXPECT_EQ(pictures, 0);
    EXPECT_EQ(capture.SamplesReceived(), 63);
}

TEST_F(CaptureTest, ContinuousRestartsAndStopEndsAfterThePicture) {
    drive.trace.MaxSamples = 1;
    capture.MaxSamplesDone(Answered);
    StartAndComplete();
    drive.Take();
    Answer(1, 0);
    EXPECT_EQ(pictures, 1);
    EXPECT_EQ(drive.Take(), (Log{"run TraceStartList"}));
    EXPECT_EQ(capture.Phase(), CapturePhase::Recording);
    capture.Stop();
    capture.TraceStartDone(Answered);
    drive.trace.TraceStatus = TraceStatusComplete;
    capture.TraceStatusCheck1(Answered);
    Answer(1, 0);
    EXPECT_EQ(pictures, 2);
    EXPECT_EQ(ends, std::vector<CaptureEnd>{CaptureEnd::Stopped});
    EXPECT_FALSE(capture.StopRequested());
    EXPECT_EQ(drive.Take(), (Log{"delay 100", "next 3"}));
}

TEST_F(CaptureTest, SingleEndsAfterOnePicture) {
    capture.SetSingle(true);
    drive.trace.MaxSamples = 1;
    capture.MaxSamplesDone(Answered);
    StartAndComplete();
    Answer(1, 0);
    EXPECT_EQ(ends, std::vector<CaptureEnd>{CaptureEnd::Single});
}

TEST_F(CaptureTest, NoAnswerReportsTheLostLinkAndTheSentEchoDoesNothing) {
    StartAndComplete();
    drive.Take();
    capture.SamplesDataDone(Sent, nullptr, 0);
    capture.TraceStatusCheck2(Sent);
    EXPECT_TRUE(drive.Take().empty());
    EXPECT_TRUE(ends.empty());
    capture.SamplesDataDone(NoAnswer, nullptr, 0);
    EXPECT_EQ(drive.Take(), (Log{"lost"}));
    EXPECT_EQ(ends, std::vector<CaptureEnd>{CaptureEnd::NoAnswer});
}

// A failed or refused recorder or sample request ends the capture naming the status; the
// RunQueue does not come back to it, so waiting on would show "Transferring" for ever.
TEST_F(CaptureTest, FailedOrRefusedTraceAnswerEndsTheCapture) {
    struct Case {
        bool transferring;  // else still recording
        uint16_t status;
    } cases[] = {{true, Failed}, {true, 2}, {true, 255}, {false, Failed}, {false, 7}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "status " << c.status << (c.transferring ? " on samples" : " on check"));
        ends.clear();
        drive.trace.TraceStatus = TraceStatusRecording;
        ASSERT_EQ(capture.Start(), StartResult::Started);
        if (c.transferring) {
            drive.trace.TraceStatus = TraceStatusComplete;
            capture.TraceStatusCheck1(Answered);
            capture.SamplesDataDone(c.status, nullptr, 0);
        } else {
            capture.TraceStatusCheck2(c.status);
        }
        EXPECT_EQ(capture.Phase(), CapturePhase::Idle);
        EXPECT_EQ(ends, std::vector<CaptureEnd>{CaptureEnd::Refused});
        EXPECT_EQ(capture.RefusedStatus(), c.status);
        capture.SamplesDataDone(c.status, nullptr, 0);  // a second one after the end: no second end
        EXPECT_EQ(ends.size(), 1u);
    }
}

TEST_F(CaptureTest, SampleAnswerWhileRecordingEndsTheCapture) {
    ASSERT_EQ(capture.Start(), StartResult::Started);
    const uint8_t set[4] = {};
    capture.SamplesDataDone(Answered, set, sizeof set);
    EXPECT_EQ(capture.Phase(), CapturePhase::Idle);
    EXPECT_EQ(ends, std::vector<CaptureEnd>{CaptureEnd::OutOfStep});
    EXPECT_EQ(pictures, 0);
}

// After the end nothing a late completion says may set the RunQueue going again.
TEST_F(CaptureTest, LateRecorderAnswersAfterTheEndChangeNothing) {
    ASSERT_EQ(capture.Start(), StartResult::Started);
    capture.SendSetup();  // ends it: Replaced
    drive.Take();
    capture.TraceStartDone(Answered);
    drive.trace.TraceStatus = TraceStatusRecording;
    capture.TraceStatusCheck1(Answered);
    drive.trace.TraceStatus = TraceStatusComplete;
    capture.TraceStatusCheck1(Answered);
    capture.AvidSamplesDone(Answered);
    capture.TraceStatusCheck2(Answered);
    drive.trace.TraceStatus = TraceStatusRecording;
    capture.TraceStatusCheck2(Answered);
    EXPECT_TRUE(drive.Take().empty());
    EXPECT_EQ(capture.Phase(), CapturePhase::Idle);
    EXPECT_EQ(ends, std::vector<CaptureEnd>{CaptureEnd::Replaced});
}

TEST_F(CaptureTest, StartNeedsAChannelAndAKnownRecorder) {
    for (int16_t& c : drive.trace.TraceVariable) c = 0;
    EXPECT_EQ(capture.Start(), StartResult::NoChannel);
    drive.trace.TraceVariable[3] = 12;
    test::FakeDriveAccess fresh;
    CaptureSequence unknown{fresh};
    EXPECT_EQ(unknown.Start(), StartResult::NoSampling);
    EXPECT_TRUE(fresh.Take().empty());
    drive.canSend = false;
    EXPECT_EQ(capture.Start(), StartResult::NotSent);
    EXPECT_TRUE(drive.Take().empty());
}

TEST(VariableName, BothLanguagesAndTheShortEnglishRows) {
    struct Case {
        int code;
        const char* zh;
        const char* en;
    } cases[] = {
        {0, "无", "None"},
        {1, "给定电流", "Commanded Current"},
        {4, "反馈速度", "Feedback Velocity"},
        {5, "给定速度", "Commanded Velocity"},
        {12, "母线电压", "Bus Voltage"},
        {16, "电压EB", "Eob"},
        {17, "电压VA", ""},
        {23, "转子角度", "Rotor angle"},
        {25, "校正角滤波", ""},
        {27, "", ""},
        {-1, "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VariableName(c.code, 0), QString::fromUtf8(c.zh)) << c.code;
        EXPECT_EQ(VariableName(c.code, 1), QString::fromUtf8(c.en)) << c.code;
    }
    EXPECT_EQ(TraceCategories(0).size(), 12);
    EXPECT_EQ(TraceCategories(1).size(), 11);
}

}  // namespace
}  // namespace ordalis
