// capture: one oscilloscope capture through the core's CaptureSequence, on a drive
// connected and read back as the program does, saved as CSV.
#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <cmath>

#include "cli/Commands.h"
#include "cli/DriveConnection.h"
#include "core/CaptureExport.h"
#include "core/CaptureSequence.h"
#include "model/ModelFamily.h"

namespace ordalis::cli {

namespace {

// "25ms", "0.5s", "250000us" or a number of milliseconds, as microseconds.
bool ParseTraceTime(const QString& text, uint32_t* us) {
    QString t = text.trimmed().toLower();
    double scale = 1000;
    if (t.endsWith(QLatin1String("us"))) {
        scale = 1;
        t.chop(2);
    } else if (t.endsWith(QLatin1String("ms"))) {
        t.chop(2);
    } else if (t.endsWith(QLatin1String("s"))) {
        scale = 1e6;
        t.chop(1);
    }
    bool ok = false;
    const double v = t.toDouble(&ok) * scale;
    if (!ok) return false;
    for (uint32_t allowed : TraceTimesUs)
        if (std::abs(v - allowed) < 0.5) {
            *us = allowed;
            return true;
        }
    return false;
}

}  // namespace

int CaptureCommand(Environment& env, const Args& args) {
    std::array<int16_t, TraceChannels> codes{};
    const QStringList channels = args.Value("channels").split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (channels.isEmpty() || channels.size() > TraceChannels)
        return Fail(kUsage, QStringLiteral("--channels takes 1 to 6 variable codes, e.g. --channels 1,4"));
    for (int k = 0; k < channels.size(); ++k) {
        int64_t code = 0;
        if (!ParseNumber(channels[k], &code) || code < 1 || code >= TraceCodeCount)
            return Fail(kUsage, QStringLiteral("'%1' is no variable code (1 .. %2)").arg(channels[k]).arg(TraceCodeCount - 1));
        codes[static_cast<size_t>(k)] = static_cast<int16_t>(code);
    }
    uint32_t traceUs = TraceTimesUs[0];
    if (args.Has("time") && !ParseTraceTime(args.Value("time"), &traceUs))
        return Fail(kUsage, QStringLiteral("--time must be one of 25ms, 50ms, 125ms, 250ms, 500ms, 1.25s, 2.5s, 5s"));
    const QString csv = args.Value("csv");
    if (csv.isEmpty()) return Fail(kUsage, QStringLiteral("--csv FILE names where the samples go"));

    std::unique_ptr<DriveConnection> c;
    if (const int r = ConnectDrive(env, args, true, &c); r != kDone) return r;
    DriveSession& drive = c->Drive();
    drive.StopPoll();
    DriveLink& link = c->State().link;
    auto idle = [&] { return WaitFor([&] { return !link.AnyBusy(); }, std::chrono::seconds(20)); };
    idle();
    CaptureSequence capture(drive);
    if (IsHv120(c->State().mirror.ModelName())) capture.UpdateVelocityFactors();
    bool ended = false;
    CaptureEnd why = CaptureEnd::NoAnswer;
    capture.OnEnded = [&](CaptureEnd e) {
        ended = true;
        why = e;
    };
    // One recorder list at a time: a list queued while another runs would replace it.
    capture.SelectTraceTime(traceUs);
    capture.SendSetup();
    if (!idle()) return Fail(kNoAnswer, QStringLiteral("the recorder set-up was not answered"));
    for (int k = 0; k < TraceChannels; ++k) {
        capture.SendChannel(k, codes[static_cast<size_t>(k)]);
        if (!idle()) return Fail(kNoAnswer, QStringLiteral("the channel set-up was not answered"));
    }
    capture.SendTraceTime(traceUs);
    if (!idle()) return Fail(kNoAnswer, QStringLiteral("the trace time was not answered"));
    capture.SetSingle(true);
    switch (capture.Start()) {
        case StartResult::Started: break;
        case StartResult::NoSampling: return Fail(kNoAnswer, QStringLiteral("the drive did not tell its recorder's capacity"));
        case StartResult::NoChannel:
        case StartResult::NotSent: return Fail(kNoAnswer, QStringLiteral("the capture could not be started"));
    }
    if (!WaitFor([&] { return ended; }, std::chrono::seconds(60)) || why == CaptureEnd::NoAnswer)
        return Fail(kNoAnswer, QStringLiteral("the drive stopped answering during the capture"));
    if (why != CaptureEnd::Single) return Fail(kRefused, QStringLiteral("the capture's samples did not fit its channels"));
    const CaptureResult& r = capture.Last();
    const CaptureOrigin origin{QDateTime::currentDateTime(), QString::fromStdString(c->State().mirror.ModelName()),
                               c->Address(), 1};
    if (!WriteCaptureCsv(csv, r, origin, capture.Info()))
        return Fail(kFileError, QStringLiteral("%1 could not be written").arg(csv));
    QJsonArray used;
    for (int k = 0; k < channels.size(); ++k) used.append(codes[static_cast<size_t>(k)]);
    if (args.Has("json"))
        PrintJson(QJsonObject{{"file", csv},
                              {"samples", r.SampleCount},
                              {"sampleIntervalUs", static_cast<qint64>(r.SampleIntervalUs)},
                              {"traceTimeUs", static_cast<qint64>(r.TraceTimeUs)},
                              {"channels", used}});
    else
        Out(QStringLiteral("%1 samples of %2 channel(s) over %3 ms into %4")
                .arg(r.SampleCount)
                .arg(channels.size())
                .arg(r.TraceTimeUs / 1000.0)
                .arg(csv));
    return kDone;
}

}  // namespace ordalis::cli
