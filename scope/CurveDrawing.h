#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QVector>
#include <vector>

class QPainter;

namespace ordalis::scope {

// Maps a sample (x, y) to the pixel (left + nearest(sx*x + ox), top + nearest(sy*y + oy)).
struct PixelMap {
    double sx = 0, ox = 0, sy = 0, oy = 0;
    int left = 0, top = 0;
};

// The pixel points of one curve, as the per-segment drawing joins them.
std::vector<QPoint> CurvePoints(const double* xs, const double* ys, int count, const PixelMap& map);

// Samples [start, next run's start) fall into one pixel column. The time values are the
// same for every curve, so the runs are found once per picture.
struct ColumnRun {
    int start = 0;
    int column = 0;  // pixel column relative to the map's left
};
std::vector<ColumnRun> ColumnRuns(const double* xs, int count, double sx, double ox);

// Smallest and largest of n > 0 values, NaN skipped (both NaN when every value is).
void MinMax(const double* v, int n, double& lo, double& hi);

// A polyline that draws the same pixels as joining every pair of consecutive samples,
// with the samples of each run in one pixel column folded into at most four points:
// the run's first sample, its minimum and maximum (every spike keeps its tip), its last
// sample. The join from one column to the next stays the original segment, so steep
// edges keep their pixels in both columns. Where samples are sparser than pixels the
// result is the plain polyline of all points.
void FoldColumns(const std::vector<ColumnRun>& runs, const double* ys, int count, const PixelMap& map,
                 std::vector<QPoint>& out);
void FoldColumns(const double* xs, const double* ys, int count, const PixelMap& map,
                 std::vector<QPoint>& out);

// Both drawings expect the painter's pen, antialiasing and clip to be set; points are
// drawn at pixel centres.
// An opaque curve colour on a raster picture: a column's vertical span covers whole pixels
// (a one-pixel line at the pixel centres with square caps), so it can be written straight
// into the image instead of being blended pixel by pixel.
struct DirectSpans {
    QImage* image = nullptr;  // ARGB32_Premultiplied, the painter's device
    QRect clip;
    QRgb colour = 0;  // alpha 255
};
void DrawCurveFast(QPainter& painter, const std::vector<ColumnRun>& runs, const double* ys, int count,
                   const PixelMap& map, std::vector<QPoint>& scratch, const DirectSpans* direct = nullptr);
// One antialiased line per pair of consecutive samples (the reference drawing).
void DrawCurvePerSegment(QPainter& painter, const double* xs, const double* ys, int count,
                         const PixelMap& map);

}  // namespace ordalis::scope
