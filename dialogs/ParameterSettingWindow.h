#pragma once
// Parameter setting: micro-step, idle current, current loop, and the drive's auto-tune.
#include <QString>
#include <array>

#include "core/DriveAccess.h"
#include "core/Session.h"
#include "dialogs/DriveWindow.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace ordalis {

// TForm14. Each box writes its parameter when it is left or Enter is pressed: compare
// with the mirror, range check (with the box's message), store, write. While visible,
// the poll reads Cp, Ci, Ls and Rs and refreshes their boxes, except the one being typed
// in. featureLevel 1 hides the Ci, Ls and Rs rows.
class ParameterSettingWindow : public DriveWindow {
public:
    ParameterSettingWindow(DriveAccess& drive, QWidget* parent, int featureLevel = FeatureLevel);

    void FormShow() override;
    // The poll's refresh of Cp, Ci, Ls and Rs.
    void PollParaDone();
    // The completion of the auto-tune command.
    void AutoTuneDone(uint16_t status);

    // Edit1..Edit7 (index 0..6).
    QLineEdit* Box(int i) const { return edits_[i]; }
    QLabel* StepsLabel() const { return stepsLabel_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void SetCaptions();
    void FillBox(int index);
    void Exit(int index);
    void Tell(const QString& text);

    int featureLevel_;
    std::array<QGroupBox*, 3> boxes_{};
    std::array<QLineEdit*, 7> edits_{};
    std::array<QLabel*, 13> labels_{};  // Label1..Label13
    QLabel* stepsLabel_;                // Label7
    QPushButton* okButton_;
    QPushButton* tuneButton_;
    PollRegistration poll_, restoredWatch_, readyWatch_;
    CompletionSlot::Binding autoTuneBinding_;
};

// Creates the window (TForm14) hidden, as a top-level window of parent.
QWidget* CreateParameterSettingWindow(DriveAccess& drive, QWidget* parent);

}  // namespace ordalis
