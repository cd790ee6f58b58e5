#pragma once
// The log as a text file: each line as the log window shows it, followed by what its
// frame means where it has a meaning (command, parameter id and name, value), so a
// colleague can read the exchange without decoding hex by hand.
#include <QString>

namespace ordalis {

// The meaning of one log line ("" when it has none). An answer line is read against the
// request line before it, given in *lastRequest (updated by request lines).
QString DescribeLogLine(const QString& line, QString* lastRequest);
// Every line of the log text (CR LF or LF separated) with its meaning after " ; ".
QString AnnotateLog(const QString& text);
// Writes AnnotateLog(text) with CR LF line ends through a temporary file.
bool ExportLog(const QString& path, const QString& text, QString* error);

}  // namespace ordalis
