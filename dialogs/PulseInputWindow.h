#pragma once
// The pulse input mode: pulse format, active edge, forward level and smoothing.
#include <array>

#include "core/DriveAccess.h"
#include "core/Session.h"
#include "dialogs/DriveWindow.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace ordalis {

// TForm13. Every control writes its parameter at once (97, the bits of 99, 98); the
// controls are filled from the mirror at each showing and after each read-back, under a
// loading flag during which they write nothing. featureLevel other than 0 hides the
// micro-step box and locks the smoothing box.
class PulseInputWindow : public DriveWindow {
public:
    PulseInputWindow(DriveAccess& drive, QWidget* parent, int featureLevel = FeatureLevel);

    void FormShow() override;
    bool Loading() const { return loading_; }

    // RadioButton1..7 (index 0..6), CheckBox1..2 (index 0..1), Edit1.
    QRadioButton* Radio(int i) const { return radios_[i]; }
    QCheckBox* Check(int i) const { return checks_[i]; }
    QLineEdit* SmoothingBox() const { return smoothing_; }

private:
    void SetCaptions();
    void FillControls(bool smoothingBox);
    void PulseModeChosen(int radio, bool checked);
    void OptionBitChosen(int bit, bool set);
    void SmoothingExit();

    int featureLevel_;
    bool loading_ = true;  // from creation to the end of the first FormShow
    std::array<QGroupBox*, 4> boxes_{};
    std::array<QRadioButton*, 7> radios_{};
    std::array<QCheckBox*, 2> checks_{};
    QLabel* smoothingLabel_;
    QLineEdit* smoothing_;
    QPushButton* okButton_;
    PollRegistration restoredWatch_, readyWatch_;
};

// Creates the window (TForm13) hidden, as a top-level window of parent.
QWidget* CreatePulseInputWindow(DriveAccess& drive, QWidget* parent);

}  // namespace ordalis
