#include "core/WriteBack.h"

#include <QStringList>

#include "core/Deferred.h"
#include "core/DriveSession.h"
#include "core/FileTexts.h"
#include "core/Texts.h"
#include "core/UiPrompt.h"

namespace ordalis {

WriteBack::WriteBack(DriveSession& drive, uint32_t seed, QObject* parent)
    : QObject(parent), drive_(drive), random_(seed) {
    stepBinding_ =
        drive_.Files().WriteBackStep.Bind([this](uint16_t status, const uint8_t*, uint8_t) { WriteBackStep(status); });
    // A new connection or a lost link ends a write-back that is still counting.
    connect(&drive_, &DriveSession::ConnectStarted, this, &WriteBack::Abandon);
    connect(&drive_, &DriveSession::LinkLost, this, &WriteBack::Abandon);
}

bool WriteBack::SaveFile(const QString& path) {
    fileBuffer_ = BuildParameterFile(drive_.Mirror(), static_cast<uint8_t>(random_() % 255));
    QString error;
    if (SaveBinFile(path, fileBuffer_, &error)) return true;
    drive_.Prompt().ShowText(Text(drive_.State(), FileTexts::kFileNotSaved).arg(path, error));
    return false;
}

bool WriteBack::LoadFile(const QString& path) {
    Session& state = drive_.State();
    ParameterFileImage image{};
    FileCheck check = FileCheck::FormatError;
    if (LoadBinFileToServoPra(path, image)) check = CheckParameterFile(image, state.mirror.GetU16(pid::ModelCode));
    if (check == FileCheck::FormatError) {
        drive_.Prompt().ShowText(Text(state, FileTexts::kFormatError));
        return false;
    }
    fileBuffer_ = image;
    if (check == FileCheck::ModelMismatch) {
        drive_.Prompt().ShowText(Text(state, FileTexts::kModelMismatch));
        return false;
    }
    // The mirror takes the file's values only when they can go out, so it keeps matching
    // the drive otherwise.
    if (running_ || drive_.CurrentPhase() != DriveSession::Phase::Connected || state.link.IsLinkLost()) {
        drive_.Prompt().ShowText(Text(state, FileTexts::kNoDrive));
        return false;
    }
    ApplyParameterFile(image, state.mirror);
    drive_.StopPoll();
    const CommandList& list = state.lists.WriteBackList;
    state.progressCounter = 0;
    ended_ = 0;
    failures_.clear();
    running_ = true;
    emit WriteBackStarted(list.Count);
    drive_.SendList(RunQueue, list);
    return true;
}

void WriteBack::WriteBackStep(uint16_t status) {
    if (!running_ || status == Sent || status == Retrying) return;
    Session& state = drive_.State();
    const CommandList& list = state.lists.WriteBackList;
    if (status == NoAnswer) {
        // The session stops the poll and asks for the connection-failure dialog.
        running_ = false;
        state.link.SetRunDelay(0);
        state.callbacks.LinkLost();
        return;
    }
    const int record = ended_++;
    if (status == Answered) {
        ++state.progressCounter;
        // The progress display opens with the first answer; the next request waits 100 ms.
        if (state.progressCounter == 1 && list.Count > 1) state.link.SetRunDelay(DriveSession::kReadBackPauseMs);
        emit WriteBackProgress(state.progressCounter, list.Count);
    } else if (record < list.Count) {
        failures_.push_back({list.Records[record].ParamId, status});
    }
    if (ended_ < list.Count) return;
    const QueueState& q = state.link.Queue(RunQueue);
    if (status == Failed && q.busy && q.index == 0) {
        // The link writes the list again from its first record: that repeat decides.
        ended_ = 0;
        state.progressCounter = 0;
        failures_.clear();
        emit WriteBackProgress(0, list.Count);
        return;
    }
    Finish();
}

void WriteBack::Finish() {
    running_ = false;
    drive_.State().link.SetRunDelay(0);
    // At its end the poll runs again for any connected model.
    drive_.StartPoll();
    if (failures_.empty()) {
        emit WriteBackDone();
        return;
    }
    QStringList names;
    for (const Failure& f : failures_) names << ParameterForMessage(f.id);
    const QString text = Text(drive_.State(), FileTexts::kWriteBackFailed).arg(names.join(QStringLiteral(", ")));
    RunDeferred(this, [this, text] { emit WriteBackFailed(text); });
}

void WriteBack::Abandon() {
    if (!running_) return;
    running_ = false;
    drive_.State().link.SetRunDelay(0);
}

}  // namespace ordalis
