#pragma once
// The status monitor: switches, inputs, faults, voltage and temperature, polled.
#include <QString>
#include <array>

#include "core/DriveAccess.h"
#include "dialogs/DriveWindow.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace ordalis {

class DipSwitchPicture;
class Led;

// TForm16. While visible, the status poll reads its whole list and each completed cycle
// runs UpdateStatus. "Free Motor" sets the software-disable bit of the status word,
// "Clear" clears the word; both always write it.
class StatusMonitorWindow : public DriveWindow {
public:
    static constexpr int kFaultRows = 9;

    StatusMonitorWindow(DriveAccess& drive, QWidget* parent);

    void FormShow() override;
    // Decodes the mirror into every indicator.
    void UpdateStatus();

    DipSwitchPicture* Switches() const { return switches_; }
    Led* InputLed(int row) const { return inputLeds_[row]; }   // pulse, direction, enable
    Led* FaultLed(int row) const { return faultLeds_[row]; }   // top to bottom
    QLabel* FaultCodeLabel() const { return faultCode_; }      // Label13
    QLineEdit* VoltageBox() const { return voltage_; }         // Edit1
    QLineEdit* TemperatureBox() const { return temperature_; } // Edit2

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void FreeMotor();
    void ClearFaults();

    QGroupBox* alarmBox_;
    QGroupBox* inputBox_;
    QLabel* switchLabel_;
    DipSwitchPicture* switches_;
    std::array<QLabel*, 3> inputLabels_{};
    std::array<Led*, 3> inputLeds_{};
    QLabel* voltageLabel_;
    QLineEdit* voltage_;
    QLabel* temperatureLabel_;
    QLineEdit* temperature_;
    std::array<QLabel*, kFaultRows> faultLabels_{};
    std::array<Led*, kFaultRows> faultLeds_{};
    QLabel* faultCode_;
    QPushButton* closeButton_;
    QPushButton* freeButton_;
    QPushButton* clearButton_;
    PollRegistration poll_;
};

// Creates the window (TForm16) hidden, as a top-level window of parent.
QWidget* CreateStatusMonitorWindow(DriveAccess& drive, QWidget* parent);

}  // namespace ordalis
