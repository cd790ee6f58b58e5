#pragma once
// The EEPROM save and the "not saved to EEPROM" state. From the first list queued that
// changes a stored setting of the connected drive (DriveSession::SettingsWritten) until
// an EEPROM save is answered with status 0, the drive holds work a power cycle loses.
// A save answered with a condition code, refused or not sent is reported.
#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>

#include "link/CommandRecord.h"
#include "model/CallbackSlot.h"

namespace ordalis {

class DriveSession;

// True when the list writes a setting the drive keeps in its EEPROM: a write of a
// parameter other than the run-time ones (status word, speed generator, work mode, baud
// rate), or the current-loop tuning, which sets the loop gains.
bool ChangesStoredSettings(const CommandList& list);

class EepromSave : public QObject {
    Q_OBJECT
public:
    explicit EepromSave(DriveSession& drive, QObject* parent = nullptr);
    ~EepromSave() override;

    // TB_SaveEepClick: EepromSaveList on the Lev2Queue. False (and SaveFailed) when
    // nothing may go out now.
    bool Save();
    bool NotSaved() const { return notSaved_; }
    bool Saving() const { return saving_; }
    void EepromSaveDone(uint16_t status);

signals:
    void NotSavedChanged(bool notSaved);
    // The drive answered the save with status 0.
    void Saved();
    // The settings were not stored; the message says why. From the event loop.
    void SaveFailed(const QString& message);

private:
    void Written();
    void SetNotSaved(bool notSaved);
    void Fail(const QString& why);

    DriveSession& drive_;
    // The save's record: EepromSaveList's, completing through a slot of our own so the
    // status reaches us; the slot outlives us while a copy of the record may be queued.
    std::shared_ptr<CompletionSlot> doneSlot_;
    CommandRecord record_;
    CompletionSlot::Binding doneBinding_;
    bool notSaved_ = false;
    bool saving_ = false;
    uint64_t writes_ = 0;        // lists queued that change stored settings
    uint64_t writesAtSave_ = 0;  // ... when the running save was queued
    QString driveId_;            // port and address of the drive the writes went to
};

}  // namespace ordalis
