#pragma once
// Number entry for the drive windows' edit boxes: the key filter (digits, Backspace,
// Enter, and the full stop for decimal boxes; Enter and leaving the box run the box's
// write handler), exact decimal arithmetic for the conversions to drive units, the
// shortest decimal form for showing scaled values, and the texts for entries that are
// not numbers or out of range.
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

class QLineEdit;

namespace ordalis {

// A decimal number as typed: mantissa / 10^scale, kept exact. Entries too long for 64
// bits saturate (Huge), so they fail every range check instead of wrapping.
struct DecimalEntry {
    int64_t mantissa = 0;
    int scale = 0;  // digits after the full stop
    bool huge = false;

    enum class Rounding { Ceil, HalfEven, Truncate };
    // The value times 10^digits, rounded; INT64_MAX when huge.
    int64_t Scaled(int digits, Rounding rounding) const;
    // True when the value times 10^digits is exactly the integer value.
    bool ScaledEquals(int digits, int64_t value) const;
    // -1, 0 or 1 as the entry is below, at or above value / 10^digits (exactly).
    int CompareTo(int64_t value, int digits) const;
};

// Digits only ("0042"); nullopt for an empty text or any other character. Saturates at
// INT64_MAX.
std::optional<int64_t> ParseIntegerEntry(const QString& text);
// Digits with at most one full stop and at least one digit ("3.5", ".5", "7.").
std::optional<DecimalEntry> ParseDecimalEntry(const QString& text);

// raw / 10^decimals in the shortest form: 2456,2 -> "24.56"; 2400,2 -> "24"; -25,1 -> "-2.5".
QString ShortestDecimal(int64_t raw, int decimals);
// raw / 10^decimals with exactly that many decimals: 5,2 -> "0.05"; -150,2 -> "-1.50".
QString FixedDecimal(int64_t raw, int decimals);

// "'1.2.3' is not a valid integer value" / "... is not a valid number", in the language.
QString NotANumberText(uint8_t languageIndex, const QString& text, bool decimal);
// "The value must be between min and max!", in the language (bounds as given).
QString RangeText(uint8_t languageIndex, const QString& min, const QString& max);

// Installs the key filter on edit and runs onExit when Enter is pressed (the box keeps
// the focus) or the focus moves to another control of the window. Focus lost because a
// message box or another window opened does not count, so a handler's own message does
// not run it again. The filter is a child of edit.
void AttachNumberEntry(QLineEdit* edit, bool decimal, std::function<void()> onExit);

}  // namespace ordalis
