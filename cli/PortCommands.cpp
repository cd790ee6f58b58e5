// ports, scan and doctor: what the system and the bus say about a port.
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <random>

#include "cli/Commands.h"
#include "core/Doctor.h"
#include "core/Texts.h"
#include "link/qt/QtSerialPort.h"
#include "link/qt/QtTimers.h"

namespace ordalis::cli {

namespace {

QJsonObject PortJson(const PortStatus& s) {
    QJsonArray holders;
    for (const PortHolder& h : s.holders)
        holders.append(QJsonObject{{"pid", h.pid}, {"name", h.name}, {"executable", h.executable}});
    return {{"name", s.name},          {"device", s.device}, {"exists", s.exists},
            {"accessible", s.accessible}, {"group", s.group}, {"holders", holders},
            {"adapter", s.adapter}};
}

const char* VerdictName(ScanVerdict v) {
    switch (v) {
        case ScanVerdict::Found: return "found";
        case ScanVerdict::Garbled: return "garbled";
        case ScanVerdict::Silent: break;
    }
    return "silent";
}

QJsonObject ScanJson(const ScanResult& r) {
    QJsonArray garbled;
    for (int32_t rate : r.garbledRates) garbled.append(rate);
    QJsonObject o{{"address", r.address}, {"verdict", VerdictName(r.verdict)}, {"garbledRates", garbled}};
    if (r.verdict == ScanVerdict::Found) {
        o["rate"] = r.rate;
        o["model"] = r.model;
    }
    return o;
}

// A Session of its own for a scan: its own port object over the same mapping.
struct ScanSession {
    explicit ScanSession(const Environment& env)
        : serial(env.ports), state(serial, timers, prompt, std::random_device{}()) {
        state.settings = env.settings;
    }
    QtTimerFactory timers;
    CliPrompt prompt;
    QtSerialPort serial;
    Session state;
};

uint8_t LanguageOf(const Environment& env, const Args& args) {
    const QString lang = args.Value("lang");
    if (lang == QLatin1String("en")) return 1;
    if (lang == QLatin1String("zh")) return 0;
    return env.settings.LanguageIndex;
}

}  // namespace

int PortsCommand(Environment& env, const Args& args) {
    QJsonArray all;
    for (const QString& name : env.portNames) {
        const PortStatus s = InspectPort(name, env.ports.DevicePath(name));
        if (args.Has("json")) {
            all.append(PortJson(s));
            continue;
        }
        QStringList state;
        if (!s.exists) {
            state << QStringLiteral("missing");
        } else {
            state << (s.accessible ? QStringLiteral("may open") : QStringLiteral("no permission") +
                                                                       (s.group.isEmpty() ? QString() : " (group " + s.group + ")"));
            for (const PortHolder& h : s.holders)
                state << QStringLiteral("held by %1 (pid %2)").arg(h.name).arg(h.pid);
            if (s.holders.isEmpty()) state << QStringLiteral("free");
        }
        QString line = QStringLiteral("%1  %2  %3").arg(name, -6).arg(s.device, -22).arg(state.join(", "));
        if (!s.adapter.isEmpty()) line += QStringLiteral("  [%1]").arg(s.adapter);
        Out(line);
    }
    if (args.Has("json")) PrintJson(all);
    return kDone;
}

int ScanCommand(Environment& env, const Args& args) {
    PortChoice port;
    QString error;
    if (!ResolvePort(env, args.Value("port"), &port, &error)) return Fail(kUsage, error);
    int64_t rate = 9600;
    if (args.Has("baud") && (!ParseNumber(args.Value("baud"), &rate) ||
                             std::find(BusScan::Rates().begin(), BusScan::Rates().end(), rate) == BusScan::Rates().end()))
        return Fail(kUsage, QStringLiteral("--baud must be one of 9600, 19200, 38400, 57600, 115200"));
    ScanSession session(env);
    BusScan scan(session.state);
    const bool json = args.Has("json");
    if (!json) {
        QObject::connect(&scan, &BusScan::AddressDone, [](const ScanResult& r) {
            QString line = QStringLiteral("address %1  %2").arg(r.address, 2).arg(QString::fromLatin1(VerdictName(r.verdict)), -7);
            if (r.verdict == ScanVerdict::Found) line += QStringLiteral("  %1 baud  %2").arg(r.rate).arg(r.model);
            if (!r.garbledRates.empty()) {
                QStringList rates;
                for (int32_t g : r.garbledRates) rates << QString::number(g);
                line += QStringLiteral("  (no valid answer at %1)").arg(rates.join(", "));
            }
            Out(line);
        });
    }
    bool finished = false;
    QObject::connect(&scan, &BusScan::Finished, [&] { finished = true; });
    const PortOpenError e = scan.Start(port.name, static_cast<int32_t>(rate), args.Has("all-rates"));
    if (e != PortOpenError::None) {
        Settings english;
        english.LanguageIndex = 1;
        return Fail(kPortError, PortOpenErrorText(english, port.name, e) + QStringLiteral(" (%1)").arg(port.device));
    }
    WaitFor([&] { return finished; }, std::chrono::minutes(2));
    bool any = false;
    QJsonArray results;
    for (const ScanResult& r : scan.Results()) {
        any = any || r.verdict == ScanVerdict::Found;
        results.append(ScanJson(r));
    }
    if (json) PrintJson(QJsonObject{{"port", port.name}, {"device", port.device}, {"results", results}});
    return any ? kDone : kNoAnswer;
}

int DoctorCommand(Environment& env, const Args& args) {
    QList<PortChoice> ports;
    QString error;
    if (args.Has("port")) {
        PortChoice p;
        if (!ResolvePort(env, args.Value("port"), &p, &error)) return Fail(kUsage, error);
        ports << p;
    } else {
        // Every mapped port whose device is there; all of them when none is.
        for (const QString& name : env.portNames) {
            PortChoice p;
            if (ResolvePort(env, name, &p, &error) && QFileInfo::exists(p.device)) ports << p;
        }
        if (ports.isEmpty())
            for (const QString& name : env.portNames) {
                PortChoice p;
                if (ResolvePort(env, name, &p, &error)) ports << p;
            }
    }
    const uint8_t lang = LanguageOf(env, args);
    const bool json = args.Has("json");
    // Where the doctor looks for processes and udev rules can be moved (tests prepare
    // such folders); the group file and sysfs stay the system's.
    SystemRoots roots;
    if (qEnvironmentVariableIsSet("ORDALIS_PROC_ROOT")) roots.proc = qEnvironmentVariable("ORDALIS_PROC_ROOT");
    if (qEnvironmentVariableIsSet("ORDALIS_UDEV_RULES"))
        roots.udevRules = qEnvironmentVariable("ORDALIS_UDEV_RULES").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    int code = kNoAnswer;
    bool usable = false;
    QJsonArray reports;
    for (const PortChoice& port : ports) {
        ScanSession session(env);
        DoctorRun run(session.state, port.name, port.device, roots);
        if (!json) {
            Out(QStringLiteral("== %1 (%2)").arg(port.name, port.device));
            QObject::connect(&run, &DoctorRun::Found, [lang](const Finding& f) {
                const char* mark = f.level == FindingLevel::Ok ? "ok " : f.level == FindingLevel::Note ? "-- " : "!! ";
                Out(QString::fromLatin1(mark) + f.Text(lang));
            });
        }
        bool finished = false;
        QObject::connect(&run, &DoctorRun::Finished, [&] { finished = true; });
        run.Start();
        WaitFor([&] { return finished; }, std::chrono::minutes(2));
        QJsonArray findings;
        for (const Finding& f : run.Findings()) {
            findings.append(QJsonObject{{"check", f.check},
                                        {"level", f.level == FindingLevel::Ok     ? "ok"
                                                  : f.level == FindingLevel::Note ? "note"
                                                                                  : "problem"},
                                        {"zh", f.chinese},
                                        {"en", f.english}});
        }
        QJsonArray scan;
        for (const ScanResult& r : run.ScanResults()) scan.append(ScanJson(r));
        reports.append(QJsonObject{{"port", port.name}, {"device", port.device}, {"findings", findings}, {"scan", scan}});
        if (!run.ScanResults().empty()) usable = true;
        if (!run.Findings().isEmpty() && run.Findings().last().level == FindingLevel::Ok) code = kDone;
    }
    if (json) PrintJson(reports);
    if (code == kDone) return kDone;
    return usable ? kNoAnswer : kPortError;
}

}  // namespace ordalis::cli
