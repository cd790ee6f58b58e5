#include "scope/Axis.h"

#include <QLocale>
#include <gtest/gtest.h>
#include <cmath>
#include <limits>

namespace ordalis::scope {
namespace {

Axis AxisOver(double lo, double hi) {
    Axis axis;
    axis.ResetRange();
    axis.IncludeRange(lo, lo);
    axis.IncludeRange(hi, hi);
    return axis;
}

struct TickCase {
    const char* what;
    double min, max;
    int n;
    double step;
    int count;
    double first;
    const char* format;
};

TEST(AxisTicks, StepCountFirstTickAndFormat) {
    const TickCase cases[] = {
        {"0..10, n 12: step 1, ticks 0..10", 0, 10, 12, 1, 11, 0, "#0"},
        {"flat 500: raw 5 capped at 1, n ticks centred", 500, 500, 10, 1, 10, 495, "#0"},
        {"flat -500: capped the same way", -500, -500, 9, 1, 9, -504, "#0"},
        {"flat 0: step 0.01", 0, 0, 7, 0.01, 7, -0.03, "#0.00"},
        {"raw 0.22: step 0.25, two decimals", 0, 2.2, 12, 0.25, 10, 0, "#0.00"},
        {"raw 2.2: step 2.5, one decimal", 0, 22, 12, 2.5, 10, 0, "#0.0"},
        {"raw 1.8: step 2", 0, 18, 12, 2, 10, 0, "#0"},
        {"raw 4: step 5", 0, 40, 12, 5, 9, 0, "#0"},
        {"raw 7: step 10", 0, 70, 12, 10, 8, 0, "#0"},
        // Raw steps exactly on a boundary keep that step (they used to get the next one).
        {"raw exactly 5: step 5", 0, 50, 12, 5, 11, 0, "#0"},
        {"raw exactly 2: step 2", 0, 20, 12, 2, 11, 0, "#0"},
        {"raw exactly 0.2: step 0.2", 0, 2, 12, 0.2, 11, 0, "#0.0"},
        {"raw exactly 20: step 20", 0, 200, 12, 20, 11, 0, "#0"},
        {"raw exactly 25: step 25", 0, 250, 12, 25, 11, 0, "#0"},
        {"raw exactly 0.025: step 0.025", 0, 0.25, 12, 0.025, 11, 0, "#0.000"},
        {"negative range: first tick below Min", -7.3, 4.1, 8, 2, 8, -8, "#0"},
        {"raw 0.75e-9: step 1e-9, never more than 8 decimals", 0, 0.75e-8, 12, 1e-9, 9, 0, "#0.00000000"},
        {"raw 1.1e-5: step 2e-5, five decimals", 0, 1.1e-4, 12, 2e-5, 7, 0, "#0.00000"},
    };
    for (const TickCase& c : cases) {
        SCOPED_TRACE(c.what);
        Axis axis = AxisOver(c.min, c.max);
        axis.ComputeTicks(c.n);
        EXPECT_NEAR(axis.TickStep, c.step, c.step * 1e-9);
        EXPECT_EQ(axis.TickCount, c.count);
        EXPECT_NEAR(axis.FirstTick, c.first, c.step * 1e-6);
        EXPECT_EQ(axis.LabelFormat.toStdString(), c.format);
    }
}

TEST(AxisTicks, LabelsOfZeroToTen) {
    Axis axis = AxisOver(0, 10);
    axis.ComputeTicks(12);
    const QStringList labels = axis.TickLabels();
    ASSERT_EQ(labels.size(), 11);
    EXPECT_EQ(labels.first(), "0");
    EXPECT_EQ(labels[5], "5");
    EXPECT_EQ(labels.last(), "10");
}

TEST(AxisTicks, FewerThanThreeTicksGiveNone) {
    for (int n : {2, 1, 0, -4}) {
        SCOPED_TRACE(n);
        Axis axis = AxisOver(3, 9);
        axis.ComputeTicks(n);
        EXPECT_EQ(axis.TickCount, 0);
        EXPECT_EQ(axis.TickStep, 0);
        EXPECT_EQ(axis.FirstTick, 3);
        EXPECT_TRUE(axis.TickLabels().isEmpty());
        EXPECT_EQ(axis.MeasureLabels(7), 0);
        axis.ScaleToPixels(300, true);
        EXPECT_FALSE(axis.HasScale());
    }
}

TEST(AxisTicks, RangeNeverFilledOrBeyondDoublesGivesNoTicks) {
    Axis empty;
    empty.ResetRange();  // a curve without values
    empty.ComputeTicks(12);
    EXPECT_EQ(empty.TickCount, 0);
    empty.ScaleToPixels(200, true);
    EXPECT_FALSE(empty.HasScale());

    Axis huge = AxisOver(-1.5e308, 1.5e308);  // the span overflows to infinity
    huge.ComputeTicks(12);
    EXPECT_EQ(huge.TickCount, 0);
}

TEST(AxisTicks, FitTickCountSpreadsTheExtraTicksBelowAndAbove) {
    Axis axis = AxisOver(0, 9);
    axis.ComputeTicks(12);
    ASSERT_EQ(axis.TickCount, 10);
    axis.FitTickCount(8);  // ComputeTicks(8): step 2, 6 ticks from 0; one more each side
    EXPECT_EQ(axis.TickCount, 8);
    EXPECT_DOUBLE_EQ(axis.TickStep, 2);
    EXPECT_DOUBLE_EQ(axis.FirstTick, -2);

    Axis same = AxisOver(0, 10);
    same.ComputeTicks(12);
    same.FitTickCount(11);  // already 11: unchanged
    EXPECT_EQ(same.TickCount, 11);
    EXPECT_DOUBLE_EQ(same.FirstTick, 0);
}

TEST(AxisScale, TickZeroAtPixelZeroOrAtTheBottom) {
    Axis axis = AxisOver(0, 10);
    axis.ComputeTicks(12);
    axis.ScaleToPixels(101, false);
    EXPECT_EQ(axis.TickPixels().first(), 0);
    EXPECT_EQ(axis.TickPixels().last(), 100);
    EXPECT_DOUBLE_EQ(axis.ValueToPixel(2.5), 25);

    axis.ScaleToPixels(101, true);
    EXPECT_EQ(axis.TickPixels().first(), 100);
    EXPECT_EQ(axis.TickPixels().last(), 0);
    EXPECT_DOUBLE_EQ(axis.ValueToPixel(2.5), 75);
}

TEST(AxisScale, ZeroSpanOrNoPixelsGiveNoScale) {
    Axis one = AxisOver(0, 10);
    one.ComputeTicks(12);
    one.TickCount = 1;  // last tick == first tick
    one.ScaleToPixels(200, false);
    EXPECT_FALSE(one.HasScale());
    EXPECT_EQ(one.TickCount, 0);
    EXPECT_TRUE(std::isfinite(one.Scale));

    for (int p : {0, -3}) {
        Axis axis = AxisOver(0, 10);
        axis.ComputeTicks(12);
        axis.ScaleToPixels(p, false);
        EXPECT_FALSE(axis.HasScale()) << p;
    }
}

TEST(AxisLabels, WidthIsCharactersTimesCharWidth) {
    Axis axis = AxisOver(-0.5, 1.2);  // raw 0.17: step 0.2, labels "-0.6" .. "1.2"
    axis.ComputeTicks(12);
    ASSERT_EQ(axis.LabelFormat, "#0.0");
    EXPECT_EQ(axis.TickLabels().first(), "-0.6");
    EXPECT_EQ(axis.MeasureLabels(7), 4 * 7);
}

TEST(AxisLabels, FixedDecimalsUserSeparatorNoNegativeZero) {
    struct Case { double v; int decimals; QChar point; const char* text; };
    const Case cases[] = {
        {0.25, 2, u'.', "0.25"},  {0.25, 2, u',', "0,25"},   {1234567, 0, u'.', "1234567"},
        {-3.14159, 3, u',', "-3,142"}, {-1e-17, 2, u'.', "0.00"}, {-0.0, 0, u'.', "0"},
        {0.5, 0, u'.', "1"}, {-2.5, 0, u'.', "-3"}, {2e-9, 8, u'.', "0.00000000"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatFixed(c.v, c.decimals, c.point).toStdString(), c.text) << c.v;
}

TEST(AxisLabels, TickLabelsFollowTheDefaultLocale) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    Axis axis = AxisOver(0, 2.2);
    axis.ComputeTicks(12);
    const QStringList labels = axis.TickLabels();
    QLocale::setDefault(saved);
    ASSERT_GE(labels.size(), 2);
    EXPECT_EQ(labels[1], "0,25");
}

TEST(Nearest, TiesGoToEven) {
    const std::pair<double, int> cases[] = {{6.5, 6}, {7.5, 8}, {-0.5, 0}, {-1.5, -2}, {2.4999, 2},
                                            {2.5001, 3}, {1e300, 1000000000}, {-1e300, -1000000000}};
    for (auto [x, n] : cases) EXPECT_EQ(Nearest(x), n) << x;
    EXPECT_EQ(Nearest(std::numeric_limits<double>::quiet_NaN()), -1000000000);
}

}  // namespace
}  // namespace ordalis::scope
