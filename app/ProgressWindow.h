#pragma once
// TForm7: counts the records of a read-back or write-back. Its Timer1 fires 700 ms after
// the last record; the main window then shows its panel and closes this window.
#include <QDialog>

#include "core/TextPair.h"

class QLabel;
class QProgressBar;
class QTimer;

namespace ordalis {

class DriveSession;
class UiPrompt;
struct Settings;

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
    // Counts the session's read-backs: opens with the first answer, starts Timer1 after
    // the last; a read-back that fails, or a new connection, closes it without Finished.
    void Follow(DriveSession& drive, const Settings& settings, UiPrompt& prompt);
    // Closes without Finished: the panel does not come back.
    void Abandon();

signals:
    void Finished();

private:
    QLabel* label_;
    QProgressBar* gauge_;
    QTimer* timer_;
};

}  // namespace ordalis
