#pragma once
// TForm3, the communication log: the frames of the queues chosen here, as time-stamped
// hex lines in a memo, with Clear, Close and Save (the lines with their meaning, as text).
// The window owns the log's text side (CommLog); the program hands that to the link.
#include <QWidget>
#include <memory>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace ordalis {

class CommLog;
class DriveAccess;

class CommLogWindow : public QWidget {
    Q_OBJECT
public:
    CommLogWindow(DriveAccess& drive, QWidget* parent);
    ~CommLogWindow() override;

    CommLog& Log() { return *log_; }
    QPlainTextEdit* Memo() const { return memo_; }

    // The flags as a click on the check box sets them.
    void CheckBox1Click();
    // Button3: the memo and what is still buffered, with each frame's meaning, to a file.
    void SaveClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    DriveAccess& drive_;
    std::unique_ptr<CommLog> log_;
    QPlainTextEdit* memo_;
    QCheckBox* display_;
    QRadioButton* triggeredOnly_;
    QRadioButton* all_;
    QPushButton* clear_;
    QPushButton* close_;
    QPushButton* save_;
};

// Creates the window (TForm3) hidden, as a top-level window of parent.
QWidget* CreateCommLogWindow(DriveAccess& drive, QWidget* parent);
// The log of a window made by CreateCommLogWindow (nullptr for any other widget).
CommLog* CommLogOf(QWidget* window);

}  // namespace ordalis
