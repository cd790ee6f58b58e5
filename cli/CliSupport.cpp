#include "cli/CliSupport.h"

#include "core/PortInfo.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <limits>

namespace ordalis::cli {

Environment Environment::Load() {
    Environment env;
    env.paths = ResolveSettingsPaths(QCoreApplication::applicationDirPath());
    LoadSettings(env.paths.read, env.settings);
    env.ports = PortMap::FromIni(env.paths.read);
    env.portNames = PortNames(env.paths.read);
    return env;
}

bool ResolvePort(Environment& env, const QString& text, PortChoice* choice, QString* error) {
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        *error = QStringLiteral("no port given: use --port COM1 or --port /dev/ttyUSB0");
        return false;
    }
    if (t.contains(QLatin1Char('/'))) {
        // A device path: the COMn mapped to it, else a free number mapped to it here.
        for (const QString& name : env.portNames) {
            if (env.ports.DevicePath(name) == t) {
                *choice = {name, t, static_cast<uint8_t>(name.mid(3).toUInt())};
                if (choice->number != 0) return true;
            }
        }
        for (int n = 255; n > 0; --n) {
            const QString name = QStringLiteral("COM%1").arg(n);
            if (env.ports.DevicePath(name) != name) continue;
            env.ports.Set(name, t);
            *choice = {t, t, static_cast<uint8_t>(n)};
            return true;
        }
        *error = QStringLiteral("no free port number for %1").arg(t);
        return false;
    }
    const QString name = t.toUpper();
    bool ok = false;
    const uint n = name.startsWith(QLatin1String("COM")) ? name.mid(3).toUInt(&ok) : 0;
    if (!ok || n < 1 || n > 255) {
        *error = QStringLiteral("'%1' is no port: use COM1 .. COM255 or a device path").arg(t);
        return false;
    }
    *choice = {name, env.ports.DevicePath(name), static_cast<uint8_t>(n)};
    return true;
}

void Out(const QString& line) {
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void Err(const QString& line) {
    std::fputs(line.toUtf8().constData(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

void PrintJson(const QJsonValue& value) {
    const QJsonDocument doc = value.isArray() ? QJsonDocument(value.toArray()) : QJsonDocument(value.toObject());
    Out(QString::fromUtf8(doc.toJson(QJsonDocument::Compact)));
}

int Fail(int code, const QString& message) {
    Err(QStringLiteral("ordalis-cli: ") + message);
    return code;
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds deadline) {
    if (done()) return true;
    QEventLoop loop;
    QTimer tick;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (done()) loop.quit();
    });
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    tick.start(2);
    limit.start(static_cast<int>(std::min<int64_t>(deadline.count(), std::numeric_limits<int>::max())));
    loop.exec();
    return done();
}

bool ParseNumber(const QString& text, int64_t* value) {
    bool ok = false;
    const QString t = text.trimmed();
    const bool negative = t.startsWith(QLatin1Char('-'));
    const QString digits = negative ? t.mid(1) : t;
    qlonglong v = digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? digits.mid(2).toLongLong(&ok, 16)
                                                                               : digits.toLongLong(&ok, 10);
    if (!ok) return false;
    *value = negative ? -v : v;
    return true;
}

}  // namespace ordalis::cli
