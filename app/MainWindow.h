#pragma once
// TForm1: tool bar, connection tree, model panel, status bar and the two main menus. It
// owns layout, menus and the language switch, and opens the other windows; the drive
// itself is DriveSession's, whose events it shows.
#include <QMainWindow>
#include <QString>
#include <array>
#include <cstdint>
#include <string>

#include "app/DialogWindows.h"
#include "app/MainLayout.h"
#include "core/SettingsFile.h"
#include "wizard/WizardContext.h"

class QMenuBar;
class QMenu;
class QTimer;

namespace ordalis {

struct Session;
class ConnectionFailureDialog;
class DriveSession;
class MenuBars;
class NoteDialog;
class ProgressWindow;
class UiPrompt;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Settings are read from paths.read and written to paths.write at close.
    MainWindow(Session& state, DriveSession& drive, UiPrompt& prompt, const SettingsPaths& paths,
               QWidget* parent = nullptr);
    // One settings file for both.
    MainWindow(Session& state, DriveSession& drive, UiPrompt& prompt, const QString& cfgPath,
               QWidget* parent = nullptr)
        : MainWindow(state, drive, prompt, SettingsPaths{cfgPath, cfgPath}, parent) {}
    ~MainWindow() override;

    // Menus, panel, tool bar to their start state, then reconnect or start SelComModeDelay.
    void FormShow();
    // Model buttons and menu groups for a drive of the LQ/TR family; nothing for others.
    void SetupModelPanel(const std::string& modelName);
    void SetLanguage(uint8_t languageIndex);

    void SelComModeDelayTimer();
    void ProgressFinished();
    // The connection wizard, never two at once.
    void OpenWizard();
    void ShowConnectionFailure();

    DriveSession& drive() { return drive_; }
    QTimer* selComModeDelay() const { return selComModeDelay_; }
    ProgressWindow* progressWindow() const { return progress_; }
    NoteDialog* noteDialog() const { return note_; }
    ConnectionFailureDialog* failureDialog() const { return failure_; }
    QMenuBar* currentMenu() const;
    QMenuBar* menu(int languageIndex) const;
    DialogWindows& dialogs() { return windows_; }
    const QString& settingsPath() const { return paths_.write; }

    // Writes cfg.ini; on failure tells the user (stderr and a message) and returns false.
    bool SaveSettingsFile();

signals:
    void Closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ConnectMenus();
    void ConnectButtons();
    void ConnectSession();
    void SetHints();
    void ShowDialog(QWidget* window);
    void ShowCommLog();
    void ShowGeneratorState();
    void ToolBarClicked();
    void Reconnect();
    QAction* Action(const char* name) const;
    QMenu* Group(const char* name) const;

    Session& state_;
    DriveSession& drive_;
    UiPrompt& prompt_;
    SettingsPaths paths_;
    WizardContext wizard_;

    MenuBars* menus_ = nullptr;
    MainLayout layout_;
    QTimer* selComModeDelay_ = nullptr;
    ProgressWindow* progress_ = nullptr;
    NoteDialog* note_ = nullptr;
    ConnectionFailureDialog* failure_ = nullptr;
    DialogWindows windows_;

    int toolBarClicks_ = 0;
    bool shown_ = false;
    bool notePending_ = false;
    bool wizardOpen_ = false;
    bool failureOpen_ = false;
};

}  // namespace ordalis
