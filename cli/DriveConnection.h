#pragma once
// One drive reached from the command line: the program's own connect operation (wake-up,
// probe, baud switch, identify) through DriveSession, then single requests whose answers
// the tool waits for. Every method returns an ExitCode and, on failure, a plain-words
// reason.
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "cli/CliSupport.h"
#include "core/DriveSession.h"
#include "link/qt/QtSerialPort.h"
#include "link/qt/QtTimers.h"

namespace ordalis::cli {

class DriveConnection {
public:
    DriveConnection(Environment& env, const PortChoice& port, int32_t baud, uint8_t address);
    ~DriveConnection();

    // fullReadBack: wait for the program's whole read-back (every parameter it shows);
    // otherwise stop after the first read-back record, once the drive is identified.
    int Connect(bool fullReadBack, QString* error);
    // Reads the parameters into the mirror, one request each.
    int Read(const std::vector<uint16_t>& ids, QString* error);
    // The program's checks: equal to the drive's value (read first) → nothing sent,
    // outside the field's range → usage error; else stored and written. *sent tells
    // whether a write went out.
    int Write(uint16_t id, int64_t value, bool* sent, QString* error);
    // Stores the working parameters in the drive's EEPROM.
    int EepromSave(QString* error);

    Session& State() { return state_; }
    DriveSession& Drive() { return drive_; }
    uint8_t Address() const { return address_; }
    int32_t Baud() const { return baud_; }

private:
    // Sends one record and waits for its end: Answered, NoAnswer, Failed or a drive code.
    uint16_t Run(QueueLevel level, CommandRecord record);
    QString Describe(uint16_t id) const;

    Environment& env_;
    PortChoice port_;
    int32_t baud_;
    uint8_t address_;
    QtTimerFactory timers_;
    CliPrompt prompt_;
    QtSerialPort serial_;
    Session state_;
    DriveSession drive_;
};

// Value of a known parameter in the mirror (the model name is text).
QString ValueText(const ParameterMirror& mirror, uint16_t id);
int64_t Value(const ParameterMirror& mirror, uint16_t id);
// The parameter's log name, trimmed; empty when it has none.
QString ParameterName(uint16_t id);
// By number or by log name (case ignored); false for a parameter the program does not know.
bool FindParameterId(const QString& text, uint16_t* id);

}  // namespace ordalis::cli
