#pragma once
// The trace variables the user can pick per oscilloscope channel, grouped in categories,
// with the variable code each position stands for, in both languages. Shared by the
// selection dialog, the oscilloscope's channel boxes and the capture export.
#include <QString>
#include <QStringList>
#include <cstdint>

namespace ordalis {

constexpr int TraceCategoryRows = 12;   // code rows; English names only the first 11
constexpr int TraceCategoryPositions = 10;

// Category names in the language: 12 in Chinese, 11 in English.
QStringList TraceCategories(uint8_t languageIndex);
// Variable names of a category in the language (empty outside the table).
QStringList TraceVariables(int category, uint8_t languageIndex);
// Code at a position of a category's row; 0 outside the row.
int16_t TraceVariableCode(int category, int position);
// Where a non-zero code lies; false for 0 and codes not in the table.
bool FindTraceVariable(int code, int& category, int& position);
// Display name of a code: 0 gives the first category ("无" / "None"); a code not in the
// table, or beyond the language's list of its category, gives an empty text.
QString VariableName(int code, uint8_t languageIndex);

}  // namespace ordalis
