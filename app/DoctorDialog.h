#pragma once
// Tools > Connection doctor: the same checks and bus scan as `ordalis-cli doctor`, for one
// chosen port, shown line by line in the program's language. It works on a port object
// of its own; while the program is connected through the chosen port the scan is left
// out rather than taking the port from the connection.
#include <QDialog>
#include <memory>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace ordalis {

struct Session;
class DoctorRun;
class QtSerialPort;
class QtTimerFactory;
class UiPrompt;
struct Finding;

class DoctorDialog : public QDialog {
    Q_OBJECT
public:
    // program: the program's own state (language, its port); settingsPath: cfg.ini with
    // the [ports] mapping.
    DoctorDialog(Session& program, UiPrompt& prompt, const QString& settingsPath, QWidget* parent = nullptr);
    ~DoctorDialog() override;

    void Run();
    bool IsRunning() const { return running_; }
    QString Report() const;

private:
    void Show(const Finding& f);
    void Finished();
    void Translate();
    QString T(const char* chinese, const char* english) const;

    Session& program_;
    UiPrompt& prompt_;
    QString settingsPath_;
    QComboBox* port_;
    QPushButton* run_;
    QPushButton* close_;
    QLabel* portLabel_;
    QLabel* progress_;
    QPlainTextEdit* report_;
    std::unique_ptr<QtTimerFactory> timers_;
    std::unique_ptr<QtSerialPort> serial_;
    std::unique_ptr<Session> state_;
    std::unique_ptr<DoctorRun> run_state_;
    bool running_ = false;
};

// Opens the dialog modally through the prompt interface.
void ShowConnectionDoctor(Session& program, UiPrompt& prompt, const QString& settingsPath, QWidget* parent);

}  // namespace ordalis
