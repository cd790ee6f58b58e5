#pragma once
// The files the reliability tests tear: for each kind, the two contents a writer
// alternates between, saved through the program's own code.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <string>

#include "core/SettingsFile.h"

namespace ordalis::test {

// The foreign lines cfg.ini starts with (long enough that a save takes a while, so kills
// land inside its writes).
inline QByteArray TornBaseFile() {
    QByteArray text = "[ports]\r\nCOM1=/dev/ttyS1\r\n\r\n";
    for (int i = 0; i < 2000; ++i)
        text += "; note " + QByteArray::number(i) + ": kept byte for byte \xE4\xB8\xAD\xE6\x96\x87 \xD6\xD0\xCE\xC4\r\n";
    return text;
}

inline Settings TornSettings(bool second) {
    Settings s;
    s.LanguageIndex = second ? 1 : 0;
    s.LastComMode = second ? 1 : 0;
    s.TryOtherRates = !second;
    for (size_t i = 0; i < LinkRecord::kSize; ++i)
        s.linkRecord.bytes[i] = static_cast<uint8_t>(second ? 255 - i : i * 7);
    return s;
}

// Saves the first or the second content of a kind ("cfg") to path; false with the reason
// in *error when the program's code reports a failure, or for an unknown kind.
inline bool SaveTorn(const std::string& kind, const QString& path, bool second, QString* error) {
    if (kind == "cfg") return SaveSettings(path, TornSettings(second), error);
    if (error) *error = QStringLiteral("unknown kind");
    return false;
}

// What a file of the kind holds before the first save.
inline QByteArray TornStart(const std::string& kind) { return kind == "cfg" ? TornBaseFile() : QByteArray(); }

}  // namespace ordalis::test
