#pragma once
// The main window's file and EEPROM actions and what goes with them: the tool bar's
// TB_SaveFile, TB_FileOpen and TB_SaveEep with their file dialogs, the write-back's
// progress window, the status bar's "not saved to EEPROM" and the question at close
// while it shows; also enables the View menu's log items once a drive has been read back.
#include <QObject>
#include <cstdint>

#include "core/EepromSave.h"
#include "core/WriteBack.h"

class QLabel;
class QMainWindow;

namespace ordalis {

class DriveSession;
class ProgressWindow;
class UiPrompt;

class FileActions : public QObject {
    Q_OBJECT
public:
    // seed: the parameter files' random byte.
    FileActions(QMainWindow& window, DriveSession& drive, UiPrompt& prompt, ProgressWindow& progress,
                uint32_t seed);
    ~FileActions() override;

    void TB_SaveFileClick();
    void TB_FileOpenClick();
    void TB_SaveEepClick();

    WriteBack& Files() { return files_; }
    EepromSave& Eeprom() { return eeprom_; }
    QLabel* NotSavedLabel() const { return notSaved_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString ChooseFile(bool save);
    void ShowNotSaved();
    bool AskBeforeClosing();

    QMainWindow& window_;
    DriveSession& drive_;
    UiPrompt& prompt_;
    WriteBack files_;
    EepromSave eeprom_;
    QLabel* notSaved_;
    bool closeAfterSave_ = false;
    bool closing_ = false;
};

}  // namespace ordalis
