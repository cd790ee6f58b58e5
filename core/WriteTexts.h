#pragma once
// Texts about parameter writes, shared by every window and the session: how a parameter
// is named to the user, and the report of a write the drive refused.
#include <QString>
#include <cstdint>

namespace ordalis {

// "Cp (0)", "内部细分数 (135)": the name a window shows for the parameter, in the language;
// the log name or the bare number for parameters no window edits.
QString ParameterDisplayName(uint8_t languageIndex, uint16_t id);

// The drive refused a write: names the parameter and the drive's code (a condition code
// 2..255, or 132 for error answers after the retries), and says that the drive's value is
// shown again.
QString WriteRefusedText(uint8_t languageIndex, uint16_t id, uint16_t status);

}  // namespace ordalis
