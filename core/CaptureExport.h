#pragma once
// A capture as CSV: a header block (date and time, drive, trace time, sample interval,
// and per channel its variable, unit, code and factor, each line starting with '#'), a
// column-title row, then one row per sample: the time in seconds and each enabled
// channel's value in its physical unit. UTF-8, comma-separated, '.' as decimal point.
#include <QDateTime>
#include <QString>
#include <cstdint>

#include "core/CaptureSequence.h"

namespace ordalis {

struct CaptureOrigin {
    QDateTime When;
    QString Model;        // the drive's model name
    uint8_t Address = 0;  // its slave address
    uint8_t Language = 0; // of the variable names and units
};

QString CaptureCsv(const CaptureResult& capture, const CaptureOrigin& origin, const TraceInfoTable& info);
// Writes the CSV atomically; false (the old file untouched) when it cannot.
bool WriteCaptureCsv(const QString& path, const CaptureResult& capture, const CaptureOrigin& origin,
                     const TraceInfoTable& info);

}  // namespace ordalis
