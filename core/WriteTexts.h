#pragma once
// Texts about parameter writes, shared by every window and the session: how a parameter
// is named to the user, and the report of a write the drive refused.
#include <QString>
#include <cstdint>

namespace ordalis {

// "Cp", "内部细分数": the name a window shows the parameter under, in the language; the
// log name for parameters no window edits, empty when there is none.
QString ParameterDisplayName(uint8_t languageIndex, uint16_t id);

// The drive refused a write: names the parameter (number and name) and the drive's code
// (a condition code 2..255, or 132 for error answers after the retries), and says the
// drive keeps its old value.
QString WriteRefusedText(uint8_t languageIndex, uint16_t id, uint16_t status);

}  // namespace ordalis
