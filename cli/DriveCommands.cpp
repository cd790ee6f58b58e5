// info, read, write, eeprom-save and monitor: one drive, connected the program's way.
#include <QJsonArray>
#include <QJsonObject>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <csignal>
#include <unistd.h>

#include "cli/Commands.h"
#include "cli/DriveConnection.h"
#include "model/ModelFamily.h"

namespace ordalis::cli {

namespace {

struct Target {
    PortChoice port;
    int32_t baud = 115200;
    uint8_t address = 1;
};

// --port, --baud, --address; each falls back to the link the program last used.
int ParseTarget(Environment& env, const Args& args, Target* t) {
    QString portText = args.Value("port");
    if (const auto sel = env.settings.linkRecord.Selection(); sel && sel->port != 0) {
        if (portText.isEmpty()) portText = QStringLiteral("COM%1").arg(sel->port);
        if (sel->baud > 0) t->baud = sel->baud;
        t->address = sel->address;
    }
    QString error;
    if (!ResolvePort(env, portText, &t->port, &error)) return Fail(kUsage, error);
    int64_t v = 0;
    if (args.Has("baud")) {
        if (!ParseNumber(args.Value("baud"), &v) || (v != 9600 && v != 19200 && v != 38400 && v != 57600 && v != 115200))
            return Fail(kUsage, QStringLiteral("--baud must be one of 9600, 19200, 38400, 57600, 115200"));
        t->baud = static_cast<int32_t>(v);
    }
    if (args.Has("address")) {
        if (!ParseNumber(args.Value("address"), &v) || v < 0 || v > 15)
            return Fail(kUsage, QStringLiteral("--address must be 0 .. 15"));
        t->address = static_cast<uint8_t>(v);
    }
    return kDone;
}

QJsonObject ParamJson(const ParameterMirror& mirror, uint16_t id) {
    QJsonObject o{{"id", id}, {"name", ParameterName(id)}};
    const ParamInfo* p = FindParameter(id);
    if (p && p->Type == ParamType::Text)
        o["value"] = ValueText(mirror, id);
    else
        o["value"] = static_cast<qint64>(Value(mirror, id));
    return o;
}

QString ParamLine(const ParameterMirror& mirror, uint16_t id) {
    const QString name = ParameterName(id);
    return QStringLiteral("%1 %2 = %3").arg(id, 3).arg(name.isEmpty() ? QString() : "(" + name + ")", -24).arg(ValueText(mirror, id));
}

}  // namespace

int ConnectDrive(Environment& env, const Args& args, bool fullReadBack, std::unique_ptr<DriveConnection>* out) {
    Target t;
    if (const int r = ParseTarget(env, args, &t); r != kDone) return r;
    auto c = std::make_unique<DriveConnection>(env, t.port, t.baud, t.address);
    QString error;
    if (const int r = c->Connect(fullReadBack, &error); r != kDone) return Fail(r, error);
    *out = std::move(c);
    return kDone;
}

int InfoCommand(Environment& env, const Args& args) {
    std::unique_ptr<DriveConnection> c;
    if (const int r = ConnectDrive(env, args, true, &c); r != kDone) return r;
    const Session& s = c->State();
    const CommandList& list = IsHv120(s.mirror.ModelName()) ? s.lists.ReadBackList24 : s.lists.ReadBackList34;
    QJsonArray params;
    if (!args.Has("json")) {
        Out(QStringLiteral("model %1, address %2, %3 baud").arg(QString::fromStdString(s.mirror.ModelName())).arg(c->Address()).arg(c->Baud()));
    }
    for (int i = 0; i < list.Count; ++i) {
        const uint16_t id = list.Records[i].ParamId;
        if (args.Has("json"))
            params.append(ParamJson(s.mirror, id));
        else
            Out(ParamLine(s.mirror, id));
    }
    if (args.Has("json"))
        PrintJson(QJsonObject{{"model", QString::fromStdString(s.mirror.ModelName())},
                              {"address", c->Address()},
                              {"baud", c->Baud()},
                              {"parameters", params}});
    return kDone;
}

int ReadCommand(Environment& env, const Args& args) {
    std::vector<uint16_t> ids;
    for (const QString& word : args.positionals) {
        uint16_t id = 0;
        if (!FindParameterId(word, &id)) return Fail(kUsage, QStringLiteral("unknown parameter '%1'").arg(word));
        ids.push_back(id);
    }
    if (ids.empty()) return Fail(kUsage, QStringLiteral("read: name at least one parameter (number or name)"));
    std::unique_ptr<DriveConnection> c;
    if (const int r = ConnectDrive(env, args, false, &c); r != kDone) return r;
    QString error;
    if (const int r = c->Read(ids, &error); r != kDone) return Fail(r, error);
    QJsonArray out;
    for (uint16_t id : ids) {
        if (args.Has("json"))
            out.append(ParamJson(c->State().mirror, id));
        else
            Out(ParamLine(c->State().mirror, id));
    }
    if (args.Has("json")) PrintJson(out);
    return kDone;
}

int WriteCommand(Environment& env, const Args& args) {
    std::vector<std::pair<uint16_t, int64_t>> writes;
    for (const QString& word : args.positionals) {
        const int eq = word.indexOf(QLatin1Char('='));
        uint16_t id = 0;
        int64_t value = 0;
        if (eq <= 0) return Fail(kUsage, QStringLiteral("'%1': write takes ID=VALUE").arg(word));
        if (!FindParameterId(word.left(eq), &id))
            return Fail(kUsage, QStringLiteral("unknown parameter '%1'").arg(word.left(eq)));
        if (!ParseNumber(word.mid(eq + 1), &value))
            return Fail(kUsage, QStringLiteral("'%1' is not a valid integer value").arg(word.mid(eq + 1)));
        writes.emplace_back(id, value);
    }
    if (writes.empty()) return Fail(kUsage, QStringLiteral("write: give at least one ID=VALUE"));
    std::unique_ptr<DriveConnection> c;
    if (const int r = ConnectDrive(env, args, false, &c); r != kDone) return r;
    QJsonArray out;
    for (const auto& [id, value] : writes) {
        bool sent = false;
        QString error;
        const int r = c->Write(id, value, &sent, &error);
        if (r != kDone) {
            if (args.Has("json")) PrintJson(out);
            return Fail(r, error);
        }
        QJsonObject o = ParamJson(c->State().mirror, id);
        o["written"] = sent;
        if (args.Has("json"))
            out.append(o);
        else
            Out(ParamLine(c->State().mirror, id) + (sent ? QString() : QStringLiteral("  (unchanged, not sent)")));
    }
    // On the same connection: one wake-up and baud switch less than a second command.
    if (args.Has("eeprom-save")) {
        QString error;
        if (const int r = c->EepromSave(&error); r != kDone) {
            if (args.Has("json")) PrintJson(out);
            return Fail(r, error);
        }
        if (!args.Has("json")) Out(QStringLiteral("parameters stored in the EEPROM of the drive at address %1").arg(c->Address()));
    }
    if (args.Has("json")) PrintJson(out);
    return kDone;
}

int EepromSaveCommand(Environment& env, const Args& args) {
    std::unique_ptr<DriveConnection> c;
    if (const int r = ConnectDrive(env, args, false, &c); r != kDone) return r;
    QString error;
    if (const int r = c->EepromSave(&error); r != kDone) return Fail(r, error);
    if (args.Has("json"))
        PrintJson(QJsonObject{{"eepromSaved", true}, {"address", c->Address()}});
    else
        Out(QStringLiteral("parameters stored in the EEPROM of the drive at address %1").arg(c->Address()));
    return kDone;
}

namespace {
int g_signalPipe[2] = {-1, -1};
void OnSignal(int) {
    const char b = 1;
    (void)!::write(g_signalPipe[1], &b, 1);
}
}  // namespace

int MonitorCommand(Environment& env, const Args& args) {
    int64_t count = -1;
    if (args.Has("count") && (!ParseNumber(args.Value("count"), &count) || count < 1))
        return Fail(kUsage, QStringLiteral("--count must be a positive number"));
    std::unique_ptr<DriveConnection> c;
    if (const int r = ConnectDrive(env, args, false, &c); r != kDone) return r;
    // Ctrl-C (and SIGTERM) end the monitor from the event loop, through a pipe.
    bool stop = false;
    if (::pipe(g_signalPipe) != 0) return Fail(kUsage, QStringLiteral("no pipe for the signal handler"));
    QSocketNotifier notifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] { stop = true; });
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);

    const ParameterMirror& m = c->State().mirror;
    int64_t lines = 0;
    bool lost = false;
    QElapsedTimer clock;
    clock.start();
    DriveSession& drive = c->Drive();
    QObject::connect(&drive, &DriveSession::LinkLost, [&] { lost = true; });
    PollRegistration poll = drive.RegisterPoll(PollKind::Monitor, [&] {
        const double t = clock.elapsed() / 1000.0;
        if (args.Has("json")) {
            PrintJson(QJsonObject{{"t", t},
                                  {"status", m.GetU16(pid::StatusWord)},
                                  {"fault", m.GetU16(pid::FaultCode)},
                                  {"busVoltage", m.GetU16(pid::BusVoltage) / 100.0},
                                  {"temperature", m.GetI16(pid::Temperature) / 10.0},
                                  {"inputs", m.GetU16(pid::Inputs)}});
        } else {
            Out(QStringLiteral("%1 s  status 0x%2  fault %3  bus %4 V  %5 °C  inputs 0x%6")
                    .arg(t, 7, 'f', 1)
                    .arg(m.GetU16(pid::StatusWord), 4, 16, QLatin1Char('0'))
                    .arg(m.GetU16(pid::FaultCode), 2, 16, QLatin1Char('0'))
                    .arg(m.GetU16(pid::BusVoltage) / 100.0, 0, 'f', 2)
                    .arg(m.GetI16(pid::Temperature) / 10.0, 0, 'f', 1)
                    .arg(m.GetU16(pid::Inputs), 4, 16, QLatin1Char('0')));
        }
        ++lines;
    });
    drive.StartPoll();
    WaitFor([&] { return stop || lost || (count > 0 && lines >= count); }, std::chrono::hours(24 * 365));
    drive.StopPoll();
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    if (lost) return Fail(kNoAnswer, QStringLiteral("the drive stopped answering"));
    return kDone;
}

}  // namespace ordalis::cli
