#include "cli/DriveConnection.h"

#include <QObject>
#include <limits>
#include <random>

#include "core/Deferred.h"
#include "core/EepromSave.h"
#include "core/Texts.h"

namespace ordalis::cli {

namespace {
constexpr auto kConnectDeadline = std::chrono::seconds(20);
constexpr auto kRequestDeadline = std::chrono::seconds(10);

ValueRange RangeOf(ParamType type) {
    switch (type) {
        case ParamType::I16: return {std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max()};
        case ParamType::U16: return {0, std::numeric_limits<uint16_t>::max()};
        case ParamType::I32: return {std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()};
        case ParamType::Text: break;
    }
    return {0, -1};
}
}  // namespace

QString ParameterName(uint16_t id) {
    if (id >= std::size(ParamNames)) return {};
    const QString name = QString::fromUtf8(ParamNames[id]).trimmed();
    return name.contains(QLatin1String("Not identified")) ? QString() : name;
}

bool FindParameterId(const QString& text, uint16_t* id) {
    bool number = false;
    const uint n = text.toUInt(&number);
    if (number) {
        if (!FindParameter(static_cast<uint16_t>(n)) || n > 0xFFFF) return false;
        *id = static_cast<uint16_t>(n);
        return true;
    }
    for (const ParamInfo& p : KnownParameters()) {
        if (ParameterName(p.Id).compare(text.trimmed(), Qt::CaseInsensitive) == 0) {
            *id = p.Id;
            return true;
        }
    }
    return false;
}

int64_t Value(const ParameterMirror& mirror, uint16_t id) {
    const ParamInfo* p = FindParameter(id);
    if (!p) return 0;
    switch (p->Type) {
        case ParamType::I16: return mirror.GetI16(id);
        case ParamType::U16: return mirror.GetU16(id);
        case ParamType::I32: return mirror.GetI32(id);
        case ParamType::Text: break;
    }
    return 0;
}

QString ValueText(const ParameterMirror& mirror, uint16_t id) {
    const ParamInfo* p = FindParameter(id);
    if (p && p->Type == ParamType::Text) return QString::fromStdString(mirror.ModelName());
    return QString::number(Value(mirror, id));
}

DriveConnection::DriveConnection(Environment& env, const PortChoice& port, int32_t baud, uint8_t address)
    : env_(env),
      port_(port),
      baud_(baud),
      address_(address),
      serial_(env.ports),
      state_(serial_, timers_, prompt_, std::random_device{}()),
      drive_(state_, timers_, prompt_) {
    state_.settings = env.settings;
    // The tool's own messages are English; the core's follow them.
    state_.settings.LanguageIndex = 1;
}

DriveConnection::~DriveConnection() {
    drive_.StopPoll();
    drive_.Cancel();
    serial_.Close();
}

QString DriveConnection::Describe(uint16_t id) const {
    const QString name = ParameterName(id);
    return name.isEmpty() ? QString::number(id) : QStringLiteral("%1 (%2)").arg(id).arg(name);
}

int DriveConnection::Connect(bool fullReadBack, QString* error) {
    // Tried once first, so a port that cannot be opened gets its own exit code and the
    // reason Qt gives (missing, no permission or held) in plain words.
    serial_.SetCommName("COM" + std::to_string(port_.number));
    if (const PortOpenError e = serial_.Open(); e != PortOpenError::None) {
        Settings english = state_.settings;
        english.LanguageIndex = 1;
        *error = PortOpenErrorText(english, port_.name, e) + QStringLiteral(" (%1)").arg(port_.device);
        return kPortError;
    }
    serial_.Close();

    int outcome = -1;
    QObject guard;
    QObject::connect(&drive_, &DriveSession::ReadBackProgress, &guard, [&](int done, int) {
        // Identified and the first record read: the rest is the program's window content.
        if (!fullReadBack && done == 1 && outcome < 0) {
            outcome = kDone;
            RunDeferred(&guard, [this] { drive_.Cancel(); });
        }
    });
    QObject::connect(&drive_, &DriveSession::ReadBackDone, &guard, [&](const QString&) {
        if (outcome < 0) outcome = kDone;
    });
    QObject::connect(&drive_, &DriveSession::ReadBackFailed, &guard, [&](const QString& text) {
        if (outcome >= 0) return;
        *error = text;
        outcome = kRefused;
    });
    QObject::connect(&drive_, &DriveSession::LinkLost, &guard, [&] {
        if (outcome >= 0) return;
        *error = QStringLiteral("no answer from a drive at address %1 on %2").arg(address_).arg(port_.name);
        outcome = kNoAnswer;
    });
    QObject::connect(&drive_, &DriveSession::Message, &guard, [&](const QString& text) {
        if (outcome >= 0) return;
        *error = text;
        outcome = kPortError;
    });
    drive_.ConnectDrive(port_.number, baud_, address_);
    if (!WaitFor([&] { return outcome >= 0; }, kConnectDeadline)) {
        drive_.Cancel();
        *error = QStringLiteral("the drive at address %1 on %2 answered but was not identified (model %3)")
                     .arg(address_)
                     .arg(port_.name)
                     .arg(QString::fromStdString(state_.mirror.ModelName()));
        return kNoAnswer;
    }
    // Let the deferred Cancel run before anything else goes out.
    WaitFor([&] { return drive_.CurrentPhase() != DriveSession::Phase::ReadingBack || fullReadBack; },
            std::chrono::seconds(2));
    return outcome;
}

uint16_t DriveConnection::Run(QueueLevel level, CommandRecord record) {
    int result = -1;
    record.Callback = [&result](uint16_t status, const uint8_t*, uint8_t) {
        if (status == Sent || status == Retrying) return;
        if (result < 0) result = status;
    };
    if (level == RunQueue) state_.link.ResetLink();
    if (!drive_.SendList(level, CommandList{&record, 1})) return NoAnswer;
    if (!WaitFor([&] { return result >= 0; }, kRequestDeadline)) return NoAnswer;
    return static_cast<uint16_t>(result);
}

int DriveConnection::Read(const std::vector<uint16_t>& ids, QString* error) {
    for (uint16_t id : ids) {
        const ParamInfo* p = FindParameter(id);
        const FieldRef f = state_.mirror.Field(id);
        if (!p || !f.Data) {
            *error = QStringLiteral("parameter %1 is not known").arg(id);
            return kUsage;
        }
        CommandRecord read{CmdRead, id, p->ReadLen, f.Data, f.Capacity, nullptr};
        read.TextTarget = p->Type == ParamType::Text;
        const uint16_t status = Run(RunQueue, read);
        if (status == NoAnswer) {
            *error = QStringLiteral("no answer to the read of %1").arg(Describe(id));
            return kNoAnswer;
        }
        if (status != Answered) {
            *error = QStringLiteral("the drive refused the read of %1 (code %2)").arg(Describe(id)).arg(status);
            return kRefused;
        }
    }
    return kDone;
}

int DriveConnection::Write(uint16_t id, int64_t value, bool* sent, QString* error) {
    *sent = false;
    const ParamInfo* p = FindParameter(id);
    if (!p || p->Type == ParamType::Text) {
        *error = QStringLiteral("parameter %1 cannot be written").arg(Describe(id));
        return kUsage;
    }
    if (const int r = Read({id}, error); r != kDone) return r;
    if (Value(state_.mirror, id) == value) return kDone;
    const ValueRange range = RangeOf(p->Type);
    if (value < range.min || value > range.max) {
        *error = QStringLiteral("%1 is outside %2 .. %3 for %4").arg(value).arg(range.min).arg(range.max).arg(Describe(id));
        return kUsage;
    }
    switch (p->Type) {
        case ParamType::I16: state_.mirror.SetI16(id, static_cast<int16_t>(value)); break;
        case ParamType::U16: state_.mirror.SetU16(id, static_cast<uint16_t>(value)); break;
        case ParamType::I32: state_.mirror.SetI32(id, static_cast<int32_t>(value)); break;
        case ParamType::Text: break;
    }
    const FieldRef f = state_.mirror.Field(id);
    const CommandRecord write{CmdWrite, id, static_cast<uint8_t>(f.Capacity), f.Data, f.Capacity, nullptr};
    *sent = true;
    const uint16_t status = Run(Lev2Queue, write);
    if (status == NoAnswer) {
        *error = QStringLiteral("no answer to the write of %1").arg(Describe(id));
        return kNoAnswer;
    }
    if (status != Answered) {
        *error = QStringLiteral("the drive refused the write of %1 = %2").arg(Describe(id)).arg(value);
        return kRefused;
    }
    return kDone;
}

int DriveConnection::EepromSave(QString* error) {
    // The program's save: its record, its answer handling and its messages.
    ordalis::EepromSave save(drive_);
    int outcome = -1;
    QObject guard;
    QObject::connect(&save, &ordalis::EepromSave::Saved, &guard, [&] {
        if (outcome < 0) outcome = kDone;
    });
    QObject::connect(&save, &ordalis::EepromSave::SaveFailed, &guard, [&](const QString& text) {
        if (outcome >= 0) return;
        *error = text;
        outcome = kRefused;
    });
    QObject::connect(&drive_, &DriveSession::LinkLost, &guard, [&] {
        if (outcome >= 0) return;
        *error = QStringLiteral("no answer to the EEPROM save");
        outcome = kNoAnswer;
    });
    save.Save();
    if (!WaitFor([&] { return outcome >= 0; }, kRequestDeadline)) {
        *error = QStringLiteral("no answer to the EEPROM save");
        return kNoAnswer;
    }
    return outcome;
}

}  // namespace ordalis::cli
