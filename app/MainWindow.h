#pragma once
// TForm1: tool bar, connection tree, model panel, status bar and the two main menus.
// It owns the language switch and the connect-identify-poll cycle (MainWindowLink.cpp).
#include <QMainWindow>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "app/AppContext.h"
#include "app/DialogWindows.h"
#include "app/ShellHooks.h"

class QFrame;
class QMenuBar;
class QPushButton;
class QTimer;
class QToolBar;
class QToolButton;
class QTreeWidget;
class QMenu;

namespace ordalis {

struct CommandList;
struct Session;
class Connector;
class ConnectionFailureDialog;
class NoteDialog;
class ProgressWindow;
class TimerFactory;
class UiPrompt;

class MainWindow : public QMainWindow, public ShellHooks {
    Q_OBJECT
public:
    MainWindow(Session& session, UiPrompt& prompt, TimerFactory& timers, const QString& cfgPath,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // ShellHooks
    QWidget* MainWidget() override { return this; }
    QTreeWidget* LinkTree() override { return tree_; }
    void StopPollTimer() override;
    void ShowConnectionFailure() override;
    void OpenConnectionWizard() override;

    // Menus, panel, tool bar to their start state, then reconnect or start SelComModeDelay.
    void FormShow();
    // Model buttons and menu groups for a drive of the LQ/TR family; nothing for others.
    void SetupModelPanel(const std::string& modelName);
    void SetLanguage(uint8_t languageIndex);

    // Timer handlers.
    void RdErrorIntvalTimer();
    void SelComModeDelayTimer();
    void ProgressFinished();

    // Completion callbacks of the probe, read-back and poll lists.
    void IdentifyDone(uint16_t status);
    void ReadBackStep(uint16_t status);
    void PollStatusDone(uint16_t status);
    void PollParaDone(uint16_t status);

    AppContext& context() { return *ctx_; }
    Connector& connector() { return *connector_; }
    QTimer* pollTimer() const { return pollTimer_; }
    QTimer* selComModeDelay() const { return selComModeDelay_; }
    ProgressWindow* progressWindow() const { return progress_; }
    NoteDialog* noteDialog() const { return note_; }
    ConnectionFailureDialog* failureDialog() const { return failure_; }
    QMenuBar* currentMenu() const;
    QMenuBar* menu(int languageIndex) const { return menus_[languageIndex ? 1 : 0]; }
    DialogWindows& dialogs() { return windows_; }
    DialogHooks& hooks() { return hooks_; }
    const QString& settingsPath() const { return cfgPath_; }

    // Writes cfg.ini; on failure tells the user (stderr and a message) and returns false.
    bool SaveSettingsFile();

signals:
    void Closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildToolBar();
    void BuildCentre();
    void BuildStatusBar();
    void ConnectMenus();
    void SetMainMenu(QMenuBar* bar);
    void SetHints();
    void ShowDialog(QWidget* window);
    void ShowCommLog();
    void ToolBarClicked();
    void Reconnect();
    void QueueConnectionFailure();
    void Tell(const QString& text);
    QAction* Action(const char* name) const;
    QMenu* Group(const char* name) const;

    Session& session_;
    UiPrompt& prompt_;
    TimerFactory& timers_;
    QString cfgPath_;
    std::unique_ptr<Connector> connector_;
    std::unique_ptr<AppContext> ctx_;

    std::array<QMenuBar*, 2> menus_{};
    QWidget* menuHolder_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    QMenu* treePopup_ = nullptr;
    QFrame* panel_ = nullptr;
    std::array<QPushButton*, 4> modelButtons_{};
    QTimer* pollTimer_ = nullptr;
    QTimer* selComModeDelay_ = nullptr;
    ProgressWindow* progress_ = nullptr;
    NoteDialog* note_ = nullptr;
    ConnectionFailureDialog* failure_ = nullptr;
    DialogWindows windows_;
    DialogHooks hooks_;

    int toolBarClicks_ = 0;
    bool shown_ = false;
    bool notePending_ = false;
    bool failurePending_ = false;
    bool failureOpen_ = false;
    // Read-back in progress: its list and how many records have been answered or failed.
    const CommandList* readBackList_ = nullptr;
    int readBackPos_ = 0;
    bool readBackAborted_ = false;
};

}  // namespace ordalis
