// Plot benchmark: the oscilloscope picture drawn by our engine, by the per-segment
// drawing (one anti-aliased line per pair of samples) and, when it was found at build
// time, by QCustomPlot with its default adaptive sampling, side by side in one run.
// Prints medians and ratios; asserts nothing. Run with QT_QPA_PLATFORM=offscreen.
#include "scope/CurveDrawing.h"
#include "scope/Oscope.h"

#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

#ifdef ORDALIS_HAVE_QCUSTOMPLOT
#include <QApplication>
#include <qcustomplot.h>
using App = QApplication;
#else
#include <QGuiApplication>
using App = QGuiApplication;
#endif

using namespace ordalis::scope;

namespace {

constexpr quint32 kColours[6] = {0xFF0000FFu, 0xFF00FF00u, 0xFF00FFFFu, 0xFFFFFF00u, 0xFFF512DFu, 0xFFFFFFFFu};
const char* const kNames[6] = {"电流", "速度", "位置", "电压", "角度", "误差"};

struct Curves {
    QVector<double> x;
    std::array<QVector<double>, 6> y;
};

// Mixed shapes: sines, noise, steps, a sine with noise, and single-sample spikes on top.
Curves MakeCurves(int n) {
    Curves c;
    c.x.resize(n);
    std::mt19937 rng(42);
    std::normal_distribution<double> noise(0, 1);
    for (int i = 0; i < n; ++i) c.x[i] = i * 0.5 / n;
    for (int k = 0; k < 6; ++k) {
        c.y[k].resize(n);
        for (int i = 0; i < n; ++i) {
            const double t = c.x[i];
            switch (k) {
            case 0: c.y[k][i] = 3 * std::sin(2 * M_PI * 9 * t); break;
            case 1: c.y[k][i] = 1500 * noise(rng); break;
            case 2: c.y[k][i] = (i / (n / 9 + 1)) % 2 ? 20000 : -5000; break;
            case 3: c.y[k][i] = 48 + 2 * std::sin(2 * M_PI * 50 * t) + 0.3 * noise(rng); break;
            case 4: c.y[k][i] = std::fmod(t * 3600, 360); break;
            case 5: c.y[k][i] = 0.01 * noise(rng); break;
            }
        }
        for (int i = 997 * (k + 1); i < n; i += 7919) c.y[k][i] += (i % 2 ? -1 : 1) * 40 * (std::fabs(c.y[k][i]) + 1);
    }
    return c;
}

void Fill(Oscope& o, const Curves& c) {
    o.X.Values = c.x;
    o.X.Name = "时间(秒)";
    o.Title = "示波器";
    for (int k = 0; k < 6; ++k) {
        o.Traces[k].Visible = true;
        o.Traces[k].Name = kNames[k];
        o.Traces[k].Unit = "u";
        o.Traces[k].Colour = kColours[k];
        o.Traces[k].Values = c.y[k];
    }
}

struct Case {
    const char* name;
    std::function<void()> run;
    std::vector<double> ms;
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Runs every case once per round, interleaved, so that a busy moment of the machine
// hits all of them alike.
void Measure(std::vector<Case>& cases, int rounds) {
    for (Case& c : cases) c.run();  // warm-up
    for (int r = 0; r < rounds; ++r) {
        for (Case& c : cases) {
            QElapsedTimer timer;
            timer.start();
            c.run();
            c.ms.push_back(timer.nsecsElapsed() / 1e6);
        }
    }
}

#ifdef ORDALIS_HAVE_QCUSTOMPLOT
// Six graphs on six value axes (three a side), anti-aliased, adaptive sampling (the
// default), rendered into an image of the same size and format as ours.
struct QcpPlot {
    QCustomPlot plot;
    explicit QcpPlot(const Curves& c) {
        plot.setNotAntialiasedElements(QCP::aeNone);
        plot.setAntialiasedElements(QCP::aeAll);
        QCPAxisRect* rect = plot.axisRect();
        for (int k = 0; k < 6; ++k) {
            QCPAxis* value = k == 0 ? plot.yAxis
                             : k == 1 ? plot.yAxis2
                                      : rect->addAxis(k % 2 ? QCPAxis::atRight : QCPAxis::atLeft);
            value->setVisible(true);
            QCPGraph* g = plot.addGraph(plot.xAxis, value);
            g->setData(c.x, c.y[k], true);
            g->setAdaptiveSampling(true);
            g->setAntialiased(true);
            g->setPen(QPen(QColor::fromRgba(ToArgb(kColours[k])), 1));
            g->rescaleAxes();
        }
        plot.setBackground(QColor(128, 128, 128));
        rect->setBackground(Qt::black);
        plot.setPlottingHint(QCP::phFastPolylines, true);
    }
    void Render(QImage& image) {
        image.fill(Qt::transparent);
        QCPPainter painter(&image);
        plot.toPainter(&painter, image.width(), image.height());
    }
};
#endif

void Report(const std::vector<Case>& cases, size_t fast, size_t perSegment, long qcp) {
    for (const Case& c : cases) std::printf("  %-44s %9.3f ms\n", c.name, Median(c.ms));
    const double f = Median(cases[fast].ms);
    std::printf("  per-segment / our Draw:   %6.1f x\n", Median(cases[perSegment].ms) / f);
    if (qcp >= 0) std::printf("  QCustomPlot / our Draw:   %6.2f x\n", Median(cases[size_t(qcp)].ms) / f);
}

void Run(const char* title, int samples, QSize size, int rounds) {
    std::printf("\n%s: 6 x %d samples into %d x %d, anti-aliased, ARGB32_Premultiplied\n", title, samples,
                size.width(), size.height());
    const Curves curves = MakeCurves(samples);
    Oscope fast, perSegment, empty;
    Fill(fast, curves);
    Fill(perSegment, curves);
    perSegment.Curves = Oscope::CurveMode::PerSegment;
    Fill(empty, curves);
    for (TraceInfo& t : empty.Traces) t.Values.clear();  // axes, labels, text: the fixed cost

    // The bare reductions: min/max of every value, and the column fold of every curve.
    const Axis* time = nullptr;
    fast.Draw(size);
    time = fast.XAxisObject.get();
    std::vector<PixelMap> maps;
    for (const TraceInfo& t : fast.Traces)
        maps.push_back({time->Scale, time->Offset, t.Axis->Scale, t.Axis->Offset, 0, 0});
    double sink = 0;
    std::vector<QPoint> scratch;
    std::vector<ColumnRun> runs;
    std::vector<Case> cases = {
        {"our Draw (folded columns)", [&] { fast.Draw(size); }, {}},
        {"per-segment Draw", [&] { perSegment.Draw(size); }, {}},
        {"our Draw without curve values (fixed cost)", [&] { empty.Draw(size); }, {}},
        {"bare min/max of all values", [&] {
             for (const QVector<double>& y : curves.y) {
                 double lo, hi;
                 MinMax(y.constData(), int(y.size()), lo, hi);
                 sink += lo + hi;
             }
         }, {}},
        {"column fold of all curves (no drawing)", [&] {
             runs = ColumnRuns(curves.x.constData(), samples, time->Scale, time->Offset);
             for (int k = 0; k < 6; ++k) {
                 FoldColumns(runs, curves.y[k].constData(), samples, maps[k], scratch);
                 sink += double(scratch.size());
             }
         }, {}},
    };
    long qcp = -1;
#ifdef ORDALIS_HAVE_QCUSTOMPLOT
    QcpPlot qcpPlot(curves);
    QImage qcpImage(size, QImage::Format_ARGB32_Premultiplied);
    qcp = long(cases.size());
    cases.push_back({"QCustomPlot 2.1, adaptive sampling", [&] { qcpPlot.Render(qcpImage); }, {}});
#endif
    Measure(cases, rounds);
    Report(cases, 0, 1, qcp);
    if (sink == 0.123) std::printf("%f\n", sink);
}

}  // namespace

int main(int argc, char** argv) {
    App app(argc, argv);
#ifndef ORDALIS_HAVE_QCUSTOMPLOT
    std::printf("QCustomPlot (Qt 6 build) was not found at build time: comparison skipped.\n");
#endif
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    Run("Full capture", 65535, {780, 360}, rounds);
    Run("Usual capture", 1000, {780, 360}, rounds * 4);
    Run("Full capture, large window", 65535, {1920, 1080}, rounds);
    return 0;
}
