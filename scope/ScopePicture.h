#pragma once
// The picture of the oscilloscope window (Image321): shows the last drawn plot 1:1 from
// its top-left corner, redraws it at the new size when the control is resized, and holds
// two cursors (click to place, drag to move) with a read-out of the time and each
// curve's value at each cursor and their difference. A context menu offers the export.
// It watches a plain widget through an event filter, so it is no window of its own.
#include <QImage>
#include <QObject>
#include <QPoint>
#include <functional>
#include <memory>

#include "scope/Oscope.h"

class QWidget;
class QPainter;

namespace ordalis {

class ScopePicture : public QObject {
public:
    explicit ScopePicture(QWidget* image);
    ~ScopePicture() override;

    // Draws the plot at the control's size and keeps it for later redraws and cursors.
    void Show(std::unique_ptr<scope::Oscope> plot);
    bool HasPlot() const { return plot_ != nullptr; }
    const scope::Oscope* Plot() const { return plot_.get(); }
    const QImage& Image() const { return image_; }
    bool SavePng(const QString& path) const;

    // Cursor positions as sample indices (-1: not placed).
    int Cursor(int which) const { return cursor_[which]; }
    void PlaceCursorAt(int x);  // as a click at pixel column x
    void ClearCursors();
    // The read-out lines as drawn (empty without a cursor).
    QStringList ReadOut() const;

    // Context-menu entries; the window fills them (texts by language).
    std::function<void()> OnSaveCsv, OnSavePng;
    std::function<QString(int which)> MenuText;  // 0 CSV, 1 PNG, 2 clear cursors

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Redraw();
    void Paint();
    void PaintReadOut(QPainter& p);
    int SampleAt(int x) const;
    int PixelOf(int sample) const;
    void ContextMenu(const QPoint& global);

    QWidget* image_w_;
    std::unique_ptr<scope::Oscope> plot_;
    QImage image_;
    int cursor_[2] = {-1, -1};
    int dragging_ = -1;
};

}  // namespace ordalis
