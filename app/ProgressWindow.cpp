#include "app/ProgressWindow.h"

#include <QLabel>
#include <QProgressBar>
#include <QTimer>

#include "core/DriveSession.h"
#include "core/Session.h"
#include "core/UiPrompt.h"

namespace ordalis {

const TextPair ProgressWindow::kReadText{"读RAM参数", "Read RAM Data "};
const TextPair ProgressWindow::kWriteText{"写RAM参数", "Write RAM Data "};

ProgressWindow::ProgressWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TForm7"));
    setWindowTitle(QStringLiteral("progress"));
    setFixedSize(361, 64);
    setModal(false);

    label_ = new QLabel(this);
    label_->setObjectName(QStringLiteral("Label1"));
    label_->setGeometry(8, 8, 153, 16);
    QFont font = label_->font();
    font.setPixelSize(13);
    label_->setFont(font);

    gauge_ = new QProgressBar(this);
    gauge_->setObjectName(QStringLiteral("Gauge1"));
    gauge_->setGeometry(8, 30, 345, 20);
    gauge_->setRange(0, 100);
    gauge_->setValue(0);
    gauge_->setTextVisible(true);
    gauge_->setStyleSheet(QStringLiteral("QProgressBar::chunk { background-color: #00c000; }"));

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("Timer1"));
    timer_->setSingleShot(true);
    timer_->setInterval(700);
    connect(timer_, &QTimer::timeout, this, &ProgressWindow::Timer1Timer);
}

void ProgressWindow::Timer1Timer() {
    timer_->stop();
    emit Finished();
}

void ProgressWindow::Abandon() {
    timer_->stop();
    close();
}

void ProgressWindow::Follow(DriveSession& drive, const Settings& settings, UiPrompt& prompt) {
    // A new connection: a finished read-back's panel must not come back in its middle.
    connect(&drive, &DriveSession::ConnectStarted, this, &ProgressWindow::Abandon);
    connect(&drive, &DriveSession::ReadBackStarted, this, [this](int total) {
        gauge_->setMaximum(total);
        gauge_->setValue(0);
    });
    connect(&drive, &DriveSession::ReadBackProgress, this, [this, &settings](int done, int) {
        label_->setText(kReadText.Text(settings.LanguageIndex));
        gauge_->setValue(done);
        if (!isVisible()) show();
    });
    connect(&drive, &DriveSession::ReadBackDone, this, [this] { timer_->start(); });
    connect(&drive, &DriveSession::ReadBackFailed, this, [this, &prompt](const QString& text) {
        // Panel and tool bar stay off until a read-back completes.
        Abandon();
        prompt.ShowText(text);
    });
}

}  // namespace ordalis
