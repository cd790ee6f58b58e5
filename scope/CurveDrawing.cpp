#include "scope/CurveDrawing.h"

#include <QPainter>
#include <climits>

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

// The reduction reads every sample once and is bound by memory; it is built for a newer
// instruction set as well, chosen at run time, so that it does not pay the penalty of
// plain SSE code running after the wide vector code in Qt's fills.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
__attribute__((target_clones("arch=x86-64-v3", "default")))
#endif
void FoldColumns(const double* xs, const double* ys, int count, const PixelMap& map,
                 std::vector<QPoint>& out) {
    out.clear();
    if (count <= 0) return;
    int column = INT_MIN, first = 0, last = 0, lo = 0, hi = 0;
    auto flush = [&] {
        const int x = map.left + column;
        out.emplace_back(x, map.top + first);
        if (lo != hi) {
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
    };
    for (int i = 0; i < count; ++i) {
        const int px = PixelOf(map.sx * xs[i] + map.ox);
        const int py = PixelOf(map.sy * ys[i] + map.oy);
        if (px != column) {
            if (column != INT_MIN) flush();
            column = px;
            first = last = lo = hi = py;
        } else {
            last = py;
            lo = py < lo ? py : lo;
            hi = py > hi ? py : hi;
        }
    }
    flush();
}

void DrawCurveFast(QPainter& painter, const double* xs, const double* ys, int count,
                   const PixelMap& map, std::vector<QPoint>& scratch) {
    FoldColumns(xs, ys, count, map, scratch);
    if (scratch.size() < 2) return;  // a single point: the per-segment drawing shows nothing either
    painter.save();
    painter.translate(0.5, 0.5);
    painter.drawPolyline(scratch.data(), static_cast<int>(scratch.size()));
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
