#pragma once
// Asking the trace-variable selection dialog (TForm8) for one channel's variable, without
// knowing the dialog's class: the oscilloscope window holds it as a plain QDialog.
#include <QString>
#include <cstdint>

class QDialog;

namespace ordalis {

struct TraceChoice {
    bool Selected = false;  // false: cancelled, or OK without a usable selection
    QString Name;
    int16_t Code = 0;
};

// Shows the dialog modally (through the drive's prompt) for channel 1..6, pre-selecting
// the channel's current code, and returns what the user chose.
TraceChoice ChooseTraceVariable(QDialog& dialog, int channel);

}  // namespace ordalis
