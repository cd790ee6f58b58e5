#pragma once
// The trace-variable selection dialog (TForm8): categories on the left, the variables of
// the selected category on the right; OK returns the variable's name and code. Created
// once and reused for every channel; hidden, not destroyed, when closed.
#include <QDialog>
#include <QString>
#include <cstdint>

class QLabel;
class QListWidget;
class QPushButton;

namespace ordalis {

class DriveAccess;

class TraceVariableDialog : public QDialog {
    Q_OBJECT
public:
    TraceVariableDialog(DriveAccess& drive, QWidget* parent);

    // The channel 1..6 the dialog works for; set before showing it.
    void SetDialogChannel(int channel) { dialogChannel_ = channel; }
    int DialogChannel() const { return dialogChannel_; }
    // The result: an empty name is no selection.
    const QString& SelectedName() const { return selectedName_; }
    int16_t SelectedCode() const { return selectedCode_; }
    DriveAccess& Drive() { return drive_; }

    // FormShow: clears the result, applies the texts, pre-selects the channel's code.
    // Run before each modal showing.
    void FormShow();

private:
    void ListBox1Click();
    void Button1Click();
    void FillVariables(int category);

    DriveAccess& drive_;
    int dialogChannel_ = 1;
    QString selectedName_;
    int16_t selectedCode_ = 0;
    // The category ListBox2 was filled for: a stale list (filled for an earlier channel
    // while no category is selected now) gives no selection.
    int listedCategory_ = -1;

    QLabel* label1_;
    QLabel* label2_;
    QListWidget* listBox1_;
    QListWidget* listBox2_;
    QPushButton* button1_;
    QPushButton* button2_;
};

QDialog* CreateTraceVariableDialog(DriveAccess& drive, QWidget* parent);

}  // namespace ordalis
