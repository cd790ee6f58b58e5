#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace ordalis::scope {

// The scale, ticks and labels of one plot axis. Steps are 1, 2, 2.5 or 5 times a power
// of ten. An axis without ticks (TickCount 0) has no scale: nothing is drawn on it.
class Axis {
public:
    double Min = 0;
    double Max = 0;
    double Offset = 0;
    double Scale = 0;
    int TickCount = 0;
    double TickStep = 0;
    double FirstTick = 0;
    int LabelWidth = 0;
    QString LabelFormat;  // "#0" or "#0." followed by 1 to 8 "0"
    bool RangeSet = false;
    QString Title;

    void ResetRange();
    void IncludeRange(double lo, double hi);
    void ComputeTicks(int n);
    void FitTickCount(int n);
    int MeasureLabels(int charWidth);
    void ScaleToPixels(int p, bool reversed);

    double ValueToPixel(double v) const { return Scale * v + Offset; }
    // True when ScaleToPixels gave the axis a usable scale.
    bool HasScale() const { return TickCount > 0 && Scale != 0; }
    QVector<int> TickPixels() const;
    QStringList TickLabels() const;
    const QString& GetTitle() const { return Title; }
    int Decimals() const { return m_decimals; }

private:
    int m_decimals = 0;
};

// Nearest integer, ties to even (6.5 -> 6, 7.5 -> 8). Values beyond the int range are
// clamped first; NaN gives the lower bound.
int Nearest(double x);

// value with exactly `decimals` decimals, at least one integer digit, no grouping and
// the decimal separator of the user's locale. A value that rounds to zero shows no sign.
QString FormatFixed(double value, int decimals, QChar decimalPoint);

}  // namespace ordalis::scope
