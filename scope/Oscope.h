#pragma once

#include "scope/Axis.h"

#include <QImage>
#include <QList>
#include <QRect>
#include <QString>
#include <QVector>
#include <array>
#include <memory>
#include <vector>

class QPainter;

namespace ordalis::scope {

// One curve. Colour is 0xAABBGGRR (a platform colour value with alpha on top).
struct TraceInfo {
    bool Visible = false;
    QString Name;
    QString Unit;
    quint32 Colour = 0xFF000000u;
    ordalis::scope::Axis* Axis = nullptr;  // not owned
    QVector<double> Values;
};

struct PlotRect {
    int left = 0, top = 0, height = 0, width = 0;
};

// Text metrics of the picture's font.
struct TextMetrics {
    int h = 0, w0 = 0, wM = 0, w000 = 0, wDash = 0;
};

// The oscilloscope picture: up to six curves over one time axis, each with a value axis
// of its own or shared with earlier curves of the same name, value axes alternating left
// and right, ticks, labels, grid and title. Fill the public fields, call Draw.
class Oscope {
public:
    // How curves are drawn. Fast folds the samples of each pixel column; PerSegment joins
    // every pair of samples with its own line (slow; kept as the reference drawing).
    enum class CurveMode { Fast, PerSegment };

    std::array<TraceInfo, 6> Traces;
    TraceInfo X;  // Name: time-axis title; Values: time of each sample in seconds
    QImage Bitmap;
    bool Grid = true;
    QString Title;
    bool Markers = false;  // no point markers are drawn either way
    bool AntiAlias = true;
    bool Lines = true;     // samples are joined by lines either way
    QList<Axis*> LeftAxes, RightAxes, YAxes, XAxes;
    int TitleX = 0, TitleY = 0;
    std::unique_ptr<Axis> XAxisObject;
    QRect XBand, LeftBand, RightBand;
    PlotRect PlotArea;
    CurveMode Curves = CurveMode::Fast;

    Oscope();
    ~Oscope();
    Oscope(const Oscope&) = delete;
    Oscope& operator=(const Oscope&) = delete;

    // Builds the whole picture from scratch at the given size and returns it
    // (ARGB32_Premultiplied; convert once if a window needs another format). Axes and
    // layout stay readable until the next Draw.
    const QImage& Draw(QSize size);
    bool SavePng(const QString& path) const;

    bool TakesPart(int i) const { return Traces[i].Visible && !Traces[i].Name.isEmpty(); }
    const TextMetrics& Metrics() const { return m_text; }

    void AssignYAxes();
    void CreateXAxis();
    void FitXTicks(int w);
    int SideWidth(const QList<Axis*>& list) const;

private:
    void Layout();
    void DrawXAxis();
    void DrawYAxes(bool left);
    void DrawGridAndCurves();
    void DrawTitle();
    void TextOut(int x, int y, const QString& text);
    void Rectangle(int x1, int y1, int x2, int y2);
    void LineTo(int x1, int y1, int x2, int y2);

    std::vector<std::unique_ptr<Axis>> m_valueAxes;
    std::unique_ptr<QPainter> m_painter;
    TextMetrics m_text;
};

// 0xAABBGGRR to 0xAARRGGBB.
constexpr quint32 ToArgb(quint32 c) {
    return (c & 0xFF00FF00u) | ((c & 0xFFu) << 16) | ((c >> 16) & 0xFFu);
}

}  // namespace ordalis::scope
