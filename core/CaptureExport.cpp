#include "core/CaptureExport.h"

#include <QSaveFile>

#include "core/TraceVariables.h"

namespace ordalis {

namespace {
QString Number(double v) { return QString::number(v, 'g', 12); }
// A text field: quoted when it holds a comma or a quote.
QString Field(const QString& s) {
    if (!s.contains(u',') && !s.contains(u'"')) return s;
    QString q = s;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}
}  // namespace

QString CaptureCsv(const CaptureResult& r, const CaptureOrigin& o, const TraceInfoTable& info) {
    QString out;
    out += QStringLiteral("# Date,%1\n").arg(o.When.toString(Qt::ISODate));
    out += QStringLiteral("# Drive,%1,address %2\n").arg(Field(o.Model)).arg(o.Address);
    out += QStringLiteral("# Trace time (s),%1\n").arg(Number(r.TraceTimeUs / 1e6));
    out += QStringLiteral("# Sample interval (s),%1\n").arg(Number(r.SampleIntervalUs / 1e6));
    out += QStringLiteral("# Samples,%1\n").arg(r.SampleCount);
    out += QStringLiteral("# Channel,Variable,Unit,Code,Factor\n");
    QString titles = QStringLiteral("Time (s)");
    for (int k = 0; k < TraceChannels; ++k) {
        const int code = r.Codes[k];
        if (code == 0) continue;
        const QString name = VariableName(code, o.Language);
        const QString unit = QString::fromUtf8(info[code].Unit(o.Language));
        out += QStringLiteral("# %1,%2,%3,%4,%5\n")
                   .arg(k + 1)
                   .arg(Field(name), Field(unit))
                   .arg(code)
                   .arg(Number(r.Factors[k]));
        titles += u',' + Field(QStringLiteral("%1 %2 (%3)").arg(k + 1).arg(name, unit));
    }
    out += titles + u'\n';
    for (size_t i = 0; i < r.Times.size(); ++i) {
        out += Number(r.Times[i]);
        for (int k = 0; k < TraceChannels; ++k)
            if (r.Codes[k] != 0) out += u',' + Number(i < r.Values[k].size() ? r.Values[k][i] : 0.0);
        out += u'\n';
    }
    return out;
}

bool WriteCaptureCsv(const QString& path, const CaptureResult& capture, const CaptureOrigin& origin,
                     const TraceInfoTable& info) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(CaptureCsv(capture, origin, info).toUtf8());
    return file.commit();
}

}  // namespace ordalis
