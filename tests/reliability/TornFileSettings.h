#pragma once
// The two settings the writer alternates between, and the foreign lines the file starts
// with (long enough that a save takes a while, so kills land inside its writes).
#include <QByteArray>

#include "core/Session.h"

namespace ordalis::test {

inline Settings TornSettings(bool second) {
    Settings s;
    s.LanguageIndex = second ? 1 : 0;
    s.LastComMode = second ? 1 : 0;
    s.TryOtherRates = !second;
    for (size_t i = 0; i < LinkRecord::kSize; ++i)
        s.linkRecord.bytes[i] = static_cast<uint8_t>(second ? 255 - i : i * 7);
    return s;
}

inline QByteArray TornBaseFile() {
    QByteArray text = "[ports]\r\nCOM1=/dev/ttyS1\r\n\r\n";
    for (int i = 0; i < 2000; ++i)
        text += "; note " + QByteArray::number(i) + ": kept byte for byte \xE4\xB8\xAD\xE6\x96\x87 \xD6\xD0\xCE\xC4\r\n";
    return text;
}

}  // namespace ordalis::test
