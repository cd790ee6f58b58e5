#pragma once
// A value kept in hundredths, shown divided by 100 in the shortest decimal form
// (250 -> "2.5", 75 -> "0.75", -5 -> "-0.05").
#include <QString>
#include <cstdint>
#include <cstdlib>

namespace ordalis {

inline QString HundredthsText(int64_t hundredths) {
    const bool negative = hundredths < 0;
    const int64_t a = negative ? -hundredths : hundredths;
    QString text = QString::number(a / 100);
    if (a % 100 != 0) {
        text += u'.' + QString::number(a % 100).rightJustified(2, u'0');
        while (text.endsWith(u'0')) text.chop(1);
    }
    return negative ? u'-' + text : text;
}

}  // namespace ordalis
