#include "scope/CurveDrawing.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <limits>
#include <cstdlib>

namespace ordalis::scope {

namespace {

// Round half to even without a library call: adding and subtracting 1.5 * 2^52 leaves
// the nearest integer in the default rounding mode. The clamp keeps far-off or NaN
// values inside the int range (NaN goes to the lower bound).
inline int PixelOf(double v) {
    constexpr double lo = -1e6, hi = 1e6, magic = 6755399441055744.0;
    v = v > lo ? (v < hi ? v : hi) : lo;
    return static_cast<int>((v + magic) - magic);
}

}  // namespace

std::vector<QPoint> CurvePoints(const double* xs, const double* ys, int count, const PixelMap& map) {
    std::vector<QPoint> points;
    points.reserve(count > 0 ? count : 0);
    for (int i = 0; i < count; ++i)
        points.emplace_back(map.left + PixelOf(map.sx * xs[i] + map.ox),
                            map.top + PixelOf(map.sy * ys[i] + map.oy));
    return points;
}

// The reductions read every sample once and are bound by memory; they are built for a
// newer instruction set as well, chosen at run time, so that they do not pay the penalty
// of plain SSE code running after the wide vector code of Qt's fills.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_ADDRESS__)
#define ORDALIS_WIDE_CLONES __attribute__((target_clones("arch=x86-64-v3", "default")))
#else
#define ORDALIS_WIDE_CLONES
#endif

ORDALIS_WIDE_CLONES
std::vector<ColumnRun> ColumnRuns(const double* xs, int count, double sx, double ox) {
    std::vector<ColumnRun> runs;
    int column = 0;
    for (int i = 0; i < count; ++i) {
        const int px = PixelOf(sx * xs[i] + ox);
        if (i == 0 || px != column) {
            runs.push_back({i, px});
            column = px;
        }
    }
    return runs;
}

ORDALIS_WIDE_CLONES
void MinMax(const double* v, int n, double& lo, double& hi) {
    // Start from the first value that is a number: every comparison with a NaN start is
    // false, so one NaN in front would hide the whole curve. Later NaNs are skipped by
    // the comparisons themselves.
    int i = 0;
    while (i < n && std::isnan(v[i])) ++i;
    if (i == n) {
        lo = hi = std::numeric_limits<double>::quiet_NaN();
        return;
    }
    // Four independent accumulators: one chain of min/max would wait on its own latency.
    double l0 = v[i], l1 = v[i], l2 = v[i], l3 = v[i];
    double h0 = v[i], h1 = v[i], h2 = v[i], h3 = v[i];
    for (; i + 4 <= n; i += 4) {
        l0 = v[i] < l0 ? v[i] : l0;
        l1 = v[i + 1] < l1 ? v[i + 1] : l1;
        l2 = v[i + 2] < l2 ? v[i + 2] : l2;
        l3 = v[i + 3] < l3 ? v[i + 3] : l3;
        h0 = v[i] > h0 ? v[i] : h0;
        h1 = v[i + 1] > h1 ? v[i + 1] : h1;
        h2 = v[i + 2] > h2 ? v[i + 2] : h2;
        h3 = v[i + 3] > h3 ? v[i + 3] : h3;
    }
    for (; i < n; ++i) {
        l0 = v[i] < l0 ? v[i] : l0;
        h0 = v[i] > h0 ? v[i] : h0;
    }
    lo = std::min(std::min(l0, l1), std::min(l2, l3));
    hi = std::max(std::max(h0, h1), std::max(h2, h3));
}

void FoldColumns(const std::vector<ColumnRun>& runs, const double* ys, int count, const PixelMap& map,
                 std::vector<QPoint>& out) {
    out.clear();
    for (size_t r = 0; r < runs.size() && runs[r].start < count; ++r) {
        const int start = runs[r].start;
        const int end = r + 1 < runs.size() && runs[r + 1].start < count ? runs[r + 1].start : count;
        const int x = map.left + runs[r].column;
        const int first = PixelOf(map.sy * ys[start] + map.oy);
        out.emplace_back(x, map.top + first);
        if (end - start == 1) continue;
        // The pixel mapping is monotonic, so the extreme values give the extreme rows.
        double vLo, vHi;
        MinMax(ys + start, end - start, vLo, vHi);
        const int a = PixelOf(map.sy * vLo + map.oy), b = PixelOf(map.sy * vHi + map.oy);
        const int lo = std::min(a, b), hi = std::max(a, b);
        const int last = PixelOf(map.sy * ys[end - 1] + map.oy);
        if (lo == hi) continue;
        // Visit both extremes on the shorter way from the first to the last sample.
        if (std::abs(first - lo) + std::abs(hi - last) <= std::abs(first - hi) + std::abs(lo - last)) {
            out.emplace_back(x, map.top + lo);
            out.emplace_back(x, map.top + hi);
        } else {
            out.emplace_back(x, map.top + hi);
            out.emplace_back(x, map.top + lo);
        }
        out.emplace_back(x, map.top + last);
    }
}

void FoldColumns(const double* xs, const double* ys, int count, const PixelMap& map,
                 std::vector<QPoint>& out) {
    FoldColumns(ColumnRuns(xs, count, map.sx, map.ox), ys, count, map, out);
}

void DrawCurveFast(QPainter& painter, const std::vector<ColumnRun>& runs, const double* ys, int count,
                   const PixelMap& map, std::vector<QPoint>& scratch, const DirectSpans* direct) {
    FoldColumns(runs, ys, count, map, scratch);
    if (scratch.size() < 2) return;  // a single point: the per-segment drawing shows nothing either
    painter.save();
    painter.translate(0.5, 0.5);
    if (!direct) {
        painter.drawPolyline(scratch.data(), static_cast<int>(scratch.size()));
    } else {
        // A column's points share its x; the joins to the next column are lines, the
        // column's own span is written straight into the picture.
        std::vector<QLine> joins;
        joins.reserve(runs.size());
        uchar* bits = direct->image->bits();
        const qsizetype stride = direct->image->bytesPerLine();
        const QRect& clip = direct->clip;
        size_t g = 0;
        while (g < scratch.size()) {
            size_t e = g + 1;
            int lo = scratch[g].y(), hi = lo;
            for (; e < scratch.size() && scratch[e].x() == scratch[g].x(); ++e) {
                lo = std::min(lo, scratch[e].y());
                hi = std::max(hi, scratch[e].y());
            }
            const int x = scratch[g].x();
            if (hi > lo && x >= clip.left() && x <= clip.right()) {
                const int y0 = std::max(lo, clip.top()), y1 = std::min(hi, clip.bottom());
                for (int y = y0; y <= y1; ++y) reinterpret_cast<QRgb*>(bits + y * stride)[x] = direct->colour;
            }
            if (e < scratch.size()) joins.emplace_back(scratch[e - 1], scratch[e]);
            g = e;
        }
        painter.drawLines(joins.data(), static_cast<int>(joins.size()));
    }
    painter.restore();
}

void DrawCurvePerSegment(QPainter& painter, const double* xs, const double* ys, int count,
                         const PixelMap& map) {
    const std::vector<QPoint> points = CurvePoints(xs, ys, count, map);
    const QPointF centre(0.5, 0.5);
    for (size_t j = 1; j < points.size(); ++j)
        painter.drawLine(QPointF(points[j - 1]) + centre, QPointF(points[j]) + centre);
}

}  // namespace ordalis::scope
