#pragma once
// What every command of the command-line tool shares: exit codes, the settings and
// [ports] mapping the program uses, naming a port as COMn or a device path, output as
// text or JSON, errors on standard error, and waiting on the event loop with a deadline.
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>

#include "core/Session.h"
#include "core/SettingsFile.h"
#include "core/UiPrompt.h"
#include "link/qt/PortMap.h"

namespace ordalis::cli {

enum ExitCode : int {
    kDone = 0,
    kUsage = 1,      // bad arguments, unknown parameter, value out of range
    kPortError = 2,  // the port cannot be opened (missing, no permission, held)
    kNoAnswer = 3,   // no drive answered
    kRefused = 4,    // the drive refused a request
    kFileError = 5,  // a file could not be read or written
};

// The settings file and port mapping, as the program finds them.
struct Environment {
    SettingsPaths paths;
    Settings settings;
    PortMap ports;
    QStringList portNames;  // COM1..COM5 and every name of the [ports] section

    static Environment Load();
};

// A port as the user named it: "COM3" through the mapping, or a device path. number is
// what the drive session connects by ("COM" + number); a device path gets a number of
// its own in the mapping.
struct PortChoice {
    QString name;
    QString device;
    uint8_t number = 0;
};
bool ResolvePort(Environment& env, const QString& text, PortChoice* choice, QString* error);

// Writes a line to standard output / standard error (UTF-8).
void Out(const QString& line);
void Err(const QString& line);
void PrintJson(const QJsonValue& value);
// Prints "ordalis-cli: <message>" on standard error and returns code.
int Fail(int code, const QString& message);

// Lets the event loop run until done() holds; false at the deadline.
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds deadline);

// Parses 123, -5, 0x1F.
bool ParseNumber(const QString& text, int64_t* value);

// Messages the core would show in a box go to standard error.
class CliPrompt : public UiPrompt {
public:
    int ExecModal(QDialog&) override { return 0; }
    void ShowText(const QString& text) override { Err(QStringLiteral("ordalis-cli: ") + text); }
};

}  // namespace ordalis::cli
