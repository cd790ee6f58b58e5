// save and load: the program's parameter files through the core's WriteBack, on a drive
// connected and read back as the program does.
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <random>

#include "cli/Commands.h"
#include "cli/DriveConnection.h"
#include "core/WriteBack.h"

namespace ordalis::cli {

namespace {

QJsonArray FileParameters(const ParameterMirror& mirror) {
    QJsonArray out;
    for (uint16_t id : kParameterFileIds)
        out.append(QJsonObject{{"id", id}, {"name", ParameterName(id)}, {"value", static_cast<qint64>(Value(mirror, id))}});
    return out;
}


}  // namespace

int SaveCommand(Environment& env, const Args& args) {
    if (args.positionals.size() != 1) return Fail(kUsage, QStringLiteral("save: name one file, e.g. save drive1.esp"));
    std::unique_ptr<DriveConnection> c;
    if (const int r = ConnectDrive(env, args, true, &c); r != kDone) return r;
    const QString path = WithParameterFileExtension(args.positionals.first());
    WriteBack files(c->Drive(), std::random_device{}());
    if (!files.SaveFile(path)) return kFileError;  // the reason is on standard error
    const ParameterMirror& m = c->State().mirror;
    if (args.Has("json"))
        PrintJson(QJsonObject{{"file", path},
                              {"model", QString::fromStdString(m.ModelName())},
                              {"address", c->Address()},
                              {"parameters", FileParameters(m)}});
    else
        Out(QStringLiteral("%1 saved (%2, address %3)").arg(path, QString::fromStdString(m.ModelName())).arg(c->Address()));
    return kDone;
}

int LoadCommand(Environment& env, const Args& args) {
    if (args.positionals.size() != 1) return Fail(kUsage, QStringLiteral("load: name one file, e.g. load drive1.esp"));
    const QString path = args.positionals.first();
    if (!QFileInfo::exists(path)) return Fail(kFileError, QStringLiteral("%1 does not exist").arg(path));
    std::unique_ptr<DriveConnection> c;
    if (const int r = ConnectDrive(env, args, true, &c); r != kDone) return r;
    WriteBack files(c->Drive(), std::random_device{}());
    int outcome = -1;
    QString error;
    QObject guard;
    QObject::connect(&files, &WriteBack::WriteBackDone, &guard, [&] {
        if (outcome < 0) outcome = kDone;
    });
    QObject::connect(&files, &WriteBack::WriteBackFailed, &guard, [&](const QString& text) {
        if (outcome >= 0) return;
        error = text;
        outcome = kRefused;
    });
    QObject::connect(&c->Drive(), &DriveSession::LinkLost, &guard, [&] {
        if (outcome >= 0) return;
        error = QStringLiteral("the drive stopped answering during the write-back");
        outcome = kNoAnswer;
    });
    // The file's checks (format, model) tell their reason on standard error.
    if (!files.LoadFile(path)) return kFileError;
    if (!WaitFor([&] { return outcome >= 0; }, std::chrono::seconds(60)))
        return Fail(kNoAnswer, QStringLiteral("the write-back did not end"));
    if (outcome != kDone) return Fail(outcome, error);
    if (args.Has("eeprom-save")) {
        if (const int r = c->EepromSave(&error); r != kDone) return Fail(r, error);
    }
    const ParameterMirror& m = c->State().mirror;
    if (args.Has("json"))
        PrintJson(QJsonObject{{"file", path},
                              {"address", c->Address()},
                              {"eepromSaved", args.Has("eeprom-save")},
                              {"parameters", FileParameters(m)}});
    else
        Out(QStringLiteral("%1 written into the drive at address %2%3")
                .arg(path)
                .arg(c->Address())
                .arg(args.Has("eeprom-save") ? QStringLiteral(" and stored in its EEPROM") : QString()));
    return kDone;
}

}  // namespace ordalis::cli
