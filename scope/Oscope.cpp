#include "scope/Oscope.h"

#include "scope/CurveDrawing.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace ordalis::scope {

namespace {
const QColor kBackground(128, 128, 128);
const QColor kText(255, 255, 255);
const QColor kFrame(66, 60, 66);
const QColor kPlot(0, 0, 0);

// The same as IncludeRange with every value, one reduction instead of two compares each.
void IncludeAll(Axis& axis, const QVector<double>& values) {
    if (values.isEmpty()) return;
    double lo, hi;
    MinMax(values.constData(), int(values.size()), lo, hi);
    axis.IncludeRange(lo, hi);
}

}  // namespace

Oscope::Oscope() = default;
Oscope::~Oscope() = default;

bool Oscope::SavePng(const QString& path) const {
    return !Bitmap.isNull() && Bitmap.save(path, "PNG");
}

void Oscope::AssignYAxes() {
    LeftAxes.clear();
    RightAxes.clear();
    YAxes.clear();
    m_valueAxes.clear();
    for (int i = 0; i < int(Traces.size()); ++i) {
        Traces[i].Axis = nullptr;
        if (!TakesPart(i)) continue;
        for (int j = 0; j < i; ++j) {
            if (TakesPart(j) && Traces[j].Name == Traces[i].Name) {
                Traces[i].Axis = Traces[j].Axis;
                break;
            }
        }
        if (Traces[i].Axis) continue;
        auto axis = std::make_unique<Axis>();
        axis->Title = Traces[i].Name;
        if (!Traces[i].Unit.isEmpty()) axis->Title += QStringLiteral(" (") + Traces[i].Unit + u')';
        Traces[i].Axis = axis.get();
        YAxes.append(axis.get());
        (LeftAxes.size() <= RightAxes.size() ? LeftAxes : RightAxes).append(axis.get());
        m_valueAxes.push_back(std::move(axis));
    }
}

void Oscope::CreateXAxis() {
    XAxes.clear();
    XAxisObject = std::make_unique<Axis>();
    XAxisObject->Title = X.Name;
    X.Axis = XAxisObject.get();
    XAxes.append(XAxisObject.get());
}

void Oscope::FitXTicks(int w) {
    if (!XAxisObject) return;  // no time axis before the first Draw
    Axis& axis = *XAxisObject;
    if (w <= 0) {
        axis.ComputeTicks(0);
        axis.ScaleToPixels(0, false);
        return;
    }
    int slot = m_text.wM + m_text.w000;
    // Fewer ticks give wider labels only rarely; the bound ends any back-and-forth.
    for (int round = 0; round < 16; ++round) {
        axis.ComputeTicks(w / std::max(slot, 1));
        axis.MeasureLabels(m_text.w0);
        if (axis.TickCount == 0 || w >= (m_text.wM + axis.LabelWidth) * axis.TickCount) break;
        slot = m_text.wM + axis.LabelWidth;
    }
    axis.ScaleToPixels(w, false);
}

int Oscope::SideWidth(const QList<Axis*>& list) const {
    int sum = 0;
    for (const Axis* axis : list)
        sum += (axis->Title.isEmpty() ? 0 : m_text.h) + axis->LabelWidth + m_text.w0;
    return sum != 0 ? sum + 2 * m_text.w0 : 0;
}

void Oscope::Layout() {
    const int W = Bitmap.width(), H = Bitmap.height();
    for (int i = 0; i < int(Traces.size()); ++i) {
        if (!TakesPart(i)) continue;
        Traces[i].Axis->ResetRange();
        IncludeAll(*Traces[i].Axis, Traces[i].Values);
    }
    XAxisObject->ResetRange();
    IncludeAll(*XAxisObject, X.Values);

    const int h = m_text.h;
    const int a = 2 * h;
    const int b = Nearest(h * 0.5 + 0.5) + 3 * h;
    const int c = H - a - b;
    for (Axis* axis : LeftAxes) axis->ComputeTicks(c / h);
    for (Axis* axis : RightAxes) axis->ComputeTicks(c / h);
    // An axis whose curves hold no values has no ticks; it does not take the others' away.
    int nMin = -1;
    for (const Axis* axis : YAxes)
        if (axis->TickCount > 0 && (nMin < 0 || axis->TickCount < nMin)) nMin = axis->TickCount;
    for (Axis* axis : YAxes) {
        if (axis->TickCount > 0) axis->FitTickCount(nMin);
        axis->MeasureLabels(m_text.w0);
        axis->ScaleToPixels(c, true);
    }
    int wL = SideWidth(LeftAxes), wR = SideWidth(RightAxes);
    FitXTicks(W - wL - wR);
    const int half = XAxisObject->LabelWidth / 2;
    wL = std::max(wL, half);
    wR = std::max(wR, half);

    LeftBand = QRect(0, a, wL, c);
    RightBand = QRect(W - wR, a, wR, c);
    const int m = W - wL - wR;
    // The whole picture in the background colour; the part under the plot area would be
    // painted over at once, so only the rest is filled (a large picture is bound by fills).
    if (m > 0 && c > 0) {
        for (const QRect& part : {QRect(0, 0, W, a), QRect(0, a + c, W, H - a - c), QRect(0, a, wL, c),
                                  QRect(wL + m, a, W - wL - m, c)})
            if (part.isValid()) m_painter->fillRect(part, kBackground);
    } else {
        m_painter->fillRect(QRect(0, 0, W, H), kBackground);
    }
    XBand = QRect(wL, c + a, m, b);
    FitXTicks(m);

    m_painter->setPen(kFrame);
    m_painter->setBrush(kPlot);
    Rectangle(wL, a, wL + m, a + c);
    PlotArea = {wL, a, c, m};
    TitleX = wL + m / 2;
    TitleY = Nearest(h * 0.5);
}

void Oscope::DrawXAxis() {
    const Axis& axis = *XAxisObject;
    const int x0 = XBand.x(), y0 = XBand.y(), h = m_text.h;
    m_painter->setPen(kFrame);
    m_painter->setBrush(kBackground);
    const QVector<int> ticks = axis.TickPixels();
    const QStringList labels = axis.TickLabels();
    const QFontMetrics fm = m_painter->fontMetrics();
    for (int t : ticks) LineTo(x0 + t, y0, x0 + t, y0 + Nearest(h / 2.0));
    for (int i = 0; i < ticks.size(); ++i)
        TextOut(x0 + ticks[i] - fm.horizontalAdvance(labels[i]) / 2, y0 + h, labels[i]);
    if (!axis.Title.isEmpty())
        TextOut(x0 + (XBand.width() - fm.horizontalAdvance(axis.Title)) / 2, y0 + 2 * h + 5, axis.Title);
}

void Oscope::DrawYAxes(bool left) {
    const QList<Axis*>& list = left ? LeftAxes : RightAxes;
    const QRect band = left ? LeftBand : RightBand;
    const int x0 = band.x(), y0 = band.y(), c = band.height(), h = m_text.h;
    const int d = left ? -1 : 1;
    int p = left ? band.width() - 1 : 0;
    const int tick = d * m_text.wDash;
    const QFontMetrics fm = m_painter->fontMetrics();
    for (int k = 0; k < list.size(); ++k) {
        const Axis& axis = *list[k];
        const QVector<int> ticks = axis.TickPixels();
        const QStringList labels = axis.TickLabels();
        if (k == 0) {
            m_painter->setPen(kFrame);
            m_painter->setBrush(kBackground);
            for (int t : ticks) LineTo(x0 + p, y0 + t, x0 + p + tick, y0 + t);
            p += 2 * tick;
        }
        for (int i = 0; i < ticks.size(); ++i) {
            const int y = y0 + ticks[i] - h / 2;
            TextOut(left ? x0 + p - fm.horizontalAdvance(labels[i]) : x0 + p, y, labels[i]);
        }
        p += d * axis.LabelWidth + tick;
        if (axis.Title.isEmpty()) continue;
        const int tw = fm.horizontalAdvance(axis.Title);
        p += d * h;
        m_painter->save();
        if (left) {
            m_painter->translate(x0 + p, y0 + (c + tw) / 2);
            m_painter->rotate(-90);  // reads upward
        } else {
            m_painter->translate(x0 + p, y0 + (c - tw) / 2);
            m_painter->rotate(90);  // reads downward
        }
        TextOut(0, 0, axis.Title);
        m_painter->restore();
        p += (d * h) / 2;
    }
}

void Oscope::DrawGridAndCurves() {
    if (YAxes.isEmpty()) return;
    const Axis& grid = *YAxes.first();
    const Axis& time = *XAxisObject;
    const PlotRect& r = PlotArea;
    m_painter->setPen(kFrame);
    if (Grid) {
        for (int t : time.TickPixels()) LineTo(r.left + t, r.top, r.left + t, r.top + r.height);
        for (int t : grid.TickPixels()) LineTo(r.left, r.top + t, r.left + r.width, r.top + t);
    }
    if (X.Values.isEmpty() || !time.HasScale() || r.width <= 0 || r.height <= 0) return;
    m_painter->save();
    m_painter->setClipRect(QRect(r.left, r.top, r.width, r.height));
    m_painter->setRenderHint(QPainter::Antialiasing, AntiAlias);
    std::vector<QPoint> scratch;
    std::vector<ColumnRun> runs;
    if (Curves == CurveMode::Fast) runs = ColumnRuns(X.Values.constData(), int(X.Values.size()), time.Scale, time.Offset);
    for (int i = 0; i < int(Traces.size()); ++i) {
        const TraceInfo& trace = Traces[i];
        if (!TakesPart(i) || trace.Values.isEmpty() || !trace.Axis->HasScale()) continue;
        const int count = int(std::min(trace.Values.size(), X.Values.size()));
        const PixelMap map{time.Scale, time.Offset, trace.Axis->Scale, trace.Axis->Offset, r.left, r.top};
        const QRgb argb = ToArgb(trace.Colour);
        // Square caps: a line covers its end pixels fully, so a spike's tip pixel is whole.
        m_painter->setPen(QPen(QColor::fromRgba(argb), 1, Qt::SolidLine, Qt::SquareCap));
        if (Curves == CurveMode::PerSegment) {
            DrawCurvePerSegment(*m_painter, X.Values.constData(), trace.Values.constData(), count, map);
            continue;
        }
        const DirectSpans direct{&Bitmap, QRect(r.left, r.top, r.width, r.height), argb};
        const bool opaque = qAlpha(argb) == 255 && AntiAlias;
        DrawCurveFast(*m_painter, runs, trace.Values.constData(), count, map, scratch, opaque ? &direct : nullptr);
    }
    m_painter->restore();
}

void Oscope::DrawTitle() {
    TitleX -= m_painter->fontMetrics().horizontalAdvance(Title) / 2;
    TextOut(TitleX, TitleY, Title);
}

const QImage& Oscope::Draw(QSize size) {
    Bitmap = QImage(size.expandedTo(QSize(0, 0)), QImage::Format_ARGB32_Premultiplied);
    if (Bitmap.isNull()) {
        LeftAxes.clear(), RightAxes.clear(), YAxes.clear(), XAxes.clear();
        return Bitmap;
    }
    m_painter = std::make_unique<QPainter>(&Bitmap);
    const QFontMetrics fm = m_painter->fontMetrics();
    m_text = {fm.height(), fm.horizontalAdvance(u'0'), fm.horizontalAdvance(u'M'),
              fm.horizontalAdvance(QStringLiteral("000")), fm.horizontalAdvance(u'-')};
    m_painter->setBackgroundMode(Qt::OpaqueMode);  // text is written on the background colour
    m_painter->setBackground(kBackground);
    AssignYAxes();
    CreateXAxis();
    Layout();
    DrawXAxis();
    DrawYAxes(true);
    DrawYAxes(false);
    DrawGridAndCurves();
    DrawTitle();
    m_painter.reset();
    return Bitmap;
}

void Oscope::TextOut(int x, int y, const QString& text) {
    if (text.isEmpty()) return;
    m_painter->setPen(kText);
    m_painter->drawText(QPoint(x, y + m_painter->fontMetrics().ascent()), text);
}

void Oscope::Rectangle(int x1, int y1, int x2, int y2) {
    if (x2 <= x1 || y2 <= y1) return;
    m_painter->fillRect(QRect(x1, y1, x2 - x1, y2 - y1), m_painter->brush());
    m_painter->drawRect(QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1));
}

// A one-pixel line without its end point, horizontal or vertical.
void Oscope::LineTo(int x1, int y1, int x2, int y2) {
    if (x1 == x2 && y1 == y2) return;
    const int dx = (x2 > x1) - (x2 < x1), dy = (y2 > y1) - (y2 < y1);
    m_painter->drawLine(x1, y1, x2 - dx, y2 - dy);
}

}  // namespace ordalis::scope
