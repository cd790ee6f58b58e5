#include "PictureProbe.h"
#include "scope/Oscope.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace ordalis::scope {
namespace {

using namespace probe;

QVector<double> Ramp(int n, double from, double to) {
    QVector<double> v(n);
    for (int i = 0; i < n; ++i) v[i] = from + (to - from) * i / std::max(n - 1, 1);
    return v;
}

void SetTrace(Oscope& o, int i, const QString& name, const QString& unit, QVector<double> values,
              quint32 colour = 0xFFFFFFFFu) {
    o.Traces[i].Visible = true;
    o.Traces[i].Name = name;
    o.Traces[i].Unit = unit;
    o.Traces[i].Colour = colour;
    o.Traces[i].Values = std::move(values);
}

// The limit page's demonstration plot.
void FillDemonstration(Oscope& o) {
    o.X.Values.resize(100);
    for (int i = 0; i < 100; ++i) o.X.Values[i] = i * 0.025 / 100;
    QVector<double> current(100, -800.0), volts(100, 0.0), freq(100, -152501.0);
    current[28] = 800.0;
    freq[20] = -144501.0;
    SetTrace(o, 0, "电流", "单位 A", current, 0xFF0000FFu);
    SetTrace(o, 1, "电压", "单位 V", volts, 0xFF00FF00u);
    o.Traces[1].Visible = false;
    SetTrace(o, 2, "频率", "单位 HZ", freq, 0xFFFF00FFu);
    o.X.Name = "时间(秒)";
    o.Title = "示波器";
}

TEST(OscopeAxes, CurvesOfOneQuantityShareAnAxisAndTheNextGoesRight) {
    Oscope o;
    o.X.Values = Ramp(50, 0, 1);
    SetTrace(o, 0, "电流", "A", Ramp(50, 0, 10));
    SetTrace(o, 1, "电流", "A", Ramp(50, -5, 3));
    SetTrace(o, 3, "速度", "rpm", Ramp(50, 100, 200));
    SetTrace(o, 4, "", "V", Ramp(50, 0, 1));  // no name: takes no part
    o.Draw({780, 360});
    ASSERT_EQ(o.YAxes.size(), 2);
    ASSERT_EQ(o.LeftAxes.size(), 1);
    ASSERT_EQ(o.RightAxes.size(), 1);
    EXPECT_EQ(o.LeftAxes[0]->Title, "电流 (A)");
    EXPECT_EQ(o.RightAxes[0]->Title, "速度 (rpm)");
    EXPECT_EQ(o.Traces[0].Axis, o.Traces[1].Axis);
    EXPECT_EQ(o.Traces[4].Axis, nullptr);
    EXPECT_DOUBLE_EQ(o.LeftAxes[0]->Min, -5);
    EXPECT_DOUBLE_EQ(o.LeftAxes[0]->Max, 10);
    // Both value axes have the same ticks at the same rows.
    EXPECT_EQ(o.LeftAxes[0]->TickPixels(), o.RightAxes[0]->TickPixels());
    EXPECT_GE(o.LeftAxes[0]->TickCount, 3);
}

TEST(OscopeAxes, FourQuantitiesTwoASideTicksOnlyOnTheInnerAxis) {
    Oscope o;
    o.X.Values = Ramp(200, 0, 0.02);
    SetTrace(o, 0, "a", "A", Ramp(200, 0, 10));
    SetTrace(o, 1, "b", "V", Ramp(200, -300, 300));
    SetTrace(o, 2, "c", "Hz", Ramp(200, 0, 0.003));
    SetTrace(o, 3, "d", "", Ramp(200, 5000, 90000));
    const QImage& img = o.Draw({780, 360});
    ASSERT_EQ(o.LeftAxes.size(), 2);
    ASSERT_EQ(o.RightAxes.size(), 2);
    EXPECT_EQ(o.LeftAxes[1]->Title, "c (Hz)");
    EXPECT_EQ(o.RightAxes[1]->Title, "d");
    const int n = o.YAxes[0]->TickCount;
    for (const Axis* axis : o.YAxes) EXPECT_EQ(axis->TickCount, n);  // brought to the smallest count

    const int dash = o.Metrics().wDash;
    const QRect L = o.LeftBand, R = o.RightBand;
    for (int t : o.LeftAxes[0]->TickPixels()) {
        EXPECT_EQ(At(img, L.right(), L.top() + t), kFrame);
        EXPECT_EQ(At(img, R.left(), R.top() + t), kFrame);
    }
    // No frame-coloured pixel anywhere else in the side bands: the outer axes have no ticks.
    int stray = 0;
    for (int y = L.top(); y <= L.bottom(); ++y) {
        for (int x = 0; x < L.right() - dash + 1; ++x) stray += At(img, x, y) == kFrame;
        for (int x = R.left() + dash; x <= R.right(); ++x) stray += At(img, x, y) == kFrame;
    }
    EXPECT_EQ(stray, 0);
    // Every axis has labels and a title: white text in each quarter of the bands' width.
    auto whiteIn = [&](int x0, int x1) {
        int count = 0;
        for (int y = L.top(); y <= L.bottom(); ++y)
            for (int x = x0; x < x1; ++x) count += At(img, x, y) == 0xFFFFFFFFu;
        return count;
    };
    EXPECT_GT(whiteIn(0, L.width() / 2), 0);
    EXPECT_GT(whiteIn(L.width() / 2, L.right() - dash), 0);
    EXPECT_GT(whiteIn(R.left() + dash, R.left() + R.width() / 2), 0);
    EXPECT_GT(whiteIn(R.left() + R.width() / 2, R.right() + 1), 0);
}

TEST(OscopePicture, NoCurveGivesBackgroundFrameTimeAxisAndTitleOnly) {
    Oscope o;
    o.X.Values = Ramp(100, 0, 0.5);
    o.X.Name = "t (s)";
    o.Title = "Scope";
    const QImage& img = o.Draw({780, 360});
    const PlotRect& r = o.PlotArea;
    EXPECT_TRUE(o.YAxes.isEmpty());
    EXPECT_EQ(r.left, o.XAxisObject->LabelWidth / 2);
    for (QPoint p : {QPoint(0, 0), QPoint(img.width() - 1, 0), QPoint(0, img.height() - 1),
                     QPoint(img.width() - 1, img.height() - 1), QPoint(img.width() - 1, r.top + r.height / 2),
                     QPoint(0, r.top + r.height / 2)})
        EXPECT_EQ(At(img, p.x(), p.y()), kBackground) << p.x() << "," << p.y();
    EXPECT_EQ(At(img, r.left, r.top + 5), kFrame);
    EXPECT_EQ(At(img, r.left + r.width - 1, r.top + r.height - 1), kFrame);
    int notBlack = 0;  // no grid, no curve
    for (int y = r.top + 1; y < r.top + r.height - 1; ++y)
        for (int x = r.left + 1; x < r.left + r.width - 1; ++x) notBlack += At(img, x, y) != kBlack;
    EXPECT_EQ(notBlack, 0);
    ASSERT_GE(o.XAxisObject->TickCount, 3);
    for (int t : o.XAxisObject->TickPixels()) EXPECT_EQ(At(img, o.XBand.x() + t, o.XBand.y()), kFrame);
    int titleWhite = 0;
    for (int y = 0; y < r.top; ++y)
        for (int x = 0; x < img.width(); ++x) titleWhite += At(img, x, y) == 0xFFFFFFFFu;
    EXPECT_GT(titleWhite, 0);
}

TEST(OscopePicture, GridLinesAtTheTickRowsAndColumns) {
    Oscope o;
    o.X.Values = Ramp(10, 0, 9);
    SetTrace(o, 0, "v", "", QVector<double>(10, 0.0));  // flat: on the middle grid line
    const QImage& img = o.Draw({780, 360});
    const PlotRect& r = o.PlotArea;
    const QVector<int> rows = o.YAxes[0]->TickPixels();
    ASSERT_EQ(rows.size(), o.YAxes[0]->TickCount);
    for (int i = 0; i < rows.size(); ++i) {
        if (i == rows.size() / 2) continue;
        EXPECT_EQ(At(img, r.left + r.width / 3 + 1, r.top + rows[i]), kFrame) << i;
    }
    for (int t : o.XAxisObject->TickPixels()) EXPECT_EQ(At(img, r.left + t, r.top + r.height / 3 + 1), kFrame);
    // The flat curve lies on the middle tick's row.
    const int middle = r.top + rows[rows.size() / 2];
    EXPECT_EQ(At(img, r.left + r.width / 2 + 3, middle), 0xFFFFFFFFu);
}

TEST(OscopePicture, OnlyTheCommonLengthOfValuesAndTimesIsDrawn) {
    {
        SCOPED_TRACE("values longer than the times");
        Oscope o;
        o.Grid = false;
        o.X.Values = Ramp(100, 0, 99);
        QVector<double> v(150, 0.0);
        for (int i = 100; i < 150; ++i) v[i] = 10;  // in the range, never drawn
        SetTrace(o, 0, "v", "", v);
        const QImage& img = o.Draw({780, 360});
        const int rowTen = PixelOf(o, *o.YAxes[0], 0, 10).y();
        const int rowZero = PixelOf(o, *o.YAxes[0], 0, 0).y();
        int lit10 = 0, lit0 = 0;
        for (int x = o.PlotArea.left + 1; x < o.PlotArea.left + o.PlotArea.width - 1; ++x) {
            lit10 += Lit(img, x, rowTen);
            lit0 += Lit(img, x, rowZero);
        }
        EXPECT_EQ(lit10, 0);
        EXPECT_GT(lit0, o.PlotArea.width / 2);
    }
    {
        SCOPED_TRACE("values shorter than the times");
        Oscope o;
        o.Grid = false;
        o.X.Values = Ramp(100, 0, 99);
        SetTrace(o, 0, "v", "", Ramp(50, 0, 49));
        const QImage& img = o.Draw({780, 360});
        const int lastX = PixelOf(o, *o.YAxes[0], 49, 0).x();
        int beyond = 0;
        for (int y = o.PlotArea.top + 1; y < o.PlotArea.top + o.PlotArea.height - 1; ++y)
            for (int x = lastX + 2; x < o.PlotArea.left + o.PlotArea.width - 1; ++x) beyond += Lit(img, x, y);
        EXPECT_EQ(beyond, 0);
        EXPECT_TRUE(Lit(img, lastX, PixelOf(o, *o.YAxes[0], 49, 49).y()));
    }
}

TEST(OscopePicture, DemonstrationPlot) {
    Oscope o;
    FillDemonstration(o);
    const QImage& img = o.Draw({780, 360});
    ASSERT_EQ(o.LeftAxes.size(), 1);
    ASSERT_EQ(o.RightAxes.size(), 1);
    EXPECT_EQ(o.LeftAxes[0]->Title, "电流 (单位 A)");
    EXPECT_EQ(o.RightAxes[0]->Title, "频率 (单位 HZ)");
    EXPECT_EQ(o.Traces[1].Axis, nullptr);
    // Each single-sample spike reaches its tip, in the curve's colour (0xAABBGGRR given).
    const QPoint redTip = PixelOf(o, *o.Traces[0].Axis, o.X.Values[28], 800);
    const QPoint magentaTip = PixelOf(o, *o.Traces[2].Axis, o.X.Values[20], -144501);
    EXPECT_TRUE(Near(At(img, redTip.x(), redTip.y()), 0xFFFF0000u)) << std::hex << At(img, redTip.x(), redTip.y());
    EXPECT_TRUE(Near(At(img, magentaTip.x(), magentaTip.y()), 0xFFFF00FFu))
        << std::hex << At(img, magentaTip.x(), magentaTip.y());
    // The time labels use three decimals (0.02475 s over about a dozen ticks).
    EXPECT_GE(o.XAxisObject->LabelFormat.size(), 4);
}

TEST(OscopePicture, CurveWithoutValuesDoesNotTakeTheOtherAxesTicks) {
    Oscope o;
    o.X.Values = Ramp(20, 0, 1);
    SetTrace(o, 0, "a", "", Ramp(20, 0, 10));
    SetTrace(o, 1, "b", "", {});
    o.Draw({780, 360});
    ASSERT_EQ(o.YAxes.size(), 2);
    EXPECT_GE(o.YAxes[0]->TickCount, 3);
    EXPECT_TRUE(o.YAxes[0]->HasScale());
    EXPECT_FALSE(o.YAxes[1]->HasScale());

    Oscope noTimes;  // no time values: no time scale, no curve, still a picture
    SetTrace(noTimes, 0, "a", "", Ramp(20, 0, 10));
    const QImage& img = noTimes.Draw({780, 360});
    EXPECT_FALSE(noTimes.XAxisObject->HasScale());
    EXPECT_TRUE(noTimes.YAxes[0]->HasScale());
    const PlotRect& r = noTimes.PlotArea;
    int lit = 0;
    for (int y = r.top + 1; y < r.top + r.height - 1; ++y)
        for (int x = r.left + 1; x < r.left + r.width - 1; ++x) lit += Lit(img, x, y);
    EXPECT_EQ(lit, 0);
}

TEST(OscopePicture, WindowsTooSmallStillGiveAPicture) {
    const QSize sizes[] = {{780, 30}, {40, 360}, {20, 20}, {1, 1}, {0, 0}, {-5, 10}};
    for (QSize size : sizes) {
        SCOPED_TRACE(QString("%1x%2").arg(size.width()).arg(size.height()).toStdString());
        Oscope o;
        FillDemonstration(o);
        const QImage& img = o.Draw(size);
        if (size.width() <= 0 || size.height() <= 0) {
            EXPECT_TRUE(img.isNull());
            continue;
        }
        EXPECT_EQ(img.size(), size);
        int background = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) background += At(img, x, y) == kBackground;
        EXPECT_GT(background, 0);
        EXPECT_FALSE(o.XAxisObject->HasScale() && o.PlotArea.width <= 0);
    }
}

TEST(OscopePicture, FlatDataOnTheMiddleLineAndNarrowWidthWithoutTicks) {
    Oscope o;
    o.X.Values = Ramp(10, 0, 1);
    SetTrace(o, 0, "v", "", QVector<double>(10, 500.0));
    o.Draw({780, 360});
    const Axis& axis = *o.YAxes[0];
    EXPECT_DOUBLE_EQ(axis.FirstTick, 500 - axis.TickCount / 2);
    o.FitXTicks(0);
    EXPECT_EQ(o.XAxisObject->TickCount, 0);
    o.FitXTicks(-12);
    EXPECT_FALSE(o.XAxisObject->HasScale());
}

TEST(OscopePicture, SavesAPngOfThePicture) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Oscope o;
    FillDemonstration(o);
    EXPECT_FALSE(o.SavePng(dir.filePath("none.png")));  // nothing drawn yet
    o.Draw({300, 200});
    const QString path = dir.filePath("scope.png");
    ASSERT_TRUE(o.SavePng(path));
    const QImage back(path);
    ASSERT_EQ(back.size(), QSize(300, 200));
    EXPECT_EQ(back.pixel(0, 0) | 0xFF000000u, kBackground);
    EXPECT_EQ(back.pixel(o.PlotArea.left, o.PlotArea.top + 3) | 0xFF000000u, kFrame);
}

}  // namespace
}  // namespace ordalis::scope
