#include "core/EepromSave.h"

#include "core/Deferred.h"
#include "core/DriveSession.h"
#include "core/FileTexts.h"
#include "core/Texts.h"

namespace ordalis {

namespace {
bool IsRunTimeParameter(uint16_t id) {
    return id == pid::StatusWord || id == pid::GeneratorSpeed || id == pid::WorkMode || id == pid::BaudRate;
}

QString DriveIdentity(DriveSession& drive) {
    return QString::fromStdString(drive.State().Port().CommName()) + '/' +
           QString::number(drive.State().link.SlaveAddress);
}
}  // namespace

bool ChangesStoredSettings(const CommandList& list) {
    for (int i = 0; i < list.Count; ++i) {
        const CommandRecord& r = list.Records[i];
        if (r.Command == CmdStudy || (r.Command == CmdWrite && !IsRunTimeParameter(r.ParamId))) return true;
    }
    return false;
}

EepromSave::EepromSave(DriveSession& drive, QObject* parent)
    : QObject(parent), drive_(drive), doneSlot_(std::make_shared<CompletionSlot>()) {
    record_ = drive_.Lists().EepromSaveList.Records[0];
    record_.Callback = [slot = doneSlot_](uint16_t status, const uint8_t* data, uint8_t n) { (*slot)(status, data, n); };
    doneBinding_ = doneSlot_->Bind([this](uint16_t status, const uint8_t*, uint8_t) { EepromSaveDone(status); });
    connect(&drive_, &DriveSession::SettingsWritten, this, &EepromSave::Written);
    // Another drive read back: the unsaved work was the other drive's, out of reach now.
    connect(&drive_, &DriveSession::ReadBackDone, this, [this] {
        if (notSaved_ && DriveIdentity(drive_) != driveId_) SetNotSaved(false);
    });
    connect(&drive_, &DriveSession::LinkLost, this, [this] { saving_ = false; });
}

EepromSave::~EepromSave() = default;

void EepromSave::Written() {
    ++writes_;
    driveId_ = DriveIdentity(drive_);
    SetNotSaved(true);
}

bool EepromSave::Save() {
    if (!drive_.SendList(Lev2Queue, CommandList{&record_, 1})) {
        Fail(Text(drive_.State(), FileTexts::kNotSent));
        return false;
    }
    saving_ = true;
    writesAtSave_ = writes_;
    return true;
}

void EepromSave::EepromSaveDone(uint16_t status) {
    if (status == Retrying || status == Sent) return;
    // No answer: the lists' common procedure stops the poll and reports the lost link.
    drive_.State().lists.CommonCallback(status, nullptr, 0);
    if (!saving_) return;
    saving_ = false;
    if (status == NoAnswer) return;
    if (status == Answered) {
        // A write queued after the save reached the drive after it: still not stored.
        if (writes_ == writesAtSave_) SetNotSaved(false);
        emit Saved();
        return;
    }
    const Settings& s = drive_.State().settings;
    Fail(status == Failed ? Text(s, FileTexts::kRefused) : Text(s, FileTexts::kConditionCode).arg(status));
}

void EepromSave::Fail(const QString& why) {
    const QString text = Text(drive_.State(), FileTexts::kEepromNotStored).arg(why);
    RunDeferred(this, [this, text] { emit SaveFailed(text); });
}

void EepromSave::SetNotSaved(bool notSaved) {
    if (notSaved_ == notSaved) return;
    notSaved_ = notSaved;
    emit NotSavedChanged(notSaved);
}

}  // namespace ordalis
