#pragma once
// Anti-resonance tuning with the drive's speed generator (TForm15): the generator switch,
// speed and direction, and gain and phase of the two resonance regions, each written to
// the drive as the slider moves.
#include <QWidget>
#include <array>
#include <cstdint>

#include "core/DriveAccess.h"
#include "model/CallbackSlot.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QTimer;

namespace ordalis {


// Creates the window (TForm15) hidden, as a top-level window of parent.
QWidget* CreateAntiResonanceWindow(DriveAccess& drive, QWidget* parent);

class AntiResonanceWindow : public QWidget {
    Q_OBJECT
public:
    AntiResonanceWindow(DriveAccess& drive, QWidget* parent);
    ~AntiResonanceWindow() override;

    // Fills the window from the mirror; sends nothing.
    void FormShow();
    bool WriteInFlight() const { return inFlight_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The four gain and phase sliders, in the order of their controls (RzTrackBar1..4).
    static constexpr int kRegionSliders = 4;

    void Translate();
    void SetGeneratorControlsEnabled(bool on);
    void RegionSliderChange(int index, int position);
    void SpeedSliderChange(int position);
    void GeneratorClick(bool checked);
    void ReverseClick();
    void ScaleChosen(const QString& text);
    void SetScale(int maximum);
    void ShowHelp();

    // Sends what the controls show and the drive was not sent yet: the generator switch
    // first, then one slider or speed write when none is in flight.
    void Sync();
    bool SendGenerator();
    bool SendOne();
    void SendRefused();
    void WriteDone(uint16_t id, uint16_t status);
    void Restored(uint16_t id);
    int SignedSpeed() const;

    DriveAccess& drive_;
    bool loading_ = false;
    bool inFlight_ = false;
    // What each control stood for when it was last sent or filled from the mirror.
    std::array<int, kRegionSliders> sentPosition_{};
    int sentSpeed_ = 0;         // signed RPM
    bool sentGenerator_ = false;
    int retries_ = 0;

    QGroupBox* groupBox1_ = nullptr;
    QGroupBox* groupBox2_ = nullptr;
    QGroupBox* groupBox3_ = nullptr;
    QCheckBox* generatorBox_ = nullptr;  // CheckBox1
    QCheckBox* reverseBox_ = nullptr;    // CheckBox2
    QComboBox* scaleBox_ = nullptr;      // ComboBox1
    QSlider* speedSlider_ = nullptr;     // RzTrackBar5
    QLabel* speedText_ = nullptr;        // Label7
    std::array<QLabel*, 6> labels_{};    // Label1..Label6
    QLabel* rpmLabel_ = nullptr;         // Label8
    std::array<QSlider*, kRegionSliders> regionSliders_{};
    std::array<QLineEdit*, kRegionSliders> regionEdits_{};
    QPushButton* helpButton_ = nullptr;   // Button2
    QPushButton* closeButton_ = nullptr;  // Button1
    QTimer* retryTimer_ = nullptr;
    QWidget* help_ = nullptr;  // created here only when the program made none

    std::array<CompletionSlot::Binding, kRegionSliders + 1> bindings_;
    PollRegistration restoredWatch_;
};

}  // namespace ordalis
