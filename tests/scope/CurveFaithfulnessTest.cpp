#include "PictureProbe.h"
#include "scope/CurveDrawing.h"
#include "scope/Oscope.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>
#include <random>

namespace ordalis::scope {
namespace {

using namespace probe;

constexpr int kSamples = 65535;

enum class Shape { Random, Step, Spike, Sine, SparseSine };

struct Data {
    QVector<double> x, y;
    std::vector<int> spikes;  // indices of single-sample spikes
};

Data Make(Shape shape) {
    const int n = shape == Shape::SparseSine ? 300 : kSamples;
    Data d;
    d.x.resize(n);
    d.y.resize(n);
    std::mt19937 rng(1234);
    std::normal_distribution<double> noise(0, 1);
    for (int i = 0; i < n; ++i) {
        d.x[i] = i * 0.5 / n;
        switch (shape) {
        case Shape::Random: d.y[i] = noise(rng); break;
        case Shape::Step: d.y[i] = (i / 4000) % 2 ? 800 : -300; break;
        case Shape::Spike: d.y[i] = 0.05 * noise(rng); break;
        case Shape::Sine:
        case Shape::SparseSine: d.y[i] = 100 * std::sin(2 * M_PI * 7 * d.x[i]); break;
        }
    }
    if (shape == Shape::Spike) {
        // Single samples far up and down, some in the same column as others.
        for (int i : {1000, 1001, 9000, 20011, 33333, 47000, 65000}) {
            d.y[i] = (i % 2 ? -1 : 1) * (5 + i % 7);
            d.spikes.push_back(i);
        }
    }
    return d;
}

const char* Name(Shape s) {
    switch (s) {
    case Shape::Random: return "random";
    case Shape::Step: return "step";
    case Shape::Spike: return "spike";
    case Shape::Sine: return "sine";
    case Shape::SparseSine: return "sparse sine";
    }
    return "?";
}

QImage Picture(const Data& d, QSize size, Oscope::CurveMode mode, Oscope& o, quint32 colour) {
    o.Grid = false;
    o.Curves = mode;
    o.X.Values = d.x;
    o.Traces[0].Visible = true;
    o.Traces[0].Name = "v";
    o.Traces[0].Colour = colour;
    o.Traces[0].Values = d.y;
    return o.Draw(size);
}

// Every column's extent in `a` lies, within one pixel, inside the union of the extents of
// `b` over the columns x-1..x+1. Returns the number of offending columns.
int ColumnsOutside(const std::vector<Extent>& a, const std::vector<Extent>& b, std::string& first) {
    int bad = 0;
    for (size_t x = 1; x + 1 < a.size(); ++x) {
        if (a[x].empty()) continue;
        Extent u;
        for (size_t k = x - 1; k <= x + 1; ++k) {
            if (b[k].empty()) continue;
            if (u.empty()) u = b[k];
            u.lo = std::min(u.lo, b[k].lo);
            u.hi = std::max(u.hi, b[k].hi);
        }
        if (u.empty() || a[x].lo < u.lo - 1 || a[x].hi > u.hi + 1) {
            if (bad++ == 0)
                first = "column " + std::to_string(x) + ": [" + std::to_string(a[x].lo) + "," +
                        std::to_string(a[x].hi) + "] against [" + std::to_string(u.lo) + "," +
                        std::to_string(u.hi) + "]";
        }
    }
    return bad;
}

// Every lit pixel of `a` has a lit pixel of `b` within one pixel each way. Merged column
// extents alone cannot see a missing join: at a vertical edge the neighbouring columns
// span the whole jump even when the edge itself is not drawn.
int PixelsWithoutNeighbour(const QImage& a, const QImage& b, const PlotRect& r, std::string& first) {
    int bad = 0;
    for (int x = 1; x < r.width - 1; ++x) {
        for (int y = 1; y < r.height - 1; ++y) {
            if (!Lit(a, r.left + x, r.top + y)) continue;
            bool near = false;
            for (int dx = -1; dx <= 1 && !near; ++dx)
                for (int dy = -1; dy <= 1 && !near; ++dy) near = Lit(b, r.left + x + dx, r.top + y + dy);
            if (!near && bad++ == 0) first = "(" + std::to_string(x) + "," + std::to_string(y) + ")";
        }
    }
    return bad;
}

// Opaque curves have their column spans written straight into the picture; translucent
// ones go through the painter as one polyline. Both must match.
TEST(CurveFaithfulness, FoldedColumnsMatchThePerSegmentDrawing) {
    for (quint32 colour : {0xFFFFFFFFu, 0xC0FFFFFFu}) {
        for (QSize size : {QSize(780, 360), QSize(1920, 1080)}) {
            for (Shape shape : {Shape::Random, Shape::Step, Shape::Spike, Shape::Sine, Shape::SparseSine}) {
                SCOPED_TRACE(std::string(Name(shape)) + " at " + std::to_string(size.width()) +
                             (colour >> 24 == 0xFF ? ", opaque" : ", translucent"));
                const Data d = Make(shape);
                Oscope fastPlot, refPlot;
                const QImage fast = Picture(d, size, Oscope::CurveMode::Fast, fastPlot, colour);
                const QImage ref = Picture(d, size, Oscope::CurveMode::PerSegment, refPlot, colour);
                ASSERT_EQ(fastPlot.PlotArea.width, refPlot.PlotArea.width);
                const auto fe = ColumnExtents(fast, fastPlot.PlotArea);
                const auto re = ColumnExtents(ref, refPlot.PlotArea);
                int drawn = 0;
                for (const Extent& e : re) drawn += !e.empty();
                EXPECT_GT(drawn, refPlot.PlotArea.width * 9 / 10);
                std::string where;
                EXPECT_EQ(ColumnsOutside(fe, re, where), 0) << "fast outside per-segment, first at " << where;
                EXPECT_EQ(ColumnsOutside(re, fe, where), 0) << "per-segment outside fast, first at " << where;
                EXPECT_EQ(PixelsWithoutNeighbour(fast, ref, fastPlot.PlotArea, where), 0)
                    << "fast pixel far from per-segment, first at " << where;
                EXPECT_EQ(PixelsWithoutNeighbour(ref, fast, refPlot.PlotArea, where), 0)
                    << "per-segment pixel missing in fast, first at " << where;

                for (int i : d.spikes) {
                    const QPoint tip = PixelOf(fastPlot, *fastPlot.Traces[0].Axis, d.x[i], d.y[i]);
                    bool reached = false;
                    for (int x = tip.x() - 1; x <= tip.x() + 1; ++x) reached |= Lit(fast, x, tip.y());
                    EXPECT_TRUE(reached) << "spike " << i << " misses its tip row " << tip.y();
                }
            }
        }
    }
}

// The fold itself: runs of one column become first, extremes, last; sparse data stay whole.
TEST(CurveFaithfulness, FoldKeepsFirstExtremesAndLastOfEachColumn) {
    const double xs[] = {0, 0.1, 0.2, 0.3, 1, 2, 2.1};
    const double ys[] = {5, 9, 1, 4, 3, 7, 7};
    const PixelMap map{1, 0, 1, 0, 10, 20};
    std::vector<QPoint> out;
    FoldColumns(xs, ys, 7, map, out);
    const std::vector<QPoint> expected = {{10, 25}, {10, 29}, {10, 21}, {10, 24},  // 5 -> 9 -> 1 -> 4
                                          {11, 23}, {12, 27}};
    EXPECT_EQ(out, expected);

    const std::vector<QPoint> all = CurvePoints(xs, ys, 5, map);
    std::vector<QPoint> sparse;
    const double sx[] = {0, 3, 6}, sy[] = {1, 2, 3};
    FoldColumns(sx, sy, 3, map, sparse);
    EXPECT_EQ(sparse, CurvePoints(sx, sy, 3, map));
    EXPECT_EQ(all.size(), 5u);
}

}  // namespace
}  // namespace ordalis::scope

namespace ordalis::scope {
namespace {

// A NaN in front used to make every comparison false: the curve's (or the time axis's)
// range came back NaN and the whole curve vanished.
TEST(CurveFaithfulness, MinMaxSkipsNaNWhereverItStands) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        std::vector<double> v;
        double lo, hi;
    } cases[] = {
        {{nan, 3, -1, nan, 7, 2}, -1, 7},
        {{4, nan, nan, nan, nan, -2, 9}, -2, 9},
        {{nan, nan, 5}, 5, 5},
    };
    for (const auto& c : cases) {
        double lo = 0, hi = 0;
        MinMax(c.v.data(), static_cast<int>(c.v.size()), lo, hi);
        EXPECT_EQ(lo, c.lo);
        EXPECT_EQ(hi, c.hi);
    }
    const double all[] = {nan, nan};
    double lo = 0, hi = 0;
    MinMax(all, 2, lo, hi);
    EXPECT_TRUE(std::isnan(lo) && std::isnan(hi));
}

}  // namespace
}  // namespace ordalis::scope
