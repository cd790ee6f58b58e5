#pragma once
// Runs the built ordalis-cli with a settings file of the test's own ([ports] COM1 at the
// simulator's link) and collects exit code, standard output and standard error. A process
// still running at the deadline is killed by its id and the run counts as failed.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <chrono>
#include <ostream>

// Failure messages print texts as they are.
inline std::ostream& operator<<(std::ostream& os, const QString& s) { return os << s.toStdString(); }

namespace ordalis::clitest {

inline QString CliPath() { return QStringLiteral(ORDALIS_CLI_PATH); }

struct CliResult {
    int code = -1;
    QString out;
    QString err;
    bool finished = false;
    QJsonDocument Json() const { return QJsonDocument::fromJson(out.toUtf8()); }
};

class CliEnv {
public:
    // ports: lines of the [ports] section, e.g. "COM1=/tmp/x".
    explicit CliEnv(const QStringList& ports = {}) {
        QFile cfg(CfgPath());
        if (cfg.open(QIODevice::WriteOnly)) {
            cfg.write("[ports]\r\n");
            for (const QString& line : ports) cfg.write((line + "\r\n").toUtf8());
        }
        QFile::setPermissions(CfgPath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::ReadGroup);
        QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                                               QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup);
    }
    QString CfgPath() const { return dir_.filePath(QStringLiteral("cfg.ini")); }
    QString Dir() const { return dir_.path(); }

    // prefix: a program to run the tool through (e.g. setpriv ...), empty for none.
    CliResult Run(const QStringList& args, std::chrono::milliseconds deadline = std::chrono::seconds(60),
                  const QStringList& extraEnv = {}, const QStringList& prefix = {}) const {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ORDALIS_CFG"), CfgPath());
        env.insert(QStringLiteral("HOME"), dir_.path());
        for (const QString& kv : extraEnv) env.insert(kv.section('=', 0, 0), kv.section('=', 1));
        p.setProcessEnvironment(env);
        if (prefix.isEmpty()) {
            p.start(CliPath(), args);
        } else {
            p.start(prefix.first(), prefix.mid(1) + QStringList{CliPath()} + args);
        }
        CliResult r;
        if (!p.waitForStarted(10000)) return r;
        r.finished = p.waitForFinished(static_cast<int>(deadline.count()));
        if (!r.finished) {
            p.kill();
            p.waitForFinished(5000);
        }
        r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

private:
    QTemporaryDir dir_;
};

}  // namespace ordalis::clitest
