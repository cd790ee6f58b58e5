#include "scope/Axis.h"

#include <QLocale>
#include <cmath>
#include <limits>

namespace ordalis::scope {

int Nearest(double x) {
    constexpr double lo = -1e9, hi = 1e9;
    x = x > lo ? (x < hi ? x : hi) : lo;
    return static_cast<int>(std::nearbyint(x));
}

QString FormatFixed(double value, int decimals, QChar decimalPoint) {
    QString s = QString::number(value, 'f', decimals);
    if (s.startsWith(u'-')) {
        bool allZero = true;
        for (qsizetype i = 1; i < s.size() && allZero; ++i)
            allZero = s[i] == u'0' || s[i] == u'.';
        if (allZero) s.remove(0, 1);
    }
    if (decimalPoint != u'.') s.replace(u'.', decimalPoint);
    return s;
}

void Axis::ResetRange() {
    if (RangeSet) return;
    Min = std::numeric_limits<double>::max();
    Max = -std::numeric_limits<double>::infinity();
    RangeSet = true;
}

void Axis::IncludeRange(double lo, double hi) {
    if (lo < Min) Min = lo;
    if (hi > Max) Max = hi;
}

void Axis::ComputeTicks(int n) {
    // A range never filled (a curve without values) or not finite has no ticks.
    if (n < 3 || !std::isfinite(Min) || !std::isfinite(Max) || Max < Min) {
        TickCount = 0;
        TickStep = 0;
        FirstTick = std::isfinite(Min) ? Min : 0;
        m_decimals = 0;
        LabelFormat = QStringLiteral("#0");
        return;
    }
    double raw = (Max - Min) / (n - 2);
    if (!std::isfinite(raw)) {
        Min = Max = 0;  // a span beyond the double range: no ticks
        ComputeTicks(0);
        return;
    }
    bool flat = false;
    if (raw == 0) {
        raw = std::fabs(0.01 * Min);
        if (raw == 0) raw = 0.01;
        else if (raw > 1.0) raw = 1.0;
        flat = true;
    }
    // The mantissa of raw in [1, 10). Taken by division, and compared with a relative
    // tolerance: through log10 and pow an exact 2, 2.5 or 5 lands a hair above itself and
    // would get the next larger step.
    int k = static_cast<int>(std::floor(std::log10(raw)));
    double m = raw / std::pow(10.0, k);
    if (m < 1) { --k; m *= 10; }
    else if (m >= 10) { ++k; m /= 10; }
    constexpr double kTolerance = 1 + 1e-9;
    int s;
    if (m <= 1 * kTolerance) s = 1;
    else if (m <= 2 * kTolerance) s = 2;
    else if (m <= 2.5 * kTolerance) { s = 25; --k; }
    else if (m <= 5 * kTolerance) s = 5;
    else { s = 1; ++k; }
    TickStep = std::pow(10.0, k) * s;
    FirstTick = std::floor(Min / TickStep) * TickStep;
    const double count = std::ceil((Max - FirstTick) / TickStep) + 1;
    TickCount = count < n ? static_cast<int>(count) : n;
    if (flat) {
        TickCount = n;
        FirstTick -= (n / 2) * TickStep;
    }
    m_decimals = k >= 0 ? 0 : (-k > 8 ? 8 : -k);
    LabelFormat = m_decimals == 0 ? QStringLiteral("#0")
                                  : QStringLiteral("#0.") + QString(m_decimals, u'0');
}

void Axis::FitTickCount(int n) {
    if (n == TickCount) return;
    ComputeTicks(n);
    if (TickCount == 0) return;
    const int d = (n - TickCount) / 2;
    TickCount = n;
    FirstTick -= d * TickStep;
}

int Axis::MeasureLabels(int charWidth) {
    LabelWidth = 0;
    for (const QString& label : TickLabels())
        LabelWidth = std::max(LabelWidth, static_cast<int>(label.size()) * charWidth);
    return LabelWidth;
}

void Axis::ScaleToPixels(int p, bool reversed) {
    const double last = FirstTick + (TickCount - 1) * TickStep;
    const double span = last - FirstTick;
    if (TickCount <= 0 || p <= 0 || !(span > 0) || !std::isfinite(span)) {
        // No meaningful scale: the axis keeps no ticks and curves on it are not drawn.
        TickCount = 0;
        Scale = 0;
        Offset = 0;
        return;
    }
    Scale = (p - 1) / span;
    Offset = -FirstTick * Scale;
    if (reversed) {
        Scale = -Scale;
        Offset = (p - 1) - Offset;
    }
}

QVector<int> Axis::TickPixels() const {
    QVector<int> pixels;
    pixels.reserve(TickCount);
    for (int i = 0; i < TickCount; ++i) pixels.append(Nearest(ValueToPixel(FirstTick + i * TickStep)));
    return pixels;
}

QStringList Axis::TickLabels() const {
    const QChar point = QLocale().decimalPoint().at(0);
    QStringList labels;
    labels.reserve(TickCount);
    for (int i = 0; i < TickCount; ++i)
        labels.append(FormatFixed(FirstTick + i * TickStep, m_decimals, point));
    return labels;
}

}  // namespace ordalis::scope
