#include "scope/ScopePicture.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace ordalis {

namespace {
const QColor kCursorColour[2] = {QColor(255, 255, 255), QColor(255, 160, 0)};
QString Value(double v) { return QString::number(v, 'g', 5); }
}  // namespace

ScopePicture::ScopePicture(QWidget* image) : QObject(image), image_w_(image) {
    image_w_->installEventFilter(this);
    image_w_->setMouseTracking(false);
    image_w_->setContextMenuPolicy(Qt::DefaultContextMenu);
}

ScopePicture::~ScopePicture() = default;

void ScopePicture::Show(std::unique_ptr<scope::Oscope> plot) {
    plot_ = std::move(plot);
    const int n = plot_ ? static_cast<int>(plot_->X.Values.size()) : 0;
    for (int& c : cursor_)
        if (c >= n) c = -1;
    Redraw();
}

void ScopePicture::Redraw() {
    if (!plot_) return;
    image_ = plot_->Draw(image_w_->size());
    image_w_->update();
}

bool ScopePicture::SavePng(const QString& path) const { return !image_.isNull() && image_.save(path, "PNG"); }

void ScopePicture::ClearCursors() {
    cursor_[0] = cursor_[1] = -1;
    image_w_->update();
}

// Sample nearest to a pixel column of the plot area; -1 without a time axis.
int ScopePicture::SampleAt(int x) const {
    if (!plot_ || !plot_->XAxisObject || plot_->XAxisObject->Scale == 0 || plot_->X.Values.isEmpty()) return -1;
    const scope::Axis& ax = *plot_->XAxisObject;
    const double t = (x - plot_->PlotArea.left - ax.Offset) / ax.Scale;
    const QVector<double>& xs = plot_->X.Values;
    const auto it = std::lower_bound(xs.begin(), xs.end(), t);
    int i = static_cast<int>(it - xs.begin());
    if (i >= xs.size()) i = static_cast<int>(xs.size()) - 1;
    if (i > 0 && std::abs(xs[i - 1] - t) <= std::abs(xs[i] - t)) --i;
    return i;
}

int ScopePicture::PixelOf(int sample) const {
    const scope::Axis& ax = *plot_->XAxisObject;
    return plot_->PlotArea.left + static_cast<int>(std::lround(ax.ValueToPixel(plot_->X.Values[sample])));
}

void ScopePicture::PlaceCursorAt(int x) {
    const int s = SampleAt(x);
    if (s < 0) return;
    int which = cursor_[0] < 0 ? 0 : cursor_[1] < 0 ? 1 : -1;
    if (which < 0)  // both placed: the nearer one moves
        which = std::abs(PixelOf(cursor_[0]) - x) <= std::abs(PixelOf(cursor_[1]) - x) ? 0 : 1;
    cursor_[which] = s;
    dragging_ = which;
    image_w_->update();
}

QStringList ScopePicture::ReadOut() const {
    QStringList lines;
    if (!plot_) return lines;
    const QVector<double>& xs = plot_->X.Values;
    auto valueAt = [&](int trace, int s) {
        const QVector<double>& v = plot_->Traces[trace].Values;
        return s >= 0 && s < v.size() ? v[s] : std::nan("");
    };
    for (int c = 0; c < 2; ++c) {
        if (cursor_[c] < 0) continue;
        QString line = QStringLiteral("%1: t=%2 s").arg(QChar(u'A' + c)).arg(Value(xs[cursor_[c]]));
        for (int i = 0; i < 6; ++i)
            if (plot_->TakesPart(i))
                line += QStringLiteral("  %1=%2").arg(i + 1).arg(Value(valueAt(i, cursor_[c])));
        lines << line;
    }
    if (cursor_[0] >= 0 && cursor_[1] >= 0) {
        QString line = QStringLiteral("B-A: Δt=%1 s").arg(Value(xs[cursor_[1]] - xs[cursor_[0]]));
        for (int i = 0; i < 6; ++i)
            if (plot_->TakesPart(i))
                line += QStringLiteral("  Δ%1=%2").arg(i + 1).arg(Value(valueAt(i, cursor_[1]) - valueAt(i, cursor_[0])));
        lines << line;
    }
    return lines;
}

void ScopePicture::Paint() {
    QPainter p(image_w_);
    if (!image_.isNull()) p.drawImage(0, 0, image_);
    if (!plot_) return;
    const scope::PlotRect& a = plot_->PlotArea;
    for (int c = 0; c < 2; ++c) {
        if (cursor_[c] < 0 || cursor_[c] >= plot_->X.Values.size()) continue;
        p.setPen(QPen(kCursorColour[c], 1, Qt::DashLine));
        const int x = PixelOf(cursor_[c]);
        p.drawLine(x, a.top, x, a.top + a.height - 1);
        p.drawText(x + 3, a.top + p.fontMetrics().ascent() + 2, QString(QChar(u'A' + c)));
    }
    PaintReadOut(p);
}

void ScopePicture::PaintReadOut(QPainter& p) {
    const QStringList lines = ReadOut();
    if (lines.isEmpty()) return;
    const QFontMetrics fm = p.fontMetrics();
    int w = 0;
    for (const QString& l : lines) w = std::max(w, fm.horizontalAdvance(l));
    const scope::PlotRect& a = plot_->PlotArea;
    const QRect box(a.left + 4, a.top + 4, w + 8, fm.height() * static_cast<int>(lines.size()) + 6);
    p.fillRect(box, QColor(0, 0, 0, 190));
    p.setPen(QColor(255, 255, 255));
    for (int i = 0; i < lines.size(); ++i) p.drawText(box.left() + 4, box.top() + 3 + fm.ascent() + i * fm.height(), lines[i]);
}

void ScopePicture::ContextMenu(const QPoint& global) {
    QMenu menu;
    auto text = [this](int which) { return MenuText ? MenuText(which) : QString(); };
    QAction* csv = menu.addAction(text(0));
    QAction* png = menu.addAction(text(1));
    menu.addSeparator();
    QAction* clear = menu.addAction(text(2));
    QAction* chosen = menu.exec(global);
    if (chosen == csv && OnSaveCsv) OnSaveCsv();
    if (chosen == png && OnSavePng) OnSavePng();
    if (chosen == clear) ClearCursors();
}

bool ScopePicture::eventFilter(QObject* watched, QEvent* event) {
    if (watched != image_w_) return false;
    switch (event->type()) {
        case QEvent::Paint: Paint(); return true;
        case QEvent::Resize: Redraw(); return false;
        case QEvent::MouseButtonPress: {
            auto* e = static_cast<QMouseEvent*>(event);
            if (e->button() != Qt::LeftButton) return false;
            PlaceCursorAt(e->position().toPoint().x());
            return true;
        }
        case QEvent::MouseMove: {
            auto* e = static_cast<QMouseEvent*>(event);
            if (dragging_ < 0 || !(e->buttons() & Qt::LeftButton)) return false;
            const int s = SampleAt(e->position().toPoint().x());
            if (s >= 0) cursor_[dragging_] = s;
            image_w_->update();
            return true;
        }
        case QEvent::MouseButtonRelease: dragging_ = -1; return false;
        case QEvent::ContextMenu: ContextMenu(static_cast<QContextMenuEvent*>(event)->globalPos()); return true;
        default: return false;
    }
}

}  // namespace ordalis
