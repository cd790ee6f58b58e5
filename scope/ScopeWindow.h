#pragma once
// The oscilloscope window (TForm5): the picture, the trace-setting page (six channels,
// single capture, trace time, start, stop, export), the signal-source group and the gain
// and limit pages, and a status bar that follows the capture. Top-level and resizable;
// created hidden at start-up and shown by the main window's TB_Osc.
#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "core/CaptureSequence.h"

class QCheckBox;
class QComboBox;
class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTimer;

namespace ordalis {

class DriveAccess;
class ScopeGains;
class ScopePicture;
namespace scope {
class Oscope;
}

class ScopeWindow : public QWidget {
    Q_OBJECT
public:
    // selectionDialog: the trace-variable dialog (TForm8).
    ScopeWindow(DriveAccess& drive, QDialog* selectionDialog, QWidget* parent);
    ~ScopeWindow() override;

    CaptureSequence& Capture() { return *capture_; }
    ScopePicture& Picture() { return *picture_; }
    ScopeGains& Gains() { return *gains_; }
    QString StatusText() const;

    // Export of the last capture; false when there is none or the file cannot be written.
    bool SaveCsv(const QString& path);
    bool SavePng(const QString& path);
    // Where to save (a file dialog; tests replace it). Empty: cancelled.
    std::function<QString(const QString& filter, const QString& suffix)> AskSavePath;

    // Channel colours (RGB) of channels 1..6.
    static const std::array<unsigned, 6> kChannelRgb;

public slots:
    // After every completed read-back (HV120 included): the ten gain and limit edits, and
    // for an HV120 the velocity factors from its encoder lines.
    void FillScopeGains();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void ApplyTexts();
    void ChannelButtonClick(int channel);  // 1..6
    void ComboBox3Change(int index);
    void Button10Click();
    void BuildPicture(const CaptureResult& r);
    void DemoPlot();
    void CaptureEnded(CaptureEnd why);
    void ShowProgress();
    void SetStatus(const QString& text);
    void Export(bool csv);
    QWidget* BuildTracePage(QTabWidget* tabs);

    DriveAccess& drive_;
    QDialog* selectionDialog_;
    std::unique_ptr<CaptureSequence> capture_;
    QWidget* image_;
    ScopePicture* picture_;
    ScopeGains* gains_;
    QGroupBox* groupBox2_;
    QTabWidget* options_;
    QWidget* tracePage_;
    std::array<QLabel*, 6> channelLabels_{};
    std::array<QLineEdit*, 6> channelEdits_{};
    QGroupBox* groupBox3_;
    QCheckBox* checkBox1_;
    QCheckBox* checkBox2_;
    QLabel* label13_;
    QLabel* label14_;
    QComboBox* comboBox3_;
    QPushButton* button10_;
    QPushButton* button11_;
    QPushButton* button12_;
    QPushButton* saveCsv_;
    QPushButton* savePng_;
    QStatusBar* status_;
    QTimer* progressTimer_;  // refreshes the elapsed time while a capture runs
    bool hasCapture_ = false;
};

// Creates the window hidden, as a top-level window of parent.
QWidget* CreateScopeWindow(DriveAccess& drive, QDialog* selectionDialog, QWidget* parent);

}  // namespace ordalis
