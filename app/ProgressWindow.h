#pragma once
// TForm7: counts the records of a read-back or write-back. Its Timer1 fires 700 ms after
// the last record; the main window then shows its panel and closes this window.
#include <QDialog>

#include "core/TextPair.h"

class QLabel;
class QProgressBar;
class QTimer;

namespace ordalis {

class ProgressWindow : public QDialog {
    Q_OBJECT
public:
    static const TextPair kReadText;
    static const TextPair kWriteText;

    explicit ProgressWindow(QWidget* parent = nullptr);

    QProgressBar* Gauge() const { return gauge_; }
    QLabel* Label() const { return label_; }
    QTimer* Timer() const { return timer_; }

    // Timer1 fired: stops it and tells the main window.
    void Timer1Timer();

signals:
    void Finished();

private:
    QLabel* label_;
    QProgressBar* gauge_;
    QTimer* timer_;
};

}  // namespace ordalis
