#pragma once
// Motor parameters (TForm12): the motor's electrical and feedback data, read from the
// drive on every showing.
#include <QWidget>
#include <cstdint>

#include "model/CallbackSlot.h"

class QLineEdit;
class QTimer;

namespace ordalis {

class DriveAccess;

// Creates the window (TForm12) hidden, as a top-level window of parent.
QWidget* CreateMotorDataWindow(DriveAccess& drive, QWidget* parent);

class MotorDataWindow : public QWidget {
    Q_OBJECT
public:
    MotorDataWindow(DriveAccess& drive, QWidget* parent);

    // Queues MotorReadList; the edits are filled by MotorReadDone.
    void FormShow();
    void MotorReadDone(uint16_t status);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* Edit(int number) const;
    void SendRead();

    DriveAccess& drive_;
    QTimer* retryTimer_ = nullptr;
    int retries_ = 0;
    CompletionSlot::Binding binding_;
};

}  // namespace ordalis
