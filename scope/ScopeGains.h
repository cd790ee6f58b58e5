#pragma once
// The signal-source group (function generator controls that send nothing) and the gain,
// limit, monitor and other pages of the oscilloscope window: six loop gains and four
// limits, each written to its drive parameter when its edit is left or Enter is pressed,
// and the limit page's demonstration-plot button. Builds its controls into widgets the
// window hands over; no window of its own.
#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QWidget;

namespace ordalis {

class DriveAccess;

struct GainEdit {
    const char* objectName;
    const char* label;  // "" for the limits
    uint16_t id;
    bool isSigned;
};

// Edit9..Edit14 (gains, signed) and Edit15..Edit18 (limits, unsigned).
extern const std::array<GainEdit, 10> kGainEdits;

class ScopeGains : public QObject {
public:
    // Builds GroupBox1 into `source` and TabSheet4..7 as pages of `options`.
    ScopeGains(DriveAccess& drive, QGroupBox* source, QTabWidget* options);

    void ApplyTexts(uint8_t languageIndex);  // also refills both generator combo boxes
    // The ten edits from the mirror: gains signed, limits unsigned.
    void FillScopeGains();
    // Exit action of edit i (0..9): convert, check the range, write when changed.
    void EditExit(int i);

    std::function<void()> OnDemoPlot;  // Button1

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    DriveAccess& drive_;
    QGroupBox* source_;
    QTabWidget* options_;
    QTabWidget* generatorTabs_;
    QLabel* labels_[4];
    QComboBox* comboBox1_;
    QComboBox* comboBox2_;
    QPushButton* button2_;
    QPushButton* button3_;
    std::array<QLineEdit*, 10> edits_{};
    QWidget* pages_[4];
    bool reporting_ = false;  // a message box from an exit is open
};

}  // namespace ordalis
