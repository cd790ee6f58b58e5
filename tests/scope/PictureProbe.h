#pragma once

#include "scope/Oscope.h"

#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace ordalis::scope::probe {

constexpr QRgb kBackground = 0xFF808080u;
constexpr QRgb kFrame = 0xFF423C42u;
constexpr QRgb kBlack = 0xFF000000u;

inline QRgb At(const QImage& image, int x, int y) { return image.pixel(x, y) | 0xFF000000u; }

// A curve pixel: a light curve colour with some coverage (brighter than the frame).
inline bool Lit(const QImage& image, int x, int y) {
    const QRgb c = image.pixel(x, y);
    return std::max({qRed(c), qGreen(c), qBlue(c)}) >= 96;
}

// Within a quarter of full scale in every channel (anti-aliased edges are a little darker).
inline bool Near(QRgb c, QRgb target) {
    return std::abs(qRed(c) - qRed(target)) < 64 && std::abs(qGreen(c) - qGreen(target)) < 64 &&
           std::abs(qBlue(c) - qBlue(target)) < 64;
}

struct Extent {
    int lo = 0, hi = -1;  // empty when hi < lo
    bool empty() const { return hi < lo; }
};

// Vertical extent of lit pixels in every column of the plot area (curves at the extremes
// of an axis lie on the frame's rows; the frame's columns are left out).
inline std::vector<Extent> ColumnExtents(const QImage& image, const PlotRect& r) {
    std::vector<Extent> columns(r.width);
    for (int x = 1; x < r.width - 1; ++x) {
        Extent& e = columns[x];
        for (int y = 0; y < r.height; ++y) {
            if (!Lit(image, r.left + x, r.top + y)) continue;
            if (e.empty()) e.lo = y;
            e.hi = y;
        }
    }
    return columns;
}

// The sample's pixel as the engine maps it.
inline QPoint PixelOf(const Oscope& o, const Axis& yAxis, double x, double y) {
    return {o.PlotArea.left + Nearest(o.XAxisObject->ValueToPixel(x)),
            o.PlotArea.top + Nearest(yAxis.ValueToPixel(y))};
}

}  // namespace ordalis::scope::probe
